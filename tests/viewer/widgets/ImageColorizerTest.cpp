#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "ImageColorizer.h"

using namespace vantory::colorizer;

namespace {

uint32_t rgb(int r, int g, int b)
{
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

class ImageColorizerTest : public ::testing::Test {
protected:
    ImageColorizer colorizer;
};

// Hand-computed entries along the colour ramp: dark blue, blue/cyan, the middle,
// yellow/orange and dark red.
TEST_F(ImageColorizerTest, TableAnchorsFollowTheRamp)
{
    const std::vector<std::tuple<int, uint32_t>> anchors = {
        {0, rgb(0, 0, 127)},        // v = -0.25: blue rising, half way
        {7500, rgb(0, 127, 255)},   // v = 0: green rising, blue full
        {15000, rgb(127, 255, 127)},// v = 0.25: red rising, green full, blue falling
        {22500, rgb(255, 170, 0)},  // v = 0.5: red full, green one third down
        {29999, rgb(191, 0, 0)},    // v just below 0.75: red falling, green just at 0
    };
    for (const auto& [index, expected] : anchors)
        EXPECT_EQ(colorizer.tableRgb(index), expected) << "index " << index;
    EXPECT_EQ(colorizer.tableColor(0), QColor(0, 0, 127));
}

TEST_F(ImageColorizerTest, TableIsSmoothAndInRange)
{
    // Neighbouring entries never jump by more than a few levels: a wrong branch
    // boundary or a wrapped channel would show as a large step.
    for (int i = 1; i < kTableSize; ++i) {
        const uint32_t a = colorizer.tableRgb(i - 1);
        const uint32_t b = colorizer.tableRgb(i);
        for (int shift : {16, 8, 0}) {
            const int ca = int((a >> shift) & 0xFF);
            const int cb = int((b >> shift) & 0xFF);
            ASSERT_LE(std::abs(ca - cb), 2) << "index " << i << " shift " << shift;
        }
    }
}

TEST_F(ImageColorizerTest, ColorModeOverDefaultDistanceRange)
{
    colorizer.setRange(0, 5000);
    EXPECT_EQ(colorizer.rgbOf(5000, kModeColor), colorizer.tableRgb(0));
    EXPECT_EQ(colorizer.rgbOf(1, kModeColor), colorizer.tableRgb(29994));
    EXPECT_EQ(colorizer.rgbOf(0, kModeColor), kBlack);
    EXPECT_EQ(colorizer.rgbOf(5001, kModeColor), kWhite);
    EXPECT_EQ(colorizer.rgbOf(2500, kModeColor), colorizer.tableRgb(15000));
    EXPECT_DOUBLE_EQ(colorizer.colourScale(), 6.0);
    EXPECT_DOUBLE_EQ(colorizer.grayScale(), 255.0 / 5000.0);
}

TEST_F(ImageColorizerTest, ColorModeWithLowerBound)
{
    colorizer.setRange(1000, 2000);
    EXPECT_EQ(colorizer.rgbOf(999, kModeColor), kBlack);
    // At the lower bound the index is 30000 and falls back to the last entry.
    EXPECT_EQ(colorizer.rgbOf(1000, kModeColor), colorizer.tableRgb(29999));
    EXPECT_EQ(colorizer.rgbOf(2000, kModeColor), colorizer.tableRgb(0));
    // Everything above the upper bound is white, not the end colour.
    EXPECT_EQ(colorizer.rgbOf(2001, kModeColor), kWhite);
    EXPECT_EQ(colorizer.rgbOf(2500, kModeColor), kWhite);
}

TEST_F(ImageColorizerTest, EmptyRangeUsesSpanOfOne)
{
    colorizer.setRange(100, 100);
    EXPECT_DOUBLE_EQ(colorizer.colourScale(), 30000.0);
    EXPECT_DOUBLE_EQ(colorizer.grayScale(), 255.0);
    EXPECT_EQ(colorizer.rgbOf(100, kModeColor), colorizer.tableRgb(29999));
    EXPECT_EQ(colorizer.rgbOf(101, kModeColor), kWhite);
    EXPECT_EQ(colorizer.rgbOf(100, kModeGray), rgb(0, 0, 0));
    EXPECT_EQ(colorizer.rgbOf(101, kModeGray), kWhite);
    EXPECT_EQ(colorizer.rgbOf(99, kModeGray), kBlack);
}

TEST_F(ImageColorizerTest, GrayModeLevels)
{
    colorizer.setRange(0, 2048);
    EXPECT_EQ(colorizer.rgbOf(1024, kModeGray), rgb(127, 127, 127));
    EXPECT_EQ(colorizer.rgbOf(2048, kModeGray), rgb(255, 255, 255));
    EXPECT_EQ(colorizer.rgbOf(2049, kModeGray), kWhite);
    EXPECT_EQ(colorizer.rgbOf(0, kModeGray), rgb(0, 0, 0));
    EXPECT_EQ(colorizer.colorOf(1024, kModeGray), QColor(127, 127, 127));
}

TEST_F(ImageColorizerTest, GrayModeWithLowerBoundStaysWithinLevels)
{
    // Measured from the lower bound: the top of the range is full white, not a
    // level past 255.
    colorizer.setRange(1000, 2000);
    EXPECT_EQ(colorizer.rgbOf(2000, kModeGray), rgb(255, 255, 255));
    EXPECT_EQ(colorizer.rgbOf(1500, kModeGray), rgb(127, 127, 127));
    EXPECT_EQ(colorizer.rgbOf(1000, kModeGray), rgb(0, 0, 0));
    EXPECT_EQ(colorizer.rgbOf(999, kModeGray), kBlack);
    for (uint32_t v = 1000; v <= 2000; ++v) {
        const uint32_t c = colorizer.rgbOf(v, kModeGray);
        ASSERT_EQ(c & 0xFF, (c >> 8) & 0xFF) << v;
        ASSERT_EQ(c & 0xFF, (c >> 16) & 0xFF) << v;
    }
}

struct MarkerCase {
    uint32_t value;
    uint32_t colorMode;
    bool grayIsOrdinary;   // in gray mode the value is coloured like any other
    uint32_t grayMode;
};

TEST_F(ImageColorizerTest, MarkersInBothModesIgnoreTheRange)
{
    const std::vector<MarkerCase> cases = {
        {64001, kBlack, true, 0},
        {964001, kBlack, true, 0},
        {64002, kSaturatedColor, false, kSaturatedColor},
        {964002, kSaturatedColor, false, kSaturatedColor},
        {64003, kAmbientColor, false, kAmbientColor},
        {964003, kAmbientColor, false, kAmbientColor},
        {64007, kBlack, true, 0},
        {64008, kBlack, true, 0},
        {964007, kBlack, true, 0},
        {964008, kBlack, true, 0},
    };
    EXPECT_EQ(kSaturatedColor, rgb(169, 14, 255));
    EXPECT_EQ(kAmbientColor, rgb(255, 0, 128));
    for (auto range : {std::pair<int, int>{0, 2048}, {0, 1000000}, {500, 600}}) {
        colorizer.setRange(range.first, range.second);
        for (const MarkerCase& c : cases) {
            EXPECT_EQ(colorizer.rgbOf(c.value, kModeColor), c.colorMode)
                << c.value << " range " << range.first << ".." << range.second;
            const uint32_t gray = colorizer.rgbOf(c.value, kModeGray);
            if (c.grayIsOrdinary) {
                // An ordinary value in gray mode: above these ranges' tops it is white.
                if (int64_t(c.value) > range.second) {
                    EXPECT_EQ(gray, kWhite) << c.value;
                }
            } else {
                EXPECT_EQ(gray, c.grayMode) << c.value;
            }
        }
    }
    colorizer.setRange(0, 1000000);
    EXPECT_EQ(colorizer.rgbOf(64001, kModeGray), rgb(16, 16, 16));      // 64001 * 255 / 1e6
    EXPECT_EQ(colorizer.rgbOf(964001, kModeGray), rgb(245, 245, 245));   // 964001 * 255 / 1e6
    EXPECT_EQ(colorizer.rgbOf(64008, kModeGray), rgb(16, 16, 16));
}

TEST_F(ImageColorizerTest, LookupMatchesDirectColoursAndFollowsRangeChanges)
{
    for (auto range : {std::pair<int, int>{0, 5000}, {300, 2048}, {0, 65535}, {7, 7}}) {
        colorizer.setRange(range.first, range.second);
        for (int mode : {kModeColor, kModeGray}) {
            const uint32_t* lut = colorizer.lookup16(mode);
            for (uint32_t v = 0; v < ImageColorizer::kLookupSize; ++v)
                ASSERT_EQ(lut[v], colorizer.rgbOf(v, mode))
                    << v << " mode " << mode << " range " << range.first << ".." << range.second;
        }
    }
}

}  // namespace
