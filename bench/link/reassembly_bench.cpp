// Throughput of UDP frame reassembly on prepared datagrams, counted in chunk payload
// bytes. Full-size frames (320 x 240 with every plane is about 1.2 MB) are cut into the
// camera's 1400-byte chunks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <random>
#include <vector>

#include "link/Packet.h"
#include "link/UdpReassembler.h"

namespace {

using Movoda::udpchunk::kMaxPayload;

constexpr size_t kFrameBytes = 1200000;
constexpr int kFramesPerRound = 6;

struct Prepared {
    std::vector<std::vector<uint8_t>> datagrams;
    uint64_t payloadBytes = 0;
};

void putField(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> framePacket(uint32_t seed) {
    std::vector<uint8_t> payload(kFrameBytes - 16);
    std::mt19937 rng(seed);
    for (auto& b : payload) b = static_cast<uint8_t>(rng());
    const uint8_t trailer[] = {0x00, 0x03, 0x03};
    return Movoda::packet::buildPacket(251, payload.data(), payload.size(), trailer, sizeof trailer,
                                       false);
}

// chunksPerDatagram chunks back to back in each datagram; interleave mixes the chunks of
// three frames in flight in random order.
Prepared prepare(int chunksPerDatagram, bool interleave) {
    Prepared p;
    std::vector<std::vector<uint8_t>> chunks;
    std::mt19937 rng(42);
    for (int f = 0; f < kFramesPerRound; ++f) {
        const std::vector<uint8_t> frame = framePacket(f);
        for (size_t offset = 0; offset < frame.size(); offset += kMaxPayload) {
            const size_t n = std::min<size_t>(kMaxPayload, frame.size() - offset);
            std::vector<uint8_t> c;
            putField(c, static_cast<uint32_t>(f), 2);
            putField(c, static_cast<uint32_t>(frame.size()), 4);
            putField(c, static_cast<uint32_t>(n), 2);
            putField(c, static_cast<uint32_t>(offset), 4);
            putField(c, 0, 4);
            putField(c, 0, 4);
            c.insert(c.end(), frame.begin() + offset, frame.begin() + offset + n);
            chunks.push_back(std::move(c));
            p.payloadBytes += n;
        }
        if (interleave && f % 3 == 2) {
            const size_t groupStart =
                chunks.size() - 3 * ((frame.size() + kMaxPayload - 1) / kMaxPayload);
            std::shuffle(chunks.begin() + groupStart, chunks.end(), rng);
        }
    }
    for (size_t i = 0; i < chunks.size();) {
        std::vector<uint8_t> d;
        for (int n = 0; n < chunksPerDatagram && i < chunks.size(); ++n, ++i)
            d.insert(d.end(), chunks[i].begin(), chunks[i].end());
        p.datagrams.push_back(std::move(d));
    }
    return p;
}

void BM_Reassembly(benchmark::State& state) {
    const Prepared p = prepare(static_cast<int>(state.range(0)), state.range(1) != 0);
    std::atomic<bool> big{false};
    Movoda::UdpReassembler reassembler(big);
    std::vector<uint8_t> out;
    out.reserve(kFrameBytes);
    for (auto _ : state) {
        for (const auto& d : p.datagrams) {
            const bool done = reassembler.udppacket(d.data(), d.size(), out);
            benchmark::DoNotOptimize(done);
        }
        benchmark::DoNotOptimize(out.data());
    }
    const uint64_t completed = reassembler.stats().framesCompleted;
    if (completed != static_cast<uint64_t>(kFramesPerRound * state.iterations()))
        state.SkipWithError("frames were lost");
    state.SetBytesProcessed(static_cast<int64_t>(p.payloadBytes * state.iterations()));
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(completed), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Reassembly)
    ->ArgNames({"chunksPerDatagram", "interleaved"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({8, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
