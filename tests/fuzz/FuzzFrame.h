// Inner frame packets through the same steps as the SDK's frame intake and decoder.
#pragma once

#include <cstdint>
#include <memory>

#include "FuzzCheck.h"
#include "daemon/FramePipeline.h"
#include "mvsdk/Frame.h"

namespace fuzzcheck {

// Takes the header and decodes the planes of an inner packet (command id .. trailer
// type) as the frame intake and the decode worker do; refused packets end early.
inline void decodeInner(const uint8_t* inner, size_t size) {
    using namespace Movoda::pipeline;
    if (size < kHeaderBytes + 1) return;
    const bool big = inner[size - 1] != kTrailerLittleEndian;
    const auto u16 = [&](size_t at) {
        return big ? uint16_t(inner[at] << 8 | inner[at + 1])
                   : uint16_t(inner[at + 1] << 8 | inner[at]);
    };
    const uint16_t width = u16(kWidthOffset), height = u16(kHeightOffset);
    if (width < 1 || width > kMaxFrameWidth || height < 1 || height > kMaxFrameHeight) return;
    auto frame = std::make_shared<Movoda::Frame>(inner[1], u16(kFrameNumberOffset), width, height);
    if (!frame->loadHeader(inner, size)) return;
    frame->setPacket(inner, size, big);
    frame->allocatePlanes();
    frame->decode();
    require(uint64_t(frame->width()) * frame->height() <= frame->pixelCount(),
            "decoded size beyond the planes");
    (void)frame->maxAmplitude();
}

}  // namespace fuzzcheck
