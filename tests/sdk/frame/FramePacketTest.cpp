// Taking an inner frame packet apart into a Frame, as the live frame path and the readers
// of recordings both do: the header in the packet's own byte order, and the packets that
// must be refused before any plane is decoded.
#include <gtest/gtest.h>

#include "FramePacketBuilder.h"
#include "frame/FramePacket.h"

namespace {

using Movoda::frame_packet::frameFromPacket;
using vantory_test::buildInner;
using vantory_test::PacketPlan;

TEST(FramePacket, HeaderIsReadInThePacketsByteOrder) {
    struct Case {
        uint8_t format;
        uint16_t width, height, frameNumber;
    };
    for (const Case c : {Case{3, 320, 240, 4660}, Case{2, 320, 240, 4660}, Case{3, 1, 1, 1}}) {
        PacketPlan plan;
        plan.format = c.format;
        plan.width = c.width;
        plan.height = c.height;
        plan.frameNumber = c.frameNumber;
        plan.distance.assign(plan.pixels(), 1234);
        const std::vector<uint8_t> inner = buildInner(plan);
        auto frame = frameFromPacket(inner.data(), inner.size(), "rec_7");
        ASSERT_TRUE(frame) << int(c.format);
        EXPECT_EQ(frame->width(), c.width);
        EXPECT_EQ(frame->height(), c.height);
        EXPECT_EQ(frame->frameId(), c.frameNumber);
        EXPECT_EQ(frame->name(), "rec_7");
        frame->decode();
        EXPECT_EQ(frame->distance(0), 1234u) << int(c.format);
    }
}

TEST(FramePacket, PacketsOutsideTheSensorOrWithABrokenBlockAreRefused) {
    const auto refuses = [](const PacketPlan& plan) {
        const std::vector<uint8_t> inner = buildInner(plan);
        return frameFromPacket(inner.data(), inner.size(), std::string()) == nullptr;
    };
    PacketPlan plan;
    EXPECT_FALSE(refuses(plan));
    for (const auto& [width, height] :
         {std::pair<uint16_t, uint16_t>{0, 240}, {321, 240}, {320, 0}, {320, 241}}) {
        PacketPlan wrong = plan;
        wrong.width = width;
        wrong.height = height;
        EXPECT_TRUE(refuses(wrong)) << width << " x " << height;
    }
    PacketPlan badBlock = plan;
    badBlock.blockLength = 205;
    EXPECT_TRUE(refuses(badBlock));

    const uint8_t tiny[8] = {251, 0, 0, 0, 64, 1, 240, 0};
    EXPECT_EQ(frameFromPacket(tiny, sizeof tiny, ""), nullptr);
    EXPECT_EQ(frameFromPacket(nullptr, 100, ""), nullptr);
}

}  // namespace
