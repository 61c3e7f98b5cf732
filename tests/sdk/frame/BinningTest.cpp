// SDK binning: averages over blocks with invalid pixels, sizes and scale.
#include <gtest/gtest.h>

#include "FrameTestSupport.h"

using namespace vantory_test;

namespace {

class BinningTest : public FrameTest {
protected:
    // Rows stored unmirrored so that each block is a plain 2-D block of the input.
    PacketPlan unmirrored(uint16_t w, uint16_t h) {
        PacketPlan s;
        s.width = w;
        s.height = h;
        s.model = "XK75";
        return s;
    }
};

TEST_F(BinningTest, TwoByTwoAveragesValidPixelsOnly) {
    Movoda::frame_settings::setSdkBinning(2, 2);
    PacketPlan s = unmirrored(4, 2);
    s.distance = {1000, 2000, 65000, 3000, 1500, 2501, 64500, 64100};
    s.amplitude = {100, 200, 3000, 4000, 2999, 10, 5000, 64000};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->width(), 2);
    EXPECT_EQ(f->height(), 1);
    EXPECT_EQ(f->sensorWidth(), 4);
    EXPECT_EQ(f->pixelCount(), 8u);
    EXPECT_EQ(f->binPending(), 0);
    // (1000 + 2000 + 1500 + 2501) / 4 truncates.
    EXPECT_EQ(f->distance(0), 1750u);
    EXPECT_EQ(f->distance(1), 3000u);  // the only valid pixel of the block
    // Amplitudes below 3000: 100, 200, 2999, 10.
    EXPECT_EQ(f->amplitude(0), (100 + 200 + 2999 + 10) / 4);
    // No amplitude below 3000 in the second block: its first pixel's value.
    EXPECT_EQ(f->amplitude(1), 3000);
    // Reflectivity averaged over the pixels with valid distance (4x scale for 2 directions).
    const float r0 = (f->reflectivity(0));
    EXPECT_GT(r0, 0.0f);
    EXPECT_EQ(f->rawDistance(0), 1750u);
    EXPECT_FLOAT_EQ(f->reflScale(), 4.0f);
}

TEST_F(BinningTest, ReflectivityAverageMatchesUnbinnedValues) {
    PacketPlan s = unmirrored(2, 2);
    s.distance = {1000, 2000, 64500, 3000};
    s.amplitude = {500, 600, 700, 800};
    auto plain = decodeFrame(s);
    ASSERT_TRUE(plain);
    Movoda::frame_settings::setSdkBinning(2, 2);
    auto binned = decodeFrame(s);
    ASSERT_TRUE(binned);
    // Binning both ways quarters the coefficient of every pixel.
    const float expected =
        (plain->reflectivity(0) + plain->reflectivity(1) + plain->reflectivity(3)) / 3.0f / 4.0f;
    EXPECT_NEAR(binned->reflectivity(0), expected, 1e-4);
    EXPECT_EQ(binned->distance(0), 2000u);
}

TEST_F(BinningTest, AllInvalidBlockTakesItsFirstPixel) {
    Movoda::frame_settings::setSdkBinning(2, 2);
    PacketPlan s = unmirrored(2, 2);
    s.distance = {64001, 64002, 64003, 64004};
    s.amplitude = {64001, 64002, 64003, 64004};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->distance(0), 964001u);
    EXPECT_EQ(f->amplitude(0), 64001);
    EXPECT_EQ(f->reflectivity(0), 0.0f);
}

TEST_F(BinningTest, FullFrameBinsToHalfSizeAndOtherPlanesKeepTheirLayout) {
    Movoda::frame_settings::setSdkBinning(2, 2);
    PacketPlan s;
    s.dataFlags = 1 | 2 | 8;
    for (size_t i = 0; i < s.pixels(); ++i) {
        s.distance.push_back(1000);
        s.amplitude.push_back(100);
        s.grayscale.push_back(static_cast<uint16_t>(i % 60000));
    }
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->width(), 160);
    EXPECT_EQ(f->height(), 120);
    EXPECT_EQ(f->pixelCount(), 76800u);
    EXPECT_EQ(f->distance(160 * 120 - 1), 1000u);
    EXPECT_EQ(f->grayscale(mirrored(239, 0, 320)), (239 * 320) % 60000);
}

TEST_F(BinningTest, OneDirectionOnly) {
    Movoda::frame_settings::setSdkBinning(3, 1);
    PacketPlan s = unmirrored(6, 1);
    s.distance = {10, 20, 30, 40, 50, 61};
    s.amplitude = {1, 1, 1, 1, 1, 1};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->width(), 2);
    EXPECT_EQ(f->height(), 1);
    EXPECT_EQ(f->distance(0), 20u);
    EXPECT_EQ(f->distance(1), 50u);
    EXPECT_FLOAT_EQ(f->reflScale(), 2.0f);
}

TEST_F(BinningTest, SettingsAreTakenAtConstruction) {
    PacketPlan s = unmirrored(2, 2);
    s.distance = {1, 2, 3, 4};
    const auto inner = buildInner(s);
    auto f = makeFrame(s, inner);
    Movoda::frame_settings::setSdkBinning(2, 2);  // too late for this frame
    f->decode();
    EXPECT_EQ(f->width(), 2);
    // Decoding twice does not bin twice.
    auto g = makeFrame(s, inner);
    g->decode();
    g->decode();
    EXPECT_EQ(g->width(), 1);
    EXPECT_EQ(g->distance(0), 2u);
}

}  // namespace
