// Bounded random-input runs of the reassembler: shuffled valid streams must come out
// intact, and arbitrary bytes must never crash it, read outside the datagram or hand out
// something that cannot be a packet.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <random>
#include <vector>

#include "DatagramPlanner.h"
#include "link/UdpReassembler.h"
#include "reassembly_datagrams.h"

using namespace reassembly_test;
using Movoda::UdpReassembler;
namespace chunk = Movoda::udpchunk;

namespace {

bool feedExact(UdpReassembler& r, const std::vector<uint8_t>& datagram, std::vector<uint8_t>& out) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[datagram.size() + 1]);
    std::copy(datagram.begin(), datagram.end(), exact.get());
    return r.udppacket(exact.get(), datagram.size(), out);
}

// Packs the chunks of one group of frames, shuffled, into datagrams of random fill.
std::vector<std::vector<uint8_t>> packShuffled(std::vector<std::vector<uint8_t>> chunks,
                                               std::mt19937& rng) {
    std::shuffle(chunks.begin(), chunks.end(), rng);
    std::vector<std::vector<uint8_t>> datagrams;
    std::uniform_int_distribution<int> perDatagram(1, 6);
    for (size_t i = 0; i < chunks.size();) {
        std::vector<uint8_t> d;
        for (int n = perDatagram(rng); n > 0 && i < chunks.size(); --n, ++i)
            d.insert(d.end(), chunks[i].begin(), chunks[i].end());
        datagrams.push_back(std::move(d));
    }
    return datagrams;
}

class ReassemblyFuzz : public ::testing::TestWithParam<uint32_t> {};

// Groups of three frames in flight, chunks in random order and random sizes, packed
// several to a datagram, with sequence numbers running across the wrap.
TEST_P(ReassemblyFuzz, ShuffledValidStreamsComeOutIntact) {
    std::mt19937 rng(GetParam());
    for (bool big : {false, true}) {
        std::atomic<bool> order{big};
        UdpReassembler r(order);
        std::vector<uint8_t> out;
        uint16_t sequence = static_cast<uint16_t>(65520 + rng() % 10);
        size_t delivered = 0;
        for (int group = 0; group < 40; ++group) {
            std::vector<std::vector<uint8_t>> frames, chunks;
            for (int f = 0; f < 3; ++f, ++sequence) {
                // Chunk lengths stay above 255 so that no header also reads as plausible
                // in the other byte order.
                const size_t chunkBytes = 256 + rng() % (chunk::kMaxPayload - 255);
                const size_t payload = rng() % 40000;
                frames.push_back(makeFramePacket(payload, rng(), big));
                for (auto& c : chunkFrame(frames.back(), sequence, chunkBytes, big))
                    chunks.push_back(std::move(c));
            }
            std::vector<std::vector<uint8_t>> results;
            for (const auto& d : packShuffled(chunks, rng))
                if (feedExact(r, d, out)) results.push_back(out);
            // Each datagram returns only its last result; count per frame instead.
            const auto s = r.stats();
            ASSERT_EQ(s.framesCompleted, delivered + 3) << "group " << group;
            delivered += 3;
            for (const auto& got : results) {
                const bool known = std::any_of(frames.begin(), frames.end(),
                                               [&](const auto& f) { return got == innerOf(f); });
                EXPECT_TRUE(known);
            }
        }
        const auto s = r.stats();
        EXPECT_EQ(s.framesEvicted, 0u);
        EXPECT_EQ(s.framesBroken, 0u);
        EXPECT_EQ(s.chunksDiscarded, 0u);
        EXPECT_EQ(order.load(), big);
    }
}

std::vector<uint8_t> randomHeaderDatagram(std::mt19937& rng) {
    std::vector<uint8_t> d;
    const int chunks = 1 + rng() % 4;
    for (int i = 0; i < chunks; ++i) {
        const bool big = rng() & 1;
        ChunkHeaderFields h;
        h.sequence = static_cast<uint16_t>(rng() % 8);
        // Mostly near the limits, sometimes anything.
        h.frameSize = (rng() & 3) ? rng() % (chunk::kMaxFrameSize + 2000) : rng();
        h.length = (rng() & 3) ? rng() % (chunk::kMaxPayload + 50) : static_cast<uint16_t>(rng());
        h.offset = (rng() & 3) ? (h.frameSize ? rng() % (h.frameSize + 1500) : 0) : rng();
        const size_t actual = (rng() & 7) ? std::min<size_t>(h.length, 1500) : rng() % 1500;
        std::vector<uint8_t> payload(actual);
        for (auto& b : payload) b = static_cast<uint8_t>(rng());
        if (actual > 8 && (rng() & 7) == 0) payload[8] = chunk::kImuCmdId;
        appendChunk(d, h, payload.data(), payload.size(), big);
    }
    if (rng() & 1) d.resize(rng() % (d.size() + 1));
    return d;
}

std::vector<uint8_t> randomBytes(std::mt19937& rng) {
    std::vector<uint8_t> d(rng() % 3000);
    for (auto& b : d) b = static_cast<uint8_t>(rng());
    return d;
}

// Arbitrary datagrams, crafted headers and bit-flipped valid chunks; whatever comes out
// must have the shape of an inner packet, and a clean frame must still pass afterwards.
TEST_P(ReassemblyFuzz, ArbitraryDatagramsAreHandledSafely) {
    std::mt19937 rng(GetParam());
    std::atomic<bool> order{false};
    UdpReassembler r(order);
    std::vector<uint8_t> out;
    const auto valid = chunkFrame(makeFramePacket(5000, 1, false), 3, 1000, false);
    uint64_t results = 0;
    for (int i = 0; i < 60000; ++i) {
        std::vector<uint8_t> d;
        switch (rng() % 3) {
            case 0:
                d = randomBytes(rng);
                break;
            case 1:
                d = randomHeaderDatagram(rng);
                break;
            default:
                d = valid[rng() % valid.size()];
                for (int flips = 1 + rng() % 3; flips > 0; --flips)
                    d[rng() % d.size()] ^= 1u << (rng() % 8);
                break;
        }
        out.clear();
        if (feedExact(r, d, out)) {
            ++results;
            ASSERT_GE(out.size(), Movoda::packet::kMinInnerSize);
            ASSERT_LE(out.size(), chunk::kMaxFrameSize - Movoda::packet::kFramingSize);
        }
    }
    const auto s = r.stats();
    EXPECT_LE(results, s.framesCompleted + s.imuReports);

    r.reset();
    order = false;
    const auto packet = makeFramePacket(3000, 2, false);
    bool done = false;
    for (const auto& d : chunkFrame(packet, 1000, 1000, false)) done = feedExact(r, d, out);
    ASSERT_TRUE(done);
    EXPECT_EQ(out, innerOf(packet));
}

// A frame packet whose every payload byte tells the sequence it belongs to: the byte at
// packet position p is the low (p even) or high (p odd) byte of the sequence.
std::vector<uint8_t> sequenceFilledPacket(uint16_t sequence, size_t payloadBytes) {
    std::vector<uint8_t> payload(payloadBytes);
    const size_t first = Movoda::packet::kInnerOffset + 1;  // packet position of payload[0]
    for (size_t i = 0; i < payloadBytes; ++i)
        payload[i] = static_cast<uint8_t>(((first + i) & 1) ? sequence >> 8 : sequence);
    const uint8_t trailer[] = {0x00, 0x03, 0x03};
    return Movoda::packet::buildPacket(251, payload.data(), payload.size(), trailer, sizeof trailer,
                                       false);
}

bool holdsOnlyItsOwnSequence(const std::vector<uint8_t>& inner, uint16_t& sequence) {
    constexpr size_t kPayloadStart = 1, kTrailer = 3;
    if (inner.size() < kPayloadStart + 2 + kTrailer) return false;
    const size_t first = Movoda::packet::kInnerOffset + kPayloadStart;
    const auto at = [&](size_t i) { return inner[kPayloadStart + i]; };
    // Payload index 0 sits at an odd packet position: it is the high byte.
    sequence = static_cast<uint16_t>((at(0) << 8) | at(1));
    for (size_t i = 0; kPayloadStart + i + kTrailer < inner.size(); ++i) {
        const uint8_t expected = ((first + i) & 1) ? sequence >> 8 : sequence & 0xFF;
        if (at(i) != expected) return false;
    }
    return true;
}

// The simulated camera's own fault injection (loss, duplicates, neighbours swapped) on
// frames of realistic size: no delivered frame may hold a byte of another frame, and
// every frame sent is accounted for exactly once.
TEST_P(ReassemblyFuzz, LossAndDuplicatesNeverDeliverForeignBytes) {
    std::mt19937 rng(GetParam());
    std::atomic<bool> order{false};
    UdpReassembler r(order);
    camsim::DatagramPlanner planner(GetParam());
    camsim::DatagramFaults faults;
    faults.drop = 0.01;
    faults.duplicate = 0.01;
    faults.reorder = 0.01;
    std::vector<uint8_t> out;
    uint16_t sequence = static_cast<uint16_t>(65400 + rng() % 100);
    constexpr int kFrames = 400;
    uint64_t delivered = 0;
    for (int f = 0; f < kFrames; ++f, ++sequence) {
        const auto packet = sequenceFilledPacket(sequence, 20000 + rng() % 300000);
        planner.sendFrame(packet, sequence, false, faults, [&](const uint8_t* d, size_t n) {
            if (!feedExact(r, std::vector<uint8_t>(d, d + n), out)) return;
            ++delivered;
            uint16_t owner = 0;
            ASSERT_TRUE(holdsOnlyItsOwnSequence(out, owner)) << "frame " << sequence;
            EXPECT_EQ(out.size(), packet.size() - Movoda::packet::kFramingSize);
        });
    }
    const auto s = r.stats();
    EXPECT_EQ(s.framesCompleted, delivered);
    EXPECT_EQ(s.framesBroken, 0u);
    EXPECT_EQ(s.framesCompleted + s.framesBroken + s.framesEvicted + s.framesPending,
              uint64_t{kFrames});
    const auto sent = planner.counters();
    EXPECT_GT(sent.dropped, 0u);
    EXPECT_GT(sent.duplicated, 0u);
    EXPECT_GT(s.chunksDuplicate + s.chunksLate, 0u);
    EXPECT_LT(s.framesCompleted, uint64_t{kFrames});  // losses did cost frames
}

INSTANTIATE_TEST_SUITE_P(Seeds, ReassemblyFuzz, ::testing::Values(1u, 20261207u, 0xC0FFEEu));

}  // namespace
