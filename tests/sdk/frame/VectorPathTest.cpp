// The decoders work on whole groups of pixels with a scalar tail for the rest of a row.
// Each pixel of a wide frame must decode exactly as the same pixel alone in a one-pixel
// frame, which only the scalar path handles, for values at every code boundary and in
// every lane position.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <vector>

#include "FrameTestSupport.h"

using namespace vantory_test;

namespace {

const std::vector<uint16_t> kBoundaryValues = {0,     1,     2,     999,   1000,  32767, 32768,
                                               63998, 63999, 64000, 64001, 64002, 65534, 65535};

struct Layout {
    uint16_t width;
    const char* model;  // "XK75" keeps rows unmirrored
    uint8_t distanceScale;
};

std::ostream& operator<<(std::ostream& out, const Layout& layout) {
    return out << layout.width << " wide, " << layout.model << ", scale "
               << int(layout.distanceScale);
}

class VectorPathTest : public FrameTest, public ::testing::WithParamInterface<Layout> {};

// Each value lands on a different lane in each row because the row length is not a
// multiple of the group size for most widths.
PacketPlan widePlan(const Layout& layout, uint16_t height) {
    PacketPlan plan;
    plan.width = layout.width;
    plan.height = height;
    plan.model = layout.model;
    plan.distanceScale = layout.distanceScale;
    for (size_t i = 0; i < plan.pixels(); ++i) {
        plan.distance.push_back(kBoundaryValues[i % kBoundaryValues.size()]);
        plan.amplitude.push_back(kBoundaryValues[(i * 5 + 3) % kBoundaryValues.size()]);
    }
    return plan;
}

PacketPlan singlePixelPlan(const PacketPlan& wide, size_t received) {
    PacketPlan plan = wide;
    plan.width = 1;
    plan.height = 1;
    plan.distance = {wide.distance[received]};
    plan.amplitude = {wide.amplitude[received]};
    return plan;
}

bool sameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_P(VectorPathTest, EveryPixelDecodesAsItWouldAlone) {
    const Layout layout = GetParam();
    const uint16_t height = 3;
    const PacketPlan wide = widePlan(layout, height);
    auto frame = decodeFrame(wide);
    ASSERT_TRUE(frame);
    const bool mirroredRows = std::string(layout.model) != "XK75";

    for (size_t row = 0; row < height; ++row) {
        for (size_t column = 0; column < layout.width; ++column) {
            const size_t received = row * layout.width + column;
            auto alone = decodeFrame(singlePixelPlan(wide, received));
            ASSERT_TRUE(alone);
            const size_t stored =
                mirroredRows ? mirrored(row, column, layout.width) : received;
            SCOPED_TRACE(testing::Message() << "row " << row << " column " << column
                                            << " distance " << wide.distance[received]
                                            << " amplitude " << wide.amplitude[received]);
            EXPECT_EQ(frame->distance(stored), alone->distance(0));
            EXPECT_EQ(frame->rawDistance(stored), alone->rawDistance(0));
            EXPECT_EQ(frame->amplitude(stored), alone->amplitude(0));
            EXPECT_TRUE(sameFloat(frame->reflectivity(stored), alone->reflectivity(0)))
                << frame->reflectivity(stored) << " vs " << alone->reflectivity(0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, VectorPathTest,
                         ::testing::Values(Layout{8, "XR300LITE", 1}, Layout{13, "XR300LITE", 1},
                                           Layout{24, "XK75", 1}, Layout{31, "XR300LITE", 2},
                                           Layout{17, "XK75", 3}));

// The largest valid amplitude is the largest value below the first code, wherever it sits.
TEST_F(FrameTest, MaxAmplitudeIgnoresCodesInEveryLane) {
    for (uint16_t width : {9, 16, 23}) {
        PacketPlan plan;
        plan.width = width;
        plan.height = 2;
        plan.distance.assign(plan.pixels(), 1000);
        plan.amplitude.assign(plan.pixels(), 64000);
        plan.amplitude[plan.pixels() - 1] = 63999;
        plan.amplitude[plan.pixels() / 2] = 65535;
        auto frame = decodeFrame(plan);
        ASSERT_TRUE(frame);
        EXPECT_FLOAT_EQ(frame->maxAmplitude(), 63999.0f) << "width " << width;
    }
}

}  // namespace
