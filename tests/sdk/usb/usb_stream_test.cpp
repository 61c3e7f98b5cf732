// The serial link's deframer: length fields in either byte order, resynchronisation after
// garbage and damaged packets, the length limit, and the count of lost bytes.
#include <gtest/gtest.h>

#include <random>

#include "UsbPackets.h"
#include "link/CommnunicationUsb.h"

using Movoda::EitherOrderPacketStream;
using namespace vantory_test;

namespace {

class EitherOrderStreamTest : public ::testing::Test {
protected:
    void append(const Bytes& bytes) { stream_.append(bytes.data(), bytes.size()); }
    std::vector<Bytes> drain(bool preferBigEndian = false) {
        std::vector<Bytes> out;
        Bytes inner;
        while (stream_.next(inner, preferBigEndian)) out.push_back(inner);
        return out;
    }
    EitherOrderPacketStream stream_;
};

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

// Either link order reads packets of either order, whatever order the link prefers.
TEST_F(EitherOrderStreamTest, LengthInEitherOrderWithEitherPreference) {
    struct Case {
        bool packetBigEndian;
        bool linkBigEndian;
        size_t payload;
    };
    const Case cases[] = {
        {true, true, 0},
        {false, false, 0},
        {true, false, 0},
        {false, true, 0},
        // 10-byte packet body: its length 0x0A000000 in the other order is beyond the limit.
        {false, true, 6},
        {true, false, 6},
        // A body of 256 bytes reads as 65536 in the other order, which is a plausible length.
        {true, false, 252},
        {false, true, 252},
        {true, false, 307200},
        {false, true, 307200},
    };
    for (const Case& c : cases) {
        EitherOrderPacketStream stream;
        const Bytes packet = cameraPacket(251, patterned(c.payload, 7), c.packetBigEndian);
        stream.append(packet.data(), packet.size());
        Bytes inner;
        ASSERT_TRUE(stream.next(inner, c.linkBigEndian))
            << "packet " << c.packetBigEndian << " link " << c.linkBigEndian << " size "
            << c.payload;
        EXPECT_EQ(inner, innerOf(packet));
        EXPECT_FALSE(stream.next(inner, c.linkBigEndian));
        EXPECT_EQ(stream.lostBytes(), 0u);
    }
}

TEST_F(EitherOrderStreamTest, MixedOrdersLeaveInStreamOrder) {
    std::vector<Bytes> packets;
    Bytes all;
    for (int i = 0; i < 12; ++i) {
        const bool big = (i % 3) == 1;
        const size_t size = (i % 4 == 0) ? 252 : size_t(i * 37);
        packets.push_back(cameraPacket(uint8_t(i), patterned(size, uint32_t(i)), big));
        all.insert(all.end(), packets.back().begin(), packets.back().end());
    }
    // Keep the stream flowing so that a lane that took a plausible wrong-order length for
    // real finds out at the end mark.
    const Bytes tail = cameraPacket(99, patterned(70000, 3), false);
    all.insert(all.end(), tail.begin(), tail.end());
    for (size_t at = 0; at < all.size(); at += 1000) {
        stream_.append(all.data() + at, std::min<size_t>(1000, all.size() - at));
    }
    const auto out = drain();
    ASSERT_EQ(out.size(), packets.size() + 1);
    for (size_t i = 0; i < packets.size(); ++i) EXPECT_EQ(out[i], innerOf(packets[i])) << i;
    EXPECT_EQ(stream_.lostBytes(), 0u);
}

TEST_F(EitherOrderStreamTest, ByteByByteInBothOrders) {
    for (bool big : {false, true}) {
        EitherOrderPacketStream stream;
        const Bytes packet = cameraPacket(4, patterned(40, 1), big);
        std::vector<Bytes> out;
        for (size_t i = 0; i < packet.size(); ++i) {
            Bytes inner;
            stream.append(&packet[i], 1);
            if (stream.next(inner, !big)) out.push_back(inner);
            if (i + 1 < packet.size()) {
                EXPECT_TRUE(out.empty()) << "taken before byte " << i;
            }
        }
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], innerOf(packet));
    }
}

// Garbage between packets costs only the garbage; a damaged packet costs only itself.
TEST_F(EitherOrderStreamTest, GarbageAndDamageCostOnlyTheDamagedBytes) {
    const Bytes a = cameraPacket(1, patterned(30, 1), false);
    const Bytes b = cameraPacket(2, patterned(500, 2), false);
    const Bytes c = cameraPacket(3, patterned(20, 3), true);
    const Bytes d = cameraPacket(251, patterned(3000, 4), false);
    // Noise that holds a start mark with an impossible length and a partial start mark.
    const Bytes noise{0x00, 0x7E, 0xFF, 0xAA, 0x55, 0xFF, 0xFF, 0xFF, 0x7F, 0x13, 0x7E, 0xFF};
    // A frame cut short: its header promises 3000 bytes, but the next packet follows early.
    Bytes cut = cameraPacket(251, patterned(3000, 9), false);
    cut.resize(1200);
    // A packet whose end mark was hit.
    Bytes hit = cameraPacket(5, patterned(60, 5), false);
    hit[hit.size() - 2] ^= 0x40;

    append(concat({a, noise, b, cut, c, hit, d, a}));
    const auto out = drain();
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[0], innerOf(a));
    EXPECT_EQ(out[1], innerOf(b));
    EXPECT_EQ(out[2], innerOf(c));
    EXPECT_EQ(out[3], innerOf(d));
    EXPECT_EQ(out[4], innerOf(a));
    EXPECT_EQ(stream_.lostBytes(), noise.size() + cut.size() + hit.size());
}

TEST_F(EitherOrderStreamTest, RandomNoiseNeverInventsPackets) {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> byte(0, 255);
    const Bytes good = cameraPacket(9, patterned(100, 9), false);
    size_t noiseBytes = 0;
    for (int round = 0; round < 50; ++round) {
        Bytes noise(size_t(1 + rng() % 300));
        for (auto& v : noise) v = uint8_t(byte(rng));
        noiseBytes += noise.size();
        append(noise);
        append(good);
    }
    const auto out = drain();
    ASSERT_EQ(out.size(), 50u);
    for (const auto& inner : out) EXPECT_EQ(inner, innerOf(good));
    EXPECT_EQ(stream_.lostBytes(), noiseBytes);
}

TEST_F(EitherOrderStreamTest, LengthLimitIsExclusive) {
    using Movoda::packet::kMaxStreamLength;
    // Inner size = 1 + payload + 3 trailer bytes.
    const Bytes largest = cameraPacket(251, Bytes(kMaxStreamLength - 5, 0x11), false);
    const Bytes tooLarge = cameraPacket(251, Bytes(kMaxStreamLength - 4, 0x22), false);
    const Bytes after = cameraPacket(7, {1, 2, 3}, false);
    append(concat({tooLarge, after, largest, after}));
    const auto out = drain();
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], innerOf(after));
    EXPECT_EQ(out[1].size(), size_t(kMaxStreamLength - 1));
    EXPECT_EQ(out[2], innerOf(after));
    EXPECT_EQ(stream_.lostBytes(), tooLarge.size());
}

// A body whose length reads the same in both orders is delivered once.
TEST_F(EitherOrderStreamTest, SymmetricLengthDeliveredOnce) {
    const size_t symmetricLength = 0x00010100;  // 65792 in either order
    const Bytes packet = cameraPacket(251, Bytes(symmetricLength - 4, 0x5A), true);
    ASSERT_EQ(packet.size(), symmetricLength + 12);
    const Bytes after = cameraPacket(8, {}, false);
    append(concat({packet, after}));
    const auto out = drain();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], innerOf(packet));
    EXPECT_EQ(out[1], innerOf(after));
    EXPECT_EQ(stream_.lostBytes(), 0u);
}

TEST_F(EitherOrderStreamTest, ClearForgetsPartialPacketsAndCounters) {
    const Bytes packet = cameraPacket(3, patterned(50, 3), false);
    append(Bytes{1, 2, 3});
    append(Bytes(packet.begin(), packet.begin() + 20));
    Bytes inner;
    EXPECT_FALSE(stream_.next(inner, false));
    stream_.clear();
    EXPECT_EQ(stream_.lostBytes(), 0u);
    append(packet);
    const auto out = drain();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(packet));
    EXPECT_EQ(stream_.lostBytes(), 0u);
}
