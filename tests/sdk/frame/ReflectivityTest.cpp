// Reflectivity against hand-computed values: integration-time scaling, coefficients per
// model and frequency, HDR selection, range correction, limit and unknown codes.
// One-column frames keep the stored order equal to the received order.
#include <gtest/gtest.h>

#include "FrameTestSupport.h"

using namespace vantory_test;

namespace {

constexpr double kRow1[7] = {0.051779, 0.03879, 0.070588, 0.051976, 0.041449, 0.0399, 0.047257};

class ReflectivityTest : public FrameTest {
protected:
    PacketPlan column(std::vector<uint16_t> distance, std::vector<uint16_t> amplitude) {
        PacketPlan s;
        s.width = 1;
        s.height = static_cast<uint16_t>(distance.size());
        s.distance = std::move(distance);
        s.amplitude = std::move(amplitude);
        return s;
    }
    static double refl(double scaledAmplitude, double coef, double distanceMm) {
        return scaledAmplitude * coef * (distanceMm / 1000.0) * (distanceMm / 1000.0);
    }
};

TEST_F(ReflectivityTest, SingleIntegrationTime) {
    auto s = column({2000, 1234}, {500, 333});
    s.intTimes = {{1000, 0, 0, 0, 0}};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_NEAR(f->reflectivity(0), refl(100, kRow1[0], 2000), 1e-4);
    // 333 * 200 / 1000 truncates to 66.
    EXPECT_NEAR(f->reflectivity(1), refl(66, kRow1[0], 1234), 1e-4);
    EXPECT_EQ(f->intTime(0), 1000);
    EXPECT_EQ(f->freqIndex(0), 0);
}

TEST_F(ReflectivityTest, ZeroIntegrationTimeGivesZeroAmplitude) {
    auto s = column({2000}, {500});
    s.intTimes = {{0, 0, 0, 0, 0}};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->reflectivity(0), 0.0f);
}

TEST_F(ReflectivityTest, CameraBinningHalvesTheCoefficientPerDirection) {
    auto s = column({2000}, {500});
    s.binningFlags = 1;
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_FLOAT_EQ(f->reflScale(), 2.0f);
    EXPECT_NEAR(f->reflectivity(0), refl(100, kRow1[0] / 2, 2000), 1e-4);
    s.binningFlags = 3;
    f = decodeFrame(s);
    EXPECT_NEAR(f->reflectivity(0), refl(100, kRow1[0] / 4, 2000), 1e-4);
}

TEST_F(ReflectivityTest, InvalidPixelsGetZeroAndKeepTheirDistance) {
    auto s = column({2000, 64005, 0, 1500}, {64000, 500, 500, 65535});
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(f->reflectivity(i), 0.0f) << i;
        EXPECT_EQ(f->intTime(i), 0) << i;
    }
    EXPECT_EQ(f->distance(0), 2000u);
    EXPECT_EQ(f->distance(1), 964005u);
}

TEST_F(ReflectivityTest, HdrIndexSelectsTimeAndFrequencyAndTheFrequencyCarriesOver) {
    auto s = column({1000, 1000, 2000, 3000}, {333, 333, 400, 100});
    s.dataFlags = 1 | 2 | 4;
    s.intTimes = {{1000, 400, 0, 0, 0}};
    s.freqCodes = {{1, 0, 7, 1, 1}};  // index 1 -> FREQ_24M (2)
    // Pixel 0 uses time 1 (k=0, code 1 -> 0); pixel 1 time 2 (code 0 -> 2);
    // pixel 2 has k=2 whose time is 0: falls back to time 1 and keeps f = 2;
    // pixel 3 has k=9, beyond the five times: same fall-back.
    s.hdrIndex = {0, 1, 2, 9};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_NEAR(f->reflectivity(0), refl(66, kRow1[0], 1000), 1e-4);
    EXPECT_EQ(f->freqIndex(0), 0);
    EXPECT_NEAR(f->reflectivity(1), refl(166, kRow1[2], 1000), 1e-4);
    EXPECT_EQ(f->freqIndex(1), 2);
    EXPECT_EQ(f->intTime(1), 400);
    EXPECT_NEAR(f->reflectivity(2), refl(80, kRow1[2], 2000), 1e-4);
    EXPECT_EQ(f->freqIndex(2), 2);
    EXPECT_EQ(f->intTime(2), 1000);
    EXPECT_NEAR(f->reflectivity(3), refl(20, kRow1[2], 3000), 1e-4);
}

TEST_F(ReflectivityTest, RangeCorrectionAddsTwentyFiveMetresToWeakNearPixels) {
    // Scale 4: received 250 becomes 1000 mm.
    auto s = column({250, 250, 250, 250, 2000}, {10, 10, 250, 10, 10});
    s.dataFlags = 1 | 2 | 4;
    s.distanceScale = 4;
    s.intTimes = {{2000, 2000, 0, 0, 0}};
    s.freqCodes = {{1, 1, 1, 1, 1}};
    // 0: corrected. 1: k=2 has no time of its own (falls back for r, not for the check).
    // 2: received amplitude 250 too strong. 3: corrected. 4: 8000 mm too far.
    s.hdrIndex = {1, 2, 1, 0, 0};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    // scaled amplitude 10 * 200 / 2000 = 1
    EXPECT_EQ(f->distance(0), 26000u);
    EXPECT_NEAR(f->reflectivity(0), refl(1, kRow1[0], 26000), 1e-3);
    EXPECT_EQ(f->distance(1), 1000u);
    EXPECT_NEAR(f->reflectivity(1), refl(1, kRow1[0], 1000), 1e-5);
    EXPECT_EQ(f->distance(2), 1000u);
    EXPECT_EQ(f->distance(3), 26000u);
    EXPECT_EQ(f->distance(4), 8000u);
    // rawDistance is taken after the correction.
    EXPECT_EQ(f->rawDistance(0), 26000u);
}

TEST_F(ReflectivityTest, NoRangeCorrectionBelowScaleFour) {
    auto s = column({1000}, {10});
    s.dataFlags = 1 | 2 | 4;
    s.distanceScale = 3;
    s.intTimes = {{2000, 2000, 0, 0, 0}};
    s.hdrIndex = {1};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->distance(0), 3000u);
}

TEST_F(ReflectivityTest, LimitMarksStrongPixels) {
    Movoda::frame_settings::setReflectivityLimit(20);
    auto s = column({2000, 1000}, {500, 500});
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    // 20.71 > 20 is removed; 5.18 stays.
    EXPECT_EQ(f->distance(0), Movoda::kDistanceAboveReflectivityLimit);
    EXPECT_EQ(f->distance(1), 1000u);
    EXPECT_GT(f->reflectivity(0), 20.0f);
}

TEST_F(ReflectivityTest, UnknownFrequencyCodeZeroesOnlyItsPixels) {
    auto s = column({1000, 1000, 1000}, {500, 500, 500});
    s.dataFlags = 1 | 2 | 4;
    s.intTimes = {{1000, 1000, 0, 0, 0}};
    s.freqCodes = {{3, 2, 1, 1, 1}};  // code 2 has no modulation frequency
    s.hdrIndex = {0, 1, 0};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->dataFlags(), 7);
    EXPECT_NEAR(f->reflectivity(0), refl(100, kRow1[1], 1000), 1e-4);
    EXPECT_EQ(f->reflectivity(1), 0.0f);
    EXPECT_NEAR(f->reflectivity(2), refl(100, kRow1[1], 1000), 1e-4);
    EXPECT_EQ(f->unknownFrequencyPixels(), 1u);
}

TEST_F(ReflectivityTest, MaxAmplitudeIgnoresCodes) {
    auto s = column({1000, 1000, 1000}, {700, 64000, 900});
    auto f = decodeFrame(s);
    EXPECT_FLOAT_EQ(f->maxAmplitude(), 900.0f);
    s = column({1000}, {64001});
    f = decodeFrame(s);
    EXPECT_FLOAT_EQ(f->maxAmplitude(), 64000.0f);
}

}  // namespace
