// Inner frame packets through the same steps as the SDK's frame intake and decoder.
#pragma once

#include <cstdint>
#include <memory>

#include "FuzzCheck.h"
#include "frame/FramePacket.h"
#include "mvsdk/Frame.h"

namespace fuzzcheck {

// Takes the header and decodes the planes of an inner packet (command id .. trailer
// type) as the frame intake and the decode worker do; refused packets end early.
inline void decodeInner(const uint8_t* inner, size_t size) {
    if (Movoda::frame_packet::tooShort(inner, size)) return;
    const std::shared_ptr<Movoda::Frame> frame =
        Movoda::frame_packet::frameFromPacket(inner, size, std::string());
    if (!frame) return;
    frame->allocatePlanes();
    frame->decode();
    require(uint64_t(frame->width()) * frame->height() <= frame->pixelCount(),
            "decoded size beyond the planes");
    (void)frame->maxAmplitude();
}

}  // namespace fuzzcheck
