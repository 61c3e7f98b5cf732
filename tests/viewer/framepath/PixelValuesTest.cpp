// Values at the selected pixel and the phase angle, read from decoded frames.
#include <gtest/gtest.h>

#include "FramePathTestFrames.h"
#include "PixelValues.h"

using namespace vantory::framepath;
using framepath_test::buildFrame;

namespace {

constexpr std::uint16_t kW = 8;
constexpr std::uint16_t kH = 4;

// Frames store rows mirrored: the received column c lands in column W - 1 - c.
std::size_t received(int x, int y) { return static_cast<std::size_t>(y) * kW + (kW - 1 - x); }

// Raw DCS planes are stored as received, plane after plane.
vantory_test::PacketPlan dcsPlan(int x, int y, std::array<std::uint16_t, 4> samples) {
    vantory_test::PacketPlan plan = framepath_test::uniformPlan(kW, kH, 1000, 100);
    plan.dataFlags = 0x03 | 0x10;
    plan.rawPhase.assign(4u * plan.pixels(), 2048);
    const std::size_t i = static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x);
    for (std::size_t k = 0; k < 4; ++k) plan.rawPhase[k * plan.pixels() + i] = samples[k];
    return plan;
}

}  // namespace

TEST(PixelValues, ReadsEachPlaneAtTheMirroredPosition) {
    vantory_test::PacketPlan plan = framepath_test::uniformPlan(kW, kH, 1000, 100);
    plan.dataFlags = 0x0F;
    plan.grayscale.assign(plan.pixels(), 7);
    plan.hdrIndex.assign(plan.pixels(), 0);
    plan.distance[received(5, 2)] = 2345;
    plan.amplitude[received(5, 2)] = 678;
    plan.grayscale[received(5, 2)] = 901;
    plan.hdrIndex[received(5, 2)] = 2;
    const auto frame = buildFrame(plan);
    ASSERT_TRUE(frame);
    const PixelValues v = readPixelValues(*frame, 5, 2, PixelChoice{});
    EXPECT_EQ(v.distance, 2345);
    EXPECT_EQ(v.amplitude, 678);
    EXPECT_EQ(v.grayscale, 901);
    EXPECT_EQ(v.confidence, 2);
    EXPECT_EQ(v.flags, 0x0F);
    EXPECT_GT(v.reflectivity, 0.0f);
    const PixelValues other = readPixelValues(*frame, 4, 2, PixelChoice{});
    EXPECT_EQ(other.distance, 1000);
    EXPECT_EQ(other.grayscale, 7);
}

TEST(PixelValues, WithoutPlanesConfidenceIsMinusOneAndAmplitudeZero) {
    vantory_test::PacketPlan plan = framepath_test::uniformPlan(kW, kH, 1500, 300);
    plan.dataFlags = 0x01;
    const auto frame = buildFrame(plan);
    ASSERT_TRUE(frame);
    const PixelValues v = readPixelValues(*frame, 1, 1, PixelChoice{});
    EXPECT_EQ(v.distance, 1500);
    EXPECT_EQ(v.confidence, -1);
    EXPECT_EQ(v.amplitude, 0);
}

TEST(PixelValues, SecondDistanceIsTheFilteredPlane) {
    const vantory_test::PacketPlan plan = framepath_test::uniformPlan(kW, kH, 1000, 100);
    std::shared_ptr<Movoda::Frame> frame = std::const_pointer_cast<Movoda::Frame>(buildFrame(plan));
    ASSERT_TRUE(frame);
    frame->setDistance(2 * kW + 3, 964001);  // what a filter or the point cloud writes
    PixelChoice choice;
    EXPECT_EQ(readPixelValues(*frame, 3, 2, choice).distance, 1000);
    choice.useSecondDistance = true;
    EXPECT_EQ(readPixelValues(*frame, 3, 2, choice).distance, 964001);
    EXPECT_EQ(distancePlaneOf(*frame, true)[2 * kW + 3], 964001u);
    EXPECT_EQ(distancePlaneOf(*frame, false)[2 * kW + 3], 1000u);
}

TEST(PixelValues, RawDcsDisplayReplacesDistanceAndAmplitude) {
    const auto frame = buildFrame(dcsPlan(3, 1, {2100, 2000, 2548, 3048}));
    ASSERT_TRUE(frame);
    PixelChoice choice;
    choice.dcsMode = 1;
    PixelValues v = readPixelValues(*frame, 3, 1, choice);
    EXPECT_EQ(v.distance, 52);    // plane 0 - 2048
    EXPECT_EQ(v.amplitude, -48);  // plane 1 - 2048
    choice.dcsMode = 2;
    v = readPixelValues(*frame, 3, 1, choice);
    EXPECT_EQ(v.distance, 500);
    EXPECT_EQ(v.amplitude, 1000);
    choice.dcsMode = 3;
    v = readPixelValues(*frame, 3, 1, choice);
    EXPECT_EQ(v.distance, 448);    // |p0 - p2|
    EXPECT_EQ(v.amplitude, 1048);  // |p1 - p3|
    // Without raw planes the DCS choice has nothing to show and the planes stay.
    const auto plain = buildFrame(framepath_test::uniformPlan(kW, kH, 1000, 100));
    EXPECT_EQ(readPixelValues(*plain, 3, 1, choice).distance, 1000);
}

TEST(PixelValues, ClampResetsOnlyTheAxisOutside) {
    std::int32_t x = 8, y = 3;
    clampToFrame(x, y, kW, kH);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 3);
    x = 7;
    y = -1;
    clampToFrame(x, y, kW, kH);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 0);
}

TEST(PhaseAngle, FromTheFourPlanes) {
    EXPECT_EQ(phaseAngleOf(0, 10, 100, 10), 180);  // d3 - d1 = 0, d2 - d0 > 0
    EXPECT_EQ(phaseAngleOf(0, 0, 0, 100), 270);
    EXPECT_EQ(phaseAngleOf(0, 100, 0, 0), 90);
    EXPECT_EQ(phaseAngleOf(100, 0, 0, 0), 360);
    EXPECT_EQ(phaseAngleOf(100, 0, 0, 1), 359);      // truncated, not rounded
    const auto frame = buildFrame(dcsPlan(3, 1, {2000, 2100, 2100, 2100}));
    ASSERT_TRUE(frame);
    EXPECT_EQ(phaseAngle(*frame, 3, 1), 180);
    EXPECT_EQ(phaseAngle(*frame, 0, 1), -1);  // x or y of 0 gives no angle
    EXPECT_EQ(phaseAngle(*frame, 3, 0), -1);
    EXPECT_EQ(phaseAngle(*frame, kW, 1), -1);
    const auto plain = buildFrame(framepath_test::uniformPlan(kW, kH, 1000, 100));
    EXPECT_EQ(phaseAngle(*plain, 3, 1), -1);
}
