// Frames for the frame-path tests: the packet builder of the frame decoder's tests plus
// the information-block bytes only the viewer reads (sub-frame mask and times, PTP
// offset, alignment values, link status).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "FramePacketBuilder.h"
#include "mvsdk/Frame.h"

namespace framepath_test {

struct BlockExtras {
    std::uint8_t subFrameMask = 0;
    std::array<std::uint64_t, 5> subFrameMs{};  // written when non-zero
    std::uint32_t ptpOffsetUs = 0;
    std::uint8_t alignFirst = 0;
    std::uint8_t alignSecond = 0;
    std::uint8_t linkStatus = 0;
};

inline std::shared_ptr<const Movoda::Frame> buildFrame(const vantory_test::PacketPlan& plan,
                                                       const BlockExtras& extras = {}) {
    std::vector<std::uint8_t> inner = vantory_test::buildInner(plan);
    if (plan.format == 3) {
        const std::size_t block = inner.size() - Movoda::Frame::kInfoBlockSize;
        inner[block + 95] = extras.subFrameMask;
        for (std::size_t k = 0; k < extras.subFrameMs.size(); ++k) {
            if (extras.subFrameMs[k] != 0) vantory_test::putLe64(inner, block + 147 + 8 * k, extras.subFrameMs[k]);
        }
        vantory_test::putLe32(inner, block + 187, extras.ptpOffsetUs);
        inner[block + 128] = extras.alignFirst;
        inner[block + 129] = extras.alignSecond;
        inner[block + 194] = extras.linkStatus;
    }
    std::shared_ptr<Movoda::Frame> frame = vantory_test::makeFrame(plan, inner);
    if (frame) frame->decode();
    return frame;
}

// A small frame with one distance/amplitude value everywhere.
inline vantory_test::PacketPlan uniformPlan(std::uint16_t width, std::uint16_t height, std::uint16_t distance,
                                            std::uint16_t amplitude) {
    vantory_test::PacketPlan plan;
    plan.width = width;
    plan.height = height;
    plan.dataType = 0;
    plan.dataFlags = 3;
    plan.distance.assign(plan.pixels(), distance);
    plan.amplitude.assign(plan.pixels(), amplitude);
    return plan;
}

}  // namespace framepath_test
