#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "link/Packet.h"

using namespace Movoda::packet;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes response(uint8_t id, const Bytes& payload, bool bigEndian) {
    const uint8_t trailer[] = {0x20, 0x01};  // state 2, status 0, type 1
    return buildPacket(id, payload.data(), payload.size(), trailer, sizeof trailer, bigEndian);
}

Bytes innerOf(const Bytes& packet) {
    return Bytes(packet.begin() + 8, packet.end() - 4);
}

class PacketStreamTest : public ::testing::TestWithParam<bool> {
protected:
    bool bigEndian() const { return GetParam(); }
    void append(const Bytes& bytes) { stream_.append(bytes.data(), bytes.size()); }
    std::vector<Bytes> drain() {
        std::vector<Bytes> out;
        Bytes inner;
        while (stream_.next(inner, bigEndian())) out.push_back(inner);
        return out;
    }
    PacketStream stream_;
};

}  // namespace

TEST_P(PacketStreamTest, PacketSplitOverManyReads) {
    const Bytes packet = response(4, Bytes(300, 0x11), bigEndian());
    // Cut after the start mark, inside the length field, inside the payload, inside the end mark.
    const size_t cuts[] = {0, 4, 6, 100, packet.size() - 2, packet.size()};
    for (size_t i = 0; i + 1 < std::size(cuts); ++i) {
        EXPECT_TRUE(drain().empty()) << "packet taken before its last byte, cut " << i;
        stream_.append(packet.data() + cuts[i], cuts[i + 1] - cuts[i]);
    }
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(packet));
    EXPECT_EQ(stream_.buffered(), 0u);
    EXPECT_EQ(stream_.droppedBytes(), 0u);
}

TEST_P(PacketStreamTest, ByteByByte) {
    const Bytes packet = response(9, {1, 2, 3}, bigEndian());
    std::vector<Bytes> out;
    for (uint8_t b : packet) {
        stream_.append(&b, 1);
        for (auto& inner : drain()) out.push_back(inner);
    }
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(packet));
}

TEST_P(PacketStreamTest, SeveralPacketsInOneRead) {
    const Bytes a = response(1, {}, bigEndian());
    const Bytes b = response(252, Bytes(40, 0x22), bigEndian());
    const Bytes c = response(5, Bytes(1485, 0x33), bigEndian());
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    all.insert(all.end(), c.begin(), c.end());
    append(all);
    const auto out = drain();
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], innerOf(a));
    EXPECT_EQ(out[1], innerOf(b));
    EXPECT_EQ(out[2], innerOf(c));
}

TEST_P(PacketStreamTest, GarbageBeforeStartMarkIsSkipped) {
    const Bytes packet = response(7, {0xAB}, bigEndian());
    Bytes all{0x00, 0x7E, 0xFF, 0x13, 0x7E, 0x7E, 0xFF, 0xAA};  // ends with a partial mark
    all.insert(all.end(), packet.begin(), packet.end());
    append(all);
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(packet));
    EXPECT_EQ(stream_.droppedBytes(), 8u);
}

TEST_P(PacketStreamTest, StartMarkSplitAcrossReadsAfterGarbage) {
    const Bytes packet = response(7, {0xAB}, bigEndian());
    Bytes first(50, 0x00);
    first.insert(first.end(), packet.begin(), packet.begin() + 3);  // 7E FF AA
    append(first);
    EXPECT_TRUE(drain().empty());
    append(Bytes(packet.begin() + 3, packet.end()));
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(packet));
}

TEST_P(PacketStreamTest, BadEndMarkSkipsToNextPacket) {
    Bytes broken = response(3, Bytes(20, 0x44), bigEndian());
    broken.back() = 0x00;
    const Bytes good = response(4, {0x55}, bigEndian());
    Bytes all = broken;
    all.insert(all.end(), good.begin(), good.end());
    append(all);
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(good));
    EXPECT_EQ(stream_.droppedBytes(), broken.size());
}

TEST_P(PacketStreamTest, ImpossibleLengthsAreFramingErrors) {
    // A start mark followed by a length over the limit, then one of 2 (below the minimum).
    Bytes all{0x7E, 0xFF, 0xAA, 0x55};
    Bytes length(4);
    writeU32(length.data(), kMaxStreamLength + 1, bigEndian());
    all.insert(all.end(), length.begin(), length.end());
    all.insert(all.end(), {0x7E, 0xFF, 0xAA, 0x55});
    writeU32(length.data(), 2, bigEndian());
    all.insert(all.end(), length.begin(), length.end());
    const Bytes good = response(4, {0x55}, bigEndian());
    all.insert(all.end(), good.begin(), good.end());
    append(all);
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(good));
}

TEST_P(PacketStreamTest, LargestStreamPacketPasses) {
    const Bytes payload(kMaxStreamLength - 3, 0x66);
    const Bytes packet = response(251, payload, bigEndian());
    append(packet);
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), kMaxStreamLength);
}

TEST_P(PacketStreamTest, ClearForgetsPartialPacket) {
    const Bytes packet = response(4, Bytes(10, 1), bigEndian());
    stream_.append(packet.data(), 12);
    stream_.clear();
    append(packet);
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(packet));
}

TEST_P(PacketStreamTest, GarbageAloneKeepsOnlyAPossibleMarkTail) {
    append(Bytes(10000, 0x42));
    EXPECT_TRUE(drain().empty());
    EXPECT_LE(stream_.buffered(), 3u);
}

// Random chunking of a long mixed stream must yield exactly the packets in it.
TEST_P(PacketStreamTest, RandomChunkingOfLongStream) {
    std::mt19937 rng(1234);
    std::vector<Bytes> packets;
    Bytes all;
    for (int i = 0; i < 200; ++i) {
        Bytes payload(rng() % 3000);
        for (auto& b : payload) b = uint8_t(rng());
        packets.push_back(response(uint8_t(i), payload, bigEndian()));
        all.insert(all.end(), packets.back().begin(), packets.back().end());
    }
    std::vector<Bytes> out;
    for (size_t pos = 0; pos < all.size();) {
        const size_t n = std::min<size_t>(1 + rng() % 4000, all.size() - pos);
        stream_.append(all.data() + pos, n);
        pos += n;
        for (auto& inner : drain()) out.push_back(inner);
    }
    ASSERT_EQ(out.size(), packets.size());
    for (size_t i = 0; i < packets.size(); ++i) EXPECT_EQ(out[i], innerOf(packets[i])) << i;
}

// A start mark with a damaged but plausible length (1000) and a few bytes behind it.
static Bytes stalledHeader(bool bigEndian) {
    Bytes out{0x7E, 0xFF, 0xAA, 0x55, 0, 0, 0, 0, 9, 9, 9};
    writeU32(out.data() + 4, 1000, bigEndian);
    return out;
}

// Packets behind a stalled one are released as soon as one of them is complete: without
// waiting for the 1000 bytes the length asks for, and without waiting for any deadline.
TEST_P(PacketStreamTest, CompletePacketBehindAStalledLengthIsReleased) {
    using Clock = PacketStream::Clock;
    const Clock::time_point t0{};
    const Bytes stalled = stalledHeader(bigEndian());
    const Bytes a = response(4, {1}, bigEndian());
    const Bytes b = response(5, Bytes(30, 2), bigEndian());
    stream_.append(stalled.data(), stalled.size(), t0);
    stream_.append(a.data(), 10, t0);  // the first packet is still incomplete
    Bytes inner;
    EXPECT_FALSE(stream_.next(inner, bigEndian(), t0));
    EXPECT_EQ(stream_.droppedBytes(), 0u);
    stream_.append(a.data() + 10, a.size() - 10, t0);
    stream_.append(b.data(), b.size(), t0);
    ASSERT_TRUE(stream_.next(inner, bigEndian(), t0));
    EXPECT_EQ(inner, innerOf(a));
    ASSERT_TRUE(stream_.next(inner, bigEndian(), t0));
    EXPECT_EQ(inner, innerOf(b));
    EXPECT_EQ(stream_.droppedBytes(), stalled.size());
    EXPECT_EQ(stream_.stalledPackets(), 1u);
}

// A waiting packet is given up only after a silence of kStallLimit; a slow one whose bytes
// keep coming is not.
TEST_P(PacketStreamTest, StalledPacketIsGivenUpAfterASilence) {
    using Clock = PacketStream::Clock;
    const Clock::time_point t0{};
    const auto limit = PacketStream::kStallLimit;
    const Bytes stalled = stalledHeader(bigEndian());
    stream_.append(stalled.data(), stalled.size(), t0);
    Bytes inner;
    EXPECT_FALSE(stream_.next(inner, bigEndian(), t0 + limit - std::chrono::milliseconds(1)));
    EXPECT_EQ(stream_.stalledPackets(), 0u);
    EXPECT_FALSE(stream_.next(inner, bigEndian(), t0 + limit));
    EXPECT_EQ(stream_.stalledPackets(), 1u);
    // All but a tail that could begin the next start mark.
    EXPECT_EQ(stream_.droppedBytes(), stalled.size() - (kMarkSize - 1));

    const Bytes slow = response(251, Bytes(5000, 3), bigEndian());
    Clock::time_point now = t0 + limit;
    for (size_t at = 0; at < slow.size(); at += 1000) {
        stream_.append(slow.data() + at, std::min<size_t>(1000, slow.size() - at), now);
        now += limit - std::chrono::milliseconds(10);  // silent, but not for long
        if (at + 1000 < slow.size()) {
            EXPECT_FALSE(stream_.next(inner, bigEndian(), now));
        }
    }
    ASSERT_TRUE(stream_.next(inner, bigEndian(), now));
    EXPECT_EQ(inner, innerOf(slow));
    EXPECT_EQ(stream_.stalledPackets(), 1u);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, PacketStreamTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("BigEndian")
                                               : std::string("LittleEndian");
                         });
