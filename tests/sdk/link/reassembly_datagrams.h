// Builders for image-stream datagrams used by the reassembler tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "link/Packet.h"
#include "link/UdpReassembler.h"

namespace reassembly_test {

struct ChunkHeaderFields {
    uint16_t sequence = 0;
    uint32_t frameSize = 0;
    uint16_t length = 0;
    uint32_t offset = 0;
};

inline void putField(std::vector<uint8_t>& out, uint64_t value, int bytes, bool big) {
    for (int i = 0; i < bytes; ++i) {
        const int shift = big ? 8 * (bytes - 1 - i) : 8 * i;
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// Appends one chunk (20-byte header then payload) to a datagram.
inline void appendChunk(std::vector<uint8_t>& datagram, const ChunkHeaderFields& h,
                        const uint8_t* payload, size_t payloadBytes, bool big) {
    putField(datagram, h.sequence, 2, big);
    putField(datagram, h.frameSize, 4, big);
    putField(datagram, h.length, 2, big);
    putField(datagram, h.offset, 4, big);
    putField(datagram, 0, 8, big);
    datagram.insert(datagram.end(), payload, payload + payloadBytes);
}

// A whole frame packet: command id 251, payload bytes derived from seed, trailer type 3.
inline std::vector<uint8_t> makeFramePacket(size_t payloadBytes, uint32_t seed, bool big) {
    std::vector<uint8_t> payload(payloadBytes);
    uint32_t x = seed * 2654435761u + 1;
    for (uint8_t& b : payload) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    const uint8_t trailer[] = {0x00, 0x03, 0x03};
    return Movoda::packet::buildPacket(251, payload.data(), payload.size(), trailer, sizeof trailer,
                                       big);
}

// What the reassembler hands out for a frame packet: its inner bytes.
inline std::vector<uint8_t> innerOf(const std::vector<uint8_t>& framePacket) {
    return {framePacket.begin() + Movoda::packet::kInnerOffset,
            framePacket.end() - Movoda::packet::kMarkSize};
}

// One datagram per chunk, chunk payloads of at most chunkBytes.
inline std::vector<std::vector<uint8_t>> chunkFrame(const std::vector<uint8_t>& frame,
                                                    uint16_t sequence, size_t chunkBytes,
                                                    bool big) {
    std::vector<std::vector<uint8_t>> datagrams;
    for (size_t offset = 0; offset < frame.size(); offset += chunkBytes) {
        const size_t n = std::min(chunkBytes, frame.size() - offset);
        std::vector<uint8_t> d;
        appendChunk(d,
                    {sequence, static_cast<uint32_t>(frame.size()), static_cast<uint16_t>(n),
                     static_cast<uint32_t>(offset)},
                    frame.data() + offset, n, big);
        datagrams.push_back(std::move(d));
    }
    return datagrams;
}

// An IMU report datagram: one chunk whose payload is a whole packet with id 252.
inline std::vector<uint8_t> makeImuDatagram(const std::vector<uint8_t>& data, bool big) {
    const uint8_t trailer[] = {0x00, 0x03, 0x03};
    const std::vector<uint8_t> packet =
        Movoda::packet::buildPacket(252, data.data(), data.size(), trailer, sizeof trailer, big);
    std::vector<uint8_t> d;
    appendChunk(d,
                {7, static_cast<uint32_t>(packet.size()), static_cast<uint16_t>(packet.size()), 0},
                packet.data(), packet.size(), big);
    return d;
}

}  // namespace reassembly_test
