// Cuts a frame packet into image datagrams (20-byte chunk header + at most 1400 bytes) and
// decides, with a seeded generator, which of them to drop, reorder, duplicate or corrupt.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace camsim {

struct DatagramFaults {
    double drop = 0, reorder = 0, duplicate = 0, corrupt = 0;  // shares 0..1
};

struct DatagramCounters {
    uint64_t frames = 0, datagrams = 0, bytes = 0;
    uint64_t dropped = 0, duplicated = 0, corrupted = 0;
    uint64_t reordered = 0;  // datagrams sent out of their place
};

// Writes the chunk header of one chunk.
void writeChunkHeader(uint8_t* at, uint16_t sequence, uint32_t total, uint16_t length,
                      uint32_t offset, bool bigEndian);

class DatagramPlanner {
public:
    explicit DatagramPlanner(uint64_t seed) : rng_(seed) {}

    // Cuts `packet` into datagrams and hands each one to `send`, with the faults applied.
    void sendFrame(const std::vector<uint8_t>& packet, uint16_t sequence, bool bigEndian,
                   const DatagramFaults& faults,
                   const std::function<void(const uint8_t*, size_t)>& send);
    // A small report packet travels whole in one chunk.
    void sendReport(const std::vector<uint8_t>& packet, uint16_t sequence, bool bigEndian,
                    const std::function<void(const uint8_t*, size_t)>& send);

    const DatagramCounters& counters() const { return counters_; }

private:
    bool chance(double share);

    std::mt19937_64 rng_;
    std::uniform_real_distribution<double> unit_{0.0, 1.0};
    std::vector<uint8_t> buffer_;  // all datagrams of one frame, back to back
    std::vector<size_t> starts_;   // start of each datagram in buffer_
    std::vector<size_t> order_;    // send order after faults
    DatagramCounters counters_;
};

}  // namespace camsim
