// Packets as a camera sends them on the serial link, for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/Packet.h"

namespace vantory_test {

using Bytes = std::vector<uint8_t>;

// A camera packet with the trailer status, state, type 3.
inline Bytes cameraPacket(uint8_t id, const Bytes& payload, bool bigEndian, uint8_t status = 0,
                          uint8_t state = 2) {
    const uint8_t trailer[3] = {status, state, Movoda::packet::kTrailerSplit};
    return Movoda::packet::buildPacket(id, payload.data(), payload.size(), trailer, sizeof trailer,
                                       bigEndian);
}

inline Bytes innerOf(const Bytes& packet) {
    return Bytes(packet.begin() + Movoda::packet::kInnerOffset,
                 packet.end() - Movoda::packet::kMarkSize);
}

// Deterministic pseudo-random bytes, different for each seed.
inline Bytes patterned(size_t size, uint32_t seed) {
    Bytes out(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = uint8_t(x >> 16);
    }
    return out;
}

}  // namespace vantory_test
