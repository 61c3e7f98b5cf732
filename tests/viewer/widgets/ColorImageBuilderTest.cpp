#include <gtest/gtest.h>

#include <vector>

#include "ColorImageBuilder.h"
#include "ImageColorizer.h"

using namespace vantory::colorizer;

namespace {

constexpr int kW = 320;
constexpr int kH = 240;
constexpr size_t kN = size_t(kW) * kH;

uint32_t pixel(const QImage& image, int x, int y)
{
    const uchar* p = image.constScanLine(y) + 3 * x;
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[2]);
}

template <typename T>
Plane<T> planeOf(const std::vector<T>& v)
{
    return Plane<T>{v.data(), v.size()};
}

class PaneBuildTest : public ::testing::Test {
protected:
    PaneBuildTest() : distance(kN, 2500), amplitude(kN, 1024), grayscale(kN, 1024)
    {
        in.width = kW;
        in.height = kH;
        in.distance = planeOf(distance);
        in.amplitude = planeOf(amplitude);
        in.distanceRange = {0, 5000};
        in.amplitudeRange = {0, 2048};
    }

    bool build() { return buildPaneImages(in, dc, ac, distImage, ampImage); }

    // Colours expected from fresh colourisers over the pane ranges.
    uint32_t distColor(uint32_t v)
    {
        ImageColorizer ref;
        ref.setRange(in.distanceRange.lower, in.distanceRange.upper);
        return ref.rgbOf(v, kModeColor);
    }
    uint32_t ampColor(uint32_t v, int mode)
    {
        ImageColorizer ref;
        ref.setRange(in.amplitudeRange.lower, in.amplitudeRange.upper);
        return ref.rgbOf(v, mode);
    }

    std::vector<uint32_t> distance;
    std::vector<uint16_t> amplitude;
    std::vector<uint16_t> grayscale;
    PaneInput in;
    ImageColorizer dc;
    ImageColorizer ac;
    QImage distImage;
    QImage ampImage;
};

TEST_F(PaneBuildTest, ImagesAreRgb888OfTheFrameSizeAndReused)
{
    ASSERT_TRUE(build());
    EXPECT_EQ(distImage.format(), QImage::Format_RGB888);
    EXPECT_EQ(distImage.size(), QSize(kW, kH));
    EXPECT_EQ(ampImage.size(), QSize(kW, kH));
    const uchar* before = distImage.constBits();
    ASSERT_TRUE(build());
    EXPECT_EQ(distImage.constBits(), before) << "same size must not re-allocate";

    in.width = 160;
    in.height = 120;
    ASSERT_TRUE(build());
    EXPECT_EQ(distImage.size(), QSize(160, 120));

    in.width = 0;
    EXPECT_FALSE(build());
    EXPECT_TRUE(distImage.isNull());
}

TEST_F(PaneBuildTest, DistanceOutsideTheRangeIsClampedToBlack)
{
    distance[0] = 5001;     // above: replaced by 0
    distance[1] = 1;        // inside: dark red end
    distance[2] = 5000;     // top: dark blue
    distance[3] = 964002;   // a marker is out of range too, so it is cleared first
    in.distanceRange = {100, 5000};
    distance[4] = 99;       // below the lower bound
    distance[5] = 100;
    distance[1] = 101;
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(distImage, 0, 0), kBlack);
    EXPECT_EQ(pixel(distImage, 1, 0), distColor(101));
    EXPECT_EQ(pixel(distImage, 2, 0), dc.tableRgb(0));
    EXPECT_EQ(pixel(distImage, 3, 0), kBlack);
    EXPECT_EQ(pixel(distImage, 4, 0), kBlack);
    EXPECT_EQ(pixel(distImage, 5, 0), dc.tableRgb(29999));
    EXPECT_EQ(pixel(distImage, 10, 10), distColor(2500));
}

TEST_F(PaneBuildTest, RangeWiderThanSixteenBitsUsesDirectColours)
{
    in.distanceRange = {0, 200000};
    distance[kN - 1] = 150000;
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(distImage, kW - 1, kH - 1), distColor(150000));
    EXPECT_NE(pixel(distImage, kW - 1, kH - 1), kWhite);
}

TEST_F(PaneBuildTest, AmplitudeMarkerShowsPurpleWhateverTheRange)
{
    amplitude[7] = 64002;
    for (auto range : {ColorRange{0, 2048}, ColorRange{100, 200}, ColorRange{0, 100000}}) {
        in.amplitudeRange = range;
        ASSERT_TRUE(build());
        EXPECT_EQ(pixel(ampImage, 7, 0), kSaturatedColor);
        EXPECT_EQ(pixel(ampImage, 8, 0), ampColor(1024, kModeColor));
    }
}

TEST_F(PaneBuildTest, GrayscaleInAmplitudePaneUsesGrayModeOnlyWhenPresent)
{
    in.grayInAmpPane = true;
    ASSERT_TRUE(build());   // no grayscale plane: the amplitude in colour mode
    EXPECT_EQ(pixel(ampImage, 0, 0), ampColor(1024, kModeColor));

    grayscale[0] = 2048;
    in.grayscale = planeOf(grayscale);
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(ampImage, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(ampImage, 1, 0), 0x7F7F7Fu);
}

TEST_F(PaneBuildTest, ShortPlanesReadAsZeroBeyondTheirEnd)
{
    std::vector<uint16_t> shortGray(kW, 2048);   // one row only
    in.grayInAmpPane = true;
    in.grayscale = planeOf(shortGray);
    std::vector<uint32_t> shortDistance(kW + 5, 2500);
    in.distance = planeOf(shortDistance);
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(ampImage, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(ampImage, 0, 1), 0x000000u);
    EXPECT_EQ(pixel(distImage, 4, 1), distColor(2500));
    EXPECT_EQ(pixel(distImage, 5, 1), kBlack);
    EXPECT_EQ(pixel(distImage, kW - 1, kH - 1), kBlack);
}

TEST_F(PaneBuildTest, OtherDataKindShowsRawDistanceAndBlackAmplitude)
{
    in.dataKind = 1;
    distance[0] = 5001;     // no clamping: white
    distance[1] = 964002;   // marker shown
    distance[2] = 964001;
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(distImage, 0, 0), kWhite);
    EXPECT_EQ(pixel(distImage, 1, 0), kSaturatedColor);
    EXPECT_EQ(pixel(distImage, 2, 0), kBlack);
    for (int x : {0, 100, kW - 1})
        EXPECT_EQ(pixel(ampImage, x, kH - 1), kBlack);
}

class DcsBuildTest : public PaneBuildTest {
protected:
    DcsBuildTest() : dcs(4 * kN, 0)
    {
        in.rawDcs = planeOf(dcs);
        in.distanceRange = {0, 5000};
        in.amplitudeRange = {0, 5000};
    }
    uint16_t& at(int plane, int x, int y) { return dcs[plane * kN + size_t(y) * kW + x]; }
    std::vector<uint16_t> dcs;
};

TEST_F(DcsBuildTest, MosaicIndexAddressesEachQuadrant)
{
    struct Case { int x, y, plane, sx, sy; };
    const Case cases[] = {
        {0, 0, 0, 0, 0},       {159, 119, 0, 318, 238},
        {160, 0, 1, 0, 0},     {200, 10, 1, 80, 20},
        {0, 120, 2, 0, 0},     {10, 239, 2, 20, 238},
        {160, 120, 3, 0, 0},   {319, 239, 3, 318, 238},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dcsMosaicIndex(c.x, c.y, kW, kH), size_t(c.plane) * kN + size_t(c.sy) * kW + c.sx)
            << c.x << "," << c.y;
    // Odd sizes still stay inside the four planes.
    for (auto size : {QSize(321, 241), QSize(3, 1), QSize(1, 1)}) {
        const size_t n = size_t(size.width()) * size.height();
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                ASSERT_LT(dcsMosaicIndex(x, y, size.width(), size.height()), 4 * n);
    }
}

TEST_F(DcsBuildTest, MosaicShowsTheSamePixelInBothPanes)
{
    in.dcsMode = kDcsMosaic;
    at(1, 80, 20) = 1;   // dark red end; everything else 0 (black)
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(distImage, 200, 10), dc.tableRgb(29994));
    EXPECT_EQ(pixel(ampImage, 200, 10), dc.tableRgb(29994));
    EXPECT_EQ(pixel(distImage, 40, 10), kBlack);   // plane 0 there
    EXPECT_EQ(pixel(distImage, 201, 10), kBlack);
}

TEST_F(DcsBuildTest, PairModesPickTheirPlanes)
{
    at(0, 5, 6) = 1000;
    at(1, 5, 6) = 2000;
    at(2, 5, 6) = 3000;
    at(3, 5, 6) = 4000;
    distance.assign(kN, 6000);   // out of range; must not be what is shown
    in.dcsMode = kDcsFirstPair;
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(distImage, 5, 6), distColor(1000));
    EXPECT_EQ(pixel(ampImage, 5, 6), ampColor(2000, kModeColor));
    in.dcsMode = kDcsSecondPair;
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(distImage, 5, 6), distColor(3000));
    EXPECT_EQ(pixel(ampImage, 5, 6), ampColor(4000, kModeColor));
}

TEST_F(DcsBuildTest, TooLittleRawDataFallsBackToTheNormalPanes)
{
    dcs.resize(4 * kN - 1);
    in.rawDcs = planeOf(dcs);
    in.dcsMode = kDcsMosaic;
    ASSERT_TRUE(build());
    EXPECT_EQ(pixel(distImage, 200, 10), distColor(2500));
    EXPECT_EQ(pixel(ampImage, 200, 10), ampColor(1024, kModeColor));
}

TEST(GrayscaleBuild, LevelsOverTheFixedRange)
{
    std::vector<uint16_t> gray = {0, 1024, 2048, 2049, 64002};
    gray.resize(kN, 512);
    ImageColorizer colorizer;
    colorizer.setRange(0, 10);   // the fixed grayscale range replaces it
    QImage image;
    ASSERT_TRUE(buildGrayscaleImage(kW, kH, Plane<uint16_t>{gray.data(), gray.size()}, colorizer, image));
    EXPECT_EQ(colorizer.lower(), 0);
    EXPECT_EQ(colorizer.upper(), 2048);
    EXPECT_EQ(pixel(image, 0, 0), 0x000000u);
    EXPECT_EQ(pixel(image, 1, 0), 0x7F7F7Fu);
    EXPECT_EQ(pixel(image, 2, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(image, 3, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(image, 4, 0), kSaturatedColor);
    EXPECT_EQ(pixel(image, 5, 0), 0x3F3F3Fu);   // 512 * 255 / 2048 = 63.75

    // A missing plane gives a black image rather than a read past the end.
    ASSERT_TRUE(buildGrayscaleImage(kW, kH, Plane<uint16_t>{}, colorizer, image));
    EXPECT_EQ(pixel(image, kW - 1, kH - 1), 0x000000u);
}

}  // namespace
