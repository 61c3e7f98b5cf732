#include <gtest/gtest.h>

#include "LabelImageGeometry.h"

using vantory::view::ViewGeometry;

namespace {

// A 320 x 240 image shown at 640 x 480, centred in an 800 x 480 widget.
ViewGeometry wideView(bool mirrorH = false, bool mirrorV = false)
{
    ViewGeometry g;
    g.widgetW = 800;
    g.widgetH = 480;
    g.shownW = 640;
    g.shownH = 480;
    g.imageW = 320;
    g.imageH = 240;
    g.mirrorH = mirrorH;
    g.mirrorV = mirrorV;
    return g;
}

TEST(ViewGeometry, CentredImageArea)
{
    const ViewGeometry g = wideView();
    EXPECT_EQ(g.left(), 80);
    EXPECT_EQ(g.top(), 0);
    EXPECT_TRUE(g.inside({80, 0}));
    EXPECT_TRUE(g.inside({719, 479}));
    EXPECT_FALSE(g.inside({79, 10}));
    EXPECT_FALSE(g.inside({720, 10}));
    EXPECT_FALSE(g.inside({100, 480}));
    EXPECT_FALSE(ViewGeometry{}.inside({0, 0}));
}

TEST(ViewGeometry, WidgetToImageWithAndWithoutMirroring)
{
    struct Case { int x, y; bool mh, mv; int col, row; };
    const Case cases[] = {
        {80, 0, false, false, 0, 0},
        {81, 1, false, false, 0, 0},
        {82, 2, false, false, 1, 1},
        {719, 479, false, false, 319, 239},
        {80, 0, true, false, 319, 0},
        {719, 0, true, false, 0, 0},
        {80, 0, false, true, 0, 239},
        {280, 100, true, true, 219, 189},
        // Past the image the result stays a valid pixel.
        {720, 480, false, false, 319, 239},
        {5000, 5000, false, false, 319, 239},
        {0, -10, false, false, 0, 0},
        {0, -10, true, true, 319, 239},
    };
    for (const Case& c : cases) {
        const ViewGeometry g = wideView(c.mh, c.mv);
        EXPECT_EQ(g.column(c.x), c.col) << c.x << " mirror " << c.mh;
        EXPECT_EQ(g.row(c.y), c.row) << c.y << " mirror " << c.mv;
    }
}

TEST(ViewGeometry, ImageToPixmapRoundTrips)
{
    for (bool mirrored : {false, true}) {
        const ViewGeometry g = wideView(mirrored, mirrored);
        for (int c = 0; c < g.imageW; ++c) {
            const int px = g.pixmapX(c);
            ASSERT_GE(px, 0);
            ASSERT_LT(px, g.shownW);
            ASSERT_EQ(g.column(px + g.left()), c) << "column " << c << " mirror " << mirrored;
        }
        for (int r = 0; r < g.imageH; ++r)
            ASSERT_EQ(g.row(g.pixmapY(r) + g.top()), r);
    }
    const ViewGeometry plain = wideView();
    EXPECT_EQ(plain.pixmapX(0), 1);     // half a scaled pixel in
    EXPECT_EQ(plain.pixmapX(100), 201);
    EXPECT_EQ(wideView(true).pixmapX(319), 1);
}

TEST(ViewGeometry, DownscaledImageStaysInBounds)
{
    ViewGeometry g = wideView();
    g.widgetW = 100;
    g.widgetH = 75;
    g.shownW = 100;
    g.shownH = 75;
    EXPECT_EQ(g.pixmapX(0), 0);
    EXPECT_EQ(g.pixmapX(319), 99);
    EXPECT_EQ(g.column(99), 316);
}

TEST(ViewGeometry, RelativePosition)
{
    const ViewGeometry g = wideView();
    EXPECT_DOUBLE_EQ(g.relativeX(80), 0.0);
    EXPECT_DOUBLE_EQ(g.relativeX(400), 0.5);
    EXPECT_DOUBLE_EQ(g.relativeX(79), -1.0);
    EXPECT_DOUBLE_EQ(g.relativeX(721), -1.0);
    EXPECT_DOUBLE_EQ(wideView(true).relativeX(240), 0.75);
    EXPECT_DOUBLE_EQ(wideView(false, true).relativeY(120), 0.75);
    EXPECT_DOUBLE_EQ(g.relativeY(-1), -1.0);
}

}  // namespace
