#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/UdpReassembler.h"
#include "reassembly_datagrams.h"

using namespace reassembly_test;
using Movoda::ReassembledPacket;
using Movoda::UdpReassembler;

namespace {

class ReassemblyTest : public ::testing::Test {
protected:
    // Copies the datagram into a buffer of exactly its size, so that any read past the
    // received bytes is caught under AddressSanitizer.
    bool feed(const std::vector<uint8_t>& datagram) {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[datagram.size()]);
        std::copy(datagram.begin(), datagram.end(), exact.get());
        return reassembler.udppacket(exact.get(), datagram.size(), out);
    }

    // Three-chunk frame (chunks of 1000 bytes) with the given sequence.
    std::vector<std::vector<uint8_t>> threeChunks(uint16_t sequence, uint32_t seed) {
        frames[sequence] = makeFramePacket(2500 - 12, seed, big.load());
        return chunkFrame(frames[sequence], sequence, 1000, big.load());
    }

    std::vector<uint8_t> singleChunkFrame(uint16_t sequence) {
        frames[sequence] = makeFramePacket(300, sequence, big.load());
        return chunkFrame(frames[sequence], sequence, 1400, big.load()).front();
    }

    std::atomic<bool> big{false};
    UdpReassembler reassembler{big};
    std::vector<uint8_t> out;
    std::map<uint16_t, std::vector<uint8_t>> frames;
};

TEST_F(ReassemblyTest, ChunksOutOfOrderCompleteOnTheLastOne) {
    for (bool order : {false, true}) {
        big = order;
        const uint16_t sequence = order ? 21 : 20;
        auto chunks = threeChunks(sequence, 1);
        EXPECT_FALSE(feed(chunks[2]));
        EXPECT_FALSE(feed(chunks[0]));
        ASSERT_TRUE(feed(chunks[1]));
        EXPECT_EQ(out, innerOf(frames[sequence]));
        EXPECT_EQ(big.load(), order) << "a well-formed stream keeps the byte order";
    }
    EXPECT_EQ(reassembler.stats().framesCompleted, 2u);
}

TEST_F(ReassemblyTest, SeveralChunksInOneDatagramAndLastResultWins) {
    auto chunks = threeChunks(1, 7);
    std::vector<uint8_t> combined;
    for (int i : {1, 2, 0}) combined.insert(combined.end(), chunks[i].begin(), chunks[i].end());
    ASSERT_TRUE(feed(combined));
    EXPECT_EQ(out, innerOf(frames[1]));

    const auto a = singleChunkFrame(30);
    const auto b = singleChunkFrame(31);
    std::vector<uint8_t> two = a;
    two.insert(two.end(), b.begin(), b.end());
    ASSERT_TRUE(feed(two));
    EXPECT_EQ(out, innerOf(frames[31]));
    EXPECT_EQ(reassembler.stats().framesCompleted, 3u);
}

// The result stays where the frame was put together until the next call; a later chunk
// of the same datagram that starts a new frame in that very slot must not change it.
TEST_F(ReassemblyTest, NewFrameInTheSlotOfTheResultLeavesTheResultIntact) {
    auto a = threeChunks(1, 3);
    feed(a[0]);                   // slot 0
    feed(threeChunks(2, 4)[0]);   // slot 1
    feed(threeChunks(3, 5)[0]);   // slot 2
    feed(a[1]);
    std::vector<uint8_t> datagram = a[2];  // completes frame 1 and frees slot 0 ...
    const auto next = threeChunks(4, 6)[0];  // ... which frame 4 claims at once
    datagram.insert(datagram.end(), next.begin(), next.end());

    ReassembledPacket result;
    ASSERT_TRUE(reassembler.udppacket(datagram.data(), datagram.size(), result));
    EXPECT_EQ(std::vector<uint8_t>(result.data, result.data + result.size), innerOf(frames[1]));
    EXPECT_EQ(reassembler.stats().framesPending, 3u);

    // Frame 4 then completes as usual.
    const auto rest = threeChunks(4, 6);
    feed(rest[1]);
    ASSERT_TRUE(feed(rest[2]));
    EXPECT_EQ(out, innerOf(frames[4]));
}

TEST_F(ReassemblyTest, FourthFrameEvictsOldestAndItsLateChunksAreIgnored) {
    auto f10 = threeChunks(10, 10), f11 = threeChunks(11, 11), f12 = threeChunks(12, 12),
         f13 = threeChunks(13, 13);
    feed(f10[0]);
    feed(f11[0]);
    feed(f12[0]);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(feed(f13[0]));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "udp discard frame 10 discardindex 0 1000\n");
    EXPECT_EQ(reassembler.stats().framesEvicted, 1u);
    EXPECT_EQ(reassembler.stats().bytesMissing, frames[10].size() - 1000);  // one chunk came

    EXPECT_FALSE(feed(f10[1]));
    EXPECT_FALSE(feed(f10[2]));
    EXPECT_EQ(reassembler.stats().chunksDiscarded, 2u);
    for (auto* f : {&f11, &f12, &f13}) {
        feed((*f)[1]);
        ASSERT_TRUE(feed((*f)[2]));
    }
    EXPECT_EQ(out, innerOf(frames[13]));
    const auto s = reassembler.stats();
    EXPECT_EQ(s.framesCompleted, 3u);
    EXPECT_EQ(s.framesEvicted, 1u);
}

TEST_F(ReassemblyTest, EvictionAcrossSequenceWrapPicksOldestBeforeTheWrap) {
    auto f2 = threeChunks(2, 1), f65534 = threeChunks(65534, 2), f65535 = threeChunks(65535, 3),
         f3 = threeChunks(3, 4);
    feed(f2[0]);
    feed(f65534[0]);
    feed(f65535[0]);
    testing::internal::CaptureStdout();
    feed(f3[0]);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "udp discard frame 65534 discardindex 1 1000\n");
    for (auto* f : {&f2, &f65535, &f3}) {
        feed((*f)[1]);
        EXPECT_TRUE(feed((*f)[2]));
    }
    EXPECT_FALSE(feed(f65534[1]));
    EXPECT_EQ(reassembler.stats().framesCompleted, 3u);
}

TEST_F(ReassemblyTest, SmallSequencesWithoutWrapEvictTheSmallest) {
    auto f1 = threeChunks(1, 1), f2 = threeChunks(2, 2), f4 = threeChunks(4, 3),
         f5 = threeChunks(5, 4);
    feed(f4[0]);
    feed(f1[0]);
    feed(f2[0]);
    testing::internal::CaptureStdout();
    feed(f5[0]);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "udp discard frame 1 discardindex 1 1000\n");
}

TEST_F(ReassemblyTest, DiscardEntryIsForgottenOnlyBeyondThirtySequences) {
    auto f10 = threeChunks(10, 1), f11 = threeChunks(11, 2), f12 = threeChunks(12, 3),
         f13 = threeChunks(13, 4);
    for (auto* f : {&f10, &f11, &f12, &f13}) feed((*f)[0]);  // evicts 10
    for (auto* f : {&f11, &f12, &f13}) {
        feed((*f)[1]);
        feed((*f)[2]);
    }
    const auto late10 = singleChunkFrame(10);
    EXPECT_FALSE(feed(late10));
    EXPECT_TRUE(feed(singleChunkFrame(40)));  // 30 apart: entry kept
    EXPECT_FALSE(feed(late10));
    EXPECT_TRUE(feed(singleChunkFrame(41)));  // 31 apart: entry cleared
    EXPECT_TRUE(feed(late10));
    EXPECT_EQ(out, innerOf(frames[10]));
}

TEST_F(ReassemblyTest, FullDiscardListReplacesItsSmallestEntry) {
    std::map<uint16_t, std::vector<std::vector<uint8_t>>> f;
    for (uint16_t s = 100; s <= 106; ++s) {
        f[s] = threeChunks(s, s);
        feed(f[s][0]);  // from 103 on, each evicts the oldest: 100, 101, 102, 103
    }
    EXPECT_EQ(reassembler.stats().framesEvicted, 4u);
    // The list held 100, 101, 102; 103 replaced 100.
    EXPECT_FALSE(feed(f[101][1]));
    EXPECT_FALSE(feed(f[103][1]));
    EXPECT_EQ(reassembler.stats().chunksDiscarded, 2u);
    // Off the list, but remembered as finished: late, and no frame in progress is evicted.
    const uint64_t evictedBefore = reassembler.stats().framesEvicted;
    EXPECT_FALSE(feed(f[100][1]));
    EXPECT_EQ(reassembler.stats().framesEvicted, evictedBefore);
    EXPECT_EQ(reassembler.stats().chunksLate, 1u);
}

TEST_F(ReassemblyTest, OppositeByteOrderIsAdoptedPermanently) {
    for (bool start : {false, true}) {
        big = start;
        const auto packet = makeFramePacket(2500 - 12, 9, !start);
        const auto chunks = chunkFrame(packet, start ? 78 : 77, 1000, !start);
        EXPECT_FALSE(feed(chunks[0]));
        EXPECT_EQ(big.load(), !start);
        EXPECT_FALSE(feed(chunks[1]));
        ASSERT_TRUE(feed(chunks[2]));
        EXPECT_EQ(out, innerOf(packet));
    }
}

struct BadHeaderCase {
    const char* name;
    uint32_t frameSize;
    uint16_t length;
    uint32_t offset;
    bool oppositeOrder;
};

class ReassemblyBadHeader : public ReassemblyTest,
                            public ::testing::WithParamInterface<BadHeaderCase> {};

// The bad chunk must neither write into a slot, nor claim one (which would evict a
// frame in progress), nor count toward a frame with the same sequence.
TEST_P(ReassemblyBadHeader, DroppedBeforeTouchingAnySlot) {
    const BadHeaderCase c = GetParam();
    for (uint16_t badSequence : {uint16_t{50}, uint16_t{99}}) {
        reassembler.reset();
        big = false;
        const auto a = threeChunks(50, 1), b = threeChunks(51, 2), d = threeChunks(52, 3);
        for (const auto* f : {&a, &b, &d}) feed((*f)[0]);
        std::vector<uint8_t> payload(c.length, 0xEE);
        std::vector<uint8_t> bad;
        appendChunk(bad, {badSequence, c.frameSize, c.length, c.offset}, payload.data(),
                    payload.size(), c.oppositeOrder);
        const auto before = reassembler.stats();
        EXPECT_FALSE(feed(bad));
        const auto after = reassembler.stats();
        EXPECT_EQ(after.chunksDiscarded, before.chunksDiscarded + 1);
        EXPECT_EQ(after.framesEvicted, 0u);
        EXPECT_EQ(big.load(), c.oppositeOrder);
        // The rest of each frame follows in whatever order was adopted.
        const bool order = big.load();
        for (uint16_t sequence : {uint16_t{50}, uint16_t{51}, uint16_t{52}}) {
            const auto rest = chunkFrame(frames[sequence], sequence, 1000, order);
            feed(rest[1]);
            ASSERT_TRUE(feed(rest[2])) << c.name << ", bad sequence " << badSequence;
            EXPECT_EQ(out, innerOf(frames[sequence]));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ReassemblyBadHeader,
    ::testing::Values(BadHeaderCase{"frame above limit", 1200001, 1000, 0, false},
                      BadHeaderCase{"offset beyond frame", 4000, 1000, 5000, false},
                      BadHeaderCase{"chunk past frame end", 4000, 1000, 3500, false},
                      BadHeaderCase{"offset wraps 32 bits", 4000, 1000, 0xFFFFFF00u, false},
                      BadHeaderCase{"frame shorter than a packet", 10, 10, 0, false},
                      BadHeaderCase{"opposite order, past frame end", 4000, 1000, 3500, true},
                      BadHeaderCase{"opposite order, at the limit", 1200000, 1000, 1199500, true}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(ReassemblyTest, PayloadLengthBeyondTheDatagramDropsTheRest) {
    // The length fits the datagram only when the 20 header bytes are forgotten.
    std::vector<uint8_t> payload(100, 0x11);
    std::vector<uint8_t> d;
    appendChunk(d, {1, 4000, 110, 0}, payload.data(), payload.size(), false);
    EXPECT_FALSE(feed(d));

    std::vector<uint8_t> longer;
    appendChunk(longer, {1, 4000, 1000, 0}, payload.data(), payload.size(), false);
    EXPECT_FALSE(feed(longer));

    const auto s = reassembler.stats();
    EXPECT_EQ(s.datagramsDropped, 2u);
    EXPECT_EQ(s.chunksDiscarded, 0u);
    EXPECT_FALSE(big.load());
}

TEST_F(ReassemblyTest, TrailingBytesShorterThanAHeaderKeepEarlierResult) {
    auto d = singleChunkFrame(3);
    d.insert(d.end(), 10, 0xAB);
    ASSERT_TRUE(feed(d));
    EXPECT_EQ(out, innerOf(frames[3]));
    EXPECT_EQ(reassembler.stats().datagramsDropped, 1u);
}

TEST_F(ReassemblyTest, ImuReportIsPassedThroughAsInnerPacket) {
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(feed(makeImuDatagram(data, false)));
    const std::vector<uint8_t> expected = {252, 1, 2, 3, 4, 5, 6, 0x00, 0x03, 0x03};
    EXPECT_EQ(out, expected);
    EXPECT_EQ(reassembler.stats().imuReports, 1u);
}

TEST_F(ReassemblyTest, ImuReportWithBadMarksIsReportedAndSkipped) {
    auto d = makeImuDatagram({9, 9}, false);
    d.back() = 0xAB;  // end mark FF 7E 55 AB
    testing::internal::CaptureStdout();
    EXPECT_FALSE(feed(d));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "imu frame start 7effaa55\nimu frame end ff7e55ab\n");

    // Bad start mark and a header that fits no frame: still an IMU report, skipped.
    auto e = makeImuDatagram({9, 9}, false);
    e[20] = 0x00;
    e[2] = e[3] = e[4] = e[5] = 0;  // frame size 0
    testing::internal::CaptureStdout();
    EXPECT_FALSE(feed(e));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "imu frame start ffaa55\nimu frame end ff7e55aa\n");
    EXPECT_EQ(reassembler.stats().chunksDiscarded, 2u);
    EXPECT_EQ(reassembler.stats().imuReports, 0u);
}

TEST_F(ReassemblyTest, ShortLastChunkHoldingTheImuIdStaysPartOfItsFrame) {
    auto packet = makeFramePacket(1400 + 150 - 12, 5, false);
    packet[1400 + 8] = 252;
    const auto chunks = chunkFrame(packet, 8, 1400, false);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_FALSE(feed(chunks[0]));
    ASSERT_TRUE(feed(chunks[1]));
    EXPECT_EQ(out, innerOf(packet));
    EXPECT_EQ(reassembler.stats().imuReports, 0u);
}

TEST_F(ReassemblyTest, FrameWithBadMarksIsReportedNotDelivered) {
    auto packet = makeFramePacket(500, 1, false);
    packet.back() = 0;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(feed(chunkFrame(packet, 5, 1400, false).front()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "udp frame error 5\n");
    EXPECT_EQ(reassembler.stats().framesBroken, 1u);
    EXPECT_EQ(reassembler.stats().framesCompleted, 0u);
}

// One lost and one duplicated chunk add up to the frame's size; the frame must still wait
// for the missing bytes instead of going out with the previous frame's bytes in the gap.
TEST_F(ReassemblyTest, LostChunkIsNotMadeUpByADuplicate) {
    auto earlier = threeChunks(59, 2);
    for (const auto& c : earlier) feed(c);  // leaves its bytes in the slot
    auto chunks = threeChunks(60, 1);
    EXPECT_FALSE(feed(chunks[0]));
    EXPECT_FALSE(feed(chunks[2]));
    EXPECT_FALSE(feed(chunks[0]));  // 2500 bytes counted twice over, chunk 1 still missing
    EXPECT_EQ(reassembler.stats().chunksDuplicate, 1u);
    EXPECT_EQ(reassembler.stats().framesPending, 1u);
    ASSERT_TRUE(feed(chunks[1]));
    EXPECT_EQ(out, innerOf(frames[60]));
    const auto s = reassembler.stats();
    EXPECT_EQ(s.framesCompleted, 2u);
    EXPECT_EQ(s.framesBroken, 0u);
    EXPECT_EQ(s.framesPending, 0u);
}

// A straggler of a finished frame neither opens a slot nor, later, counts as evicted.
TEST_F(ReassemblyTest, StragglersOfAFinishedFrameAreLate) {
    auto first = threeChunks(1, 1);
    for (const auto& c : first) feed(c);
    EXPECT_FALSE(feed(first[2]));
    EXPECT_FALSE(feed(first[0]));
    EXPECT_EQ(reassembler.stats().chunksLate, 2u);
    EXPECT_EQ(reassembler.stats().framesPending, 0u);
    for (uint16_t sequence = 2; sequence <= 6; ++sequence) {
        bool done = false;
        for (const auto& c : threeChunks(sequence, sequence)) done = feed(c);
        EXPECT_TRUE(done);
    }
    const auto s = reassembler.stats();
    EXPECT_EQ(s.framesCompleted, 6u);
    EXPECT_EQ(s.framesEvicted, 0u);
    // Once the camera's numbering has moved on, the number is free for a new frame.
    for (const auto& c : threeChunks(40, 9)) feed(c);
    bool done = false;
    for (const auto& c : threeChunks(1, 3)) done = feed(c);
    EXPECT_TRUE(done);
    EXPECT_EQ(out, innerOf(frames[1]));
}

TEST_F(ReassemblyTest, ChunkDisagreeingWithItsFrameSizeIsDiscarded) {
    auto chunks = threeChunks(5, 1);
    feed(chunks[0]);
    std::vector<uint8_t> payload(1000, 0x77);
    std::vector<uint8_t> other;
    appendChunk(other, {5, 4000, 1000, 1000}, payload.data(), payload.size(), false);
    EXPECT_FALSE(feed(other));
    EXPECT_EQ(reassembler.stats().chunksDiscarded, 1u);
    feed(chunks[1]);
    ASSERT_TRUE(feed(chunks[2]));
    EXPECT_EQ(out, innerOf(frames[5]));
}

TEST_F(ReassemblyTest, ResetDropsFramesInProgressAndTheDiscardList) {
    auto chunks = threeChunks(70, 1);
    feed(chunks[0]);
    feed(chunks[1]);
    reassembler.reset();
    EXPECT_FALSE(feed(chunks[2]));  // a fresh slot that never saw the first two

    auto f1 = threeChunks(1, 1), f2 = threeChunks(2, 2), f3 = threeChunks(3, 3);
    for (const auto* f : {&f1, &f2, &f3}) feed((*f)[0]);  // 3 evicts 1
    EXPECT_FALSE(feed(f1[1]));
    EXPECT_EQ(reassembler.stats().chunksDiscarded, 1u);
    reassembler.reset();
    bool done = false;
    for (const auto& c : f1) done = feed(c);
    EXPECT_TRUE(done);
    EXPECT_EQ(out, innerOf(frames[1]));
}

TEST_F(ReassemblyTest, LargestFrameFillsItsSlot) {
    // Framing (12) plus command id and a 3-byte trailer make the frame exactly the limit.
    const auto packet = makeFramePacket(Movoda::udpchunk::kMaxFrameSize - 16, 3, false);
    ASSERT_EQ(packet.size(), Movoda::udpchunk::kMaxFrameSize);
    const auto chunks = chunkFrame(packet, 9, 1400, false);
    bool done = false;
    for (size_t i = chunks.size(); i-- > 0;) done = feed(chunks[i]);
    ASSERT_TRUE(done);
    EXPECT_EQ(out.size(), Movoda::udpchunk::kMaxFrameSize - 12);
    EXPECT_EQ(out, innerOf(packet));
}

// Counters are read and resets requested from other threads while datagrams flow;
// single-chunk frames are unaffected by a reset, so every one must still complete.
TEST_F(ReassemblyTest, StatsAndResetFromAnotherThreadWhileFeeding) {
    constexpr int kFrames = 3000;
    std::vector<std::vector<uint8_t>> datagrams;
    for (int i = 0; i < kFrames; ++i) datagrams.push_back(singleChunkFrame(uint16_t(i % 500 + 1)));
    std::atomic<bool> feeding{true};
    auto observer = std::async(std::launch::async, [&] {
        uint64_t last = 0;
        bool monotonic = true;
        while (feeding.load()) {
            const uint64_t now = reassembler.stats().framesCompleted;
            monotonic = monotonic && now >= last;
            last = now;
            reassembler.reset();
        }
        return monotonic;
    });
    int completed = 0;
    for (const auto& d : datagrams) completed += feed(d) ? 1 : 0;
    feeding = false;
    ASSERT_EQ(observer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(observer.get());
    EXPECT_EQ(completed, kFrames);
    EXPECT_EQ(reassembler.stats().framesCompleted, static_cast<uint64_t>(kFrames));
}

}  // namespace
