// Temporal noise: exact zeros for still frames, hand-computed deviations for known
// sequences, the window sliding past its wrap, unmeasured pixels and size changes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/PlaneRules.h"
#include "analysis/TemporalNoise.h"

namespace va = vantory::analysis;

namespace {
constexpr int kW = 4, kH = 2;
}

TEST(TemporalNoise, ConstantFramesHaveZeroNoiseAndTooFewFramesHaveNone) {
    va::TemporalNoise noise(10);
    const std::vector<std::uint32_t> frame(kW * kH, 123456);
    std::vector<float> map;
    noise.add(frame.data(), kW, kH);
    noise.map(map);
    EXPECT_TRUE(std::isnan(map[0]));  // one frame has no spread
    EXPECT_TRUE(std::isnan(noise.roiMean({})));
    for (int i = 0; i < 30; ++i) noise.add(frame.data(), kW, kH);
    noise.map(map);
    EXPECT_EQ(noise.frames(), 10);
    for (float v : map) EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(noise.roiMean({}), 0.0);
}

TEST(TemporalNoise, KnownSequencesThroughTheRingWrap) {
    struct Case {
        const char* name;
        int depth, frames;
        double expected;  // deviation of pixel 0 after the frames
    } cases[] = {
        // 1000, 1010, 1000, ...: every window of even length has deviation 5.
        {"alternating, window just full", 10, 10, 5.0},
        // Value 1000 + k for frame k: the window holds ten consecutive integers,
        // deviation sqrt((10^2 - 1) / 12), only if the frames leaving were subtracted.
        {"ramp after two and a half wraps", 10, 25, std::sqrt(99.0 / 12)},
        {"ramp, deep window, partly filled", 100, 40, std::sqrt((40.0 * 40 - 1) / 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        va::TemporalNoise noise(c.depth);
        const bool alternating = c.name[0] == 'a';
        std::vector<std::uint16_t> frame(kW * kH, 2000);
        for (int k = 0; k < c.frames; ++k) {
            frame[0] = static_cast<std::uint16_t>(alternating ? 1000 + 10 * (k % 2) : 1000 + k);
            noise.add(frame.data(), kW, kH);
        }
        std::vector<float> map;
        noise.map(map);
        EXPECT_NEAR(map[0], c.expected, 1e-4);
        EXPECT_EQ(map[1], 0.0f);
        EXPECT_NEAR(noise.roiMean({0, 0, 2, 1}), c.expected / 2, 1e-9);
    }
}

TEST(TemporalNoise, UnmeasuredPixelIsNaNWhileInTheWindowAndSizeChangeStartsAgain) {
    va::TemporalNoise noise(10);
    std::vector<std::uint32_t> frame(kW * kH, 1500);
    for (int k = 0; k < 12; ++k) {
        frame[2] = k == 3 ? Movoda::kDistanceInvalidFrom + 1 : 1500;
        frame[3] = k == 5 ? 0 : 1500;  // 0 is no distance either
        noise.add(frame.data(), kW, kH);
    }
    std::vector<float> map;
    noise.map(map);
    EXPECT_TRUE(std::isnan(map[2]));
    EXPECT_TRUE(std::isnan(map[3]));
    EXPECT_TRUE(std::isnan(noise.roiMean({2, 0, 2, 1})));
    EXPECT_EQ(noise.roiMean({0, 0, 4, 1}), 0.0);                  // the measured pixels only
    for (int k = 0; k < 4; ++k) noise.add(frame.data(), kW, kH);  // frame 5 has left
    noise.map(map);
    EXPECT_EQ(map[2], 0.0f);
    EXPECT_EQ(map[3], 0.0f);

    const std::vector<std::uint32_t> larger(8 * 2, 1500);
    noise.add(larger.data(), 8, 2);
    EXPECT_EQ(noise.frames(), 1);
    EXPECT_EQ(noise.width(), 8);
    noise.setDepth(500);
    EXPECT_EQ(noise.depth(), va::TemporalNoise::kMaxDepth);
    EXPECT_EQ(noise.frames(), 0);
}
