// Synthetic 320 x 240 frame packets shared by the frame benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "FramePacketBuilder.h"

namespace vantory_bench {

// A smooth scene: a tilted plane with some invalid pixels, amplitudes across the range.
inline vantory_test::PacketPlan benchPlan(uint8_t dataFlags) {
    vantory_test::PacketPlan s;
    s.dataFlags = dataFlags;
    s.intTimes = {{1000, 250, 0, 0, 0}};
    s.freqCodes = {{1, 0, 1, 1, 1}};
    s.lens = {{210.5f, 211.0f, 158.7f, 121.2f, -0.12f, 0.03f, 0.0f, 0.0008f, -0.0006f}};
    const size_t n = s.pixels();
    s.distance.resize(n);
    s.amplitude.resize(n);
    s.grayscale.resize(n);
    s.hdrIndex.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t r = i / s.width, c = i % s.width;
        s.distance[i] = (i % 97 == 0) ? 64001 : static_cast<uint16_t>(800 + 4 * r + 2 * c);
        s.amplitude[i] = static_cast<uint16_t>(50 + (i * 37) % 2500);
        s.grayscale[i] = static_cast<uint16_t>((i * 13) % 4096);
        s.hdrIndex[i] = static_cast<uint8_t>((r + c) % 2);
    }
    return s;
}

}  // namespace vantory_bench
