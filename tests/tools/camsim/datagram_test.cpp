// Image datagrams: they rebuild the frame through the SDK's reassembler, and faults come
// at the requested rates.
#include <gtest/gtest.h>

#include <atomic>
#include <numeric>

#include "ByteIo.h"
#include "CamsimConstants.h"
#include "DatagramPlanner.h"
#include "link/Packet.h"
#include "link/UdpReassembler.h"

using namespace camsim;

namespace {

std::vector<uint8_t> framePacket(size_t payload, uint8_t seed, bool big) {
    std::vector<uint8_t> body(payload);
    std::iota(body.begin(), body.end(), seed);
    const uint8_t trailer[3] = {0, 3, 3};
    return Movoda::packet::buildPacket(251, body.data(), body.size(), trailer, 3, big);
}

using Datagrams = std::vector<std::vector<uint8_t>>;

Datagrams collect(DatagramPlanner& planner, const std::vector<uint8_t>& packet, uint16_t seq,
                  bool big, const DatagramFaults& faults = {}) {
    Datagrams out;
    planner.sendFrame(packet, seq, big, faults,
                      [&](const uint8_t* d, size_t n) { out.emplace_back(d, d + n); });
    return out;
}

}  // namespace

TEST(Datagrams, ChunksCoverTheFrameWithinTheLimits) {
    DatagramPlanner planner(1);
    const auto packet = framePacket(5000, 0, false);
    const Datagrams d = collect(planner, packet, 9, false);
    ASSERT_EQ(d.size(), (packet.size() + 1399) / 1400);
    size_t covered = 0;
    for (size_t i = 0; i < d.size(); ++i) {
        const uint8_t* h = d[i].data();
        EXPECT_EQ(getU16(h, false), 9);
        EXPECT_EQ(getU32(h + 2, false), packet.size());
        const uint16_t length = getU16(h + 6, false);
        EXPECT_LE(length, kMaxChunkPayload);
        EXPECT_EQ(getU32(h + 8, false), covered);
        EXPECT_EQ(d[i].size(), kChunkHeaderSize + length);
        EXPECT_TRUE(std::equal(d[i].begin() + 20, d[i].end(), packet.begin() + long(covered)));
        covered += length;
    }
    EXPECT_EQ(covered, packet.size());
}

TEST(Datagrams, SdkReassemblerRebuildsFramesInBothByteOrders) {
    for (bool big : {false, true}) {
        std::atomic<bool> order{big};
        Movoda::UdpReassembler reassembler(order);
        DatagramPlanner planner(2);
        for (uint16_t seq : {uint16_t(65534), uint16_t(65535), uint16_t(0), uint16_t(1)}) {
            const auto packet = framePacket(20000 + seq % 7, uint8_t(seq), big);
            std::vector<uint8_t> out;
            int completed = 0;
            for (const auto& d : collect(planner, packet, seq, big)) {
                completed += reassembler.udppacket(d.data(), d.size(), out) ? 1 : 0;
            }
            EXPECT_EQ(completed, 1) << seq;
            EXPECT_EQ(out, *Movoda::packet::unframe(packet.data(), packet.size(), big));
        }
        EXPECT_EQ(reassembler.stats().framesCompleted, 4u);
    }
}

TEST(Datagrams, FaultsHappenAtTheirRates) {
    struct Case {
        DatagramFaults faults;
        uint64_t DatagramCounters::*counter;
    };
    const Case cases[] = {
        {{0.2, 0, 0, 0}, &DatagramCounters::dropped},
        {{0, 0.2, 0, 0}, &DatagramCounters::reordered},
        {{0, 0, 0.2, 0}, &DatagramCounters::duplicated},
        {{0, 0, 0, 0.2}, &DatagramCounters::corrupted},
    };
    const auto packet = framePacket(1400 * 100 - 16, 0, false);  // 100 chunks
    for (const auto& c : cases) {
        DatagramPlanner planner(42);
        size_t sent = 0;
        for (uint16_t f = 0; f < 50; ++f)
            sent += collect(planner, packet, f, false, c.faults).size();
        const DatagramCounters& k = planner.counters();
        const double share = double(k.*(c.counter)) / 5000.0;
        EXPECT_NEAR(share, 0.2, 0.03);
        EXPECT_EQ(k.datagrams, sent);
        EXPECT_EQ(sent, 5000 - k.dropped + k.duplicated);
    }
}

TEST(Datagrams, FaultyFramesStillPassTheReassemblerSafely) {
    std::atomic<bool> order{false};
    Movoda::UdpReassembler reassembler(order);
    DatagramPlanner planner(5);
    const DatagramFaults faults{0.01, 0.1, 0.01, 0.01};
    int good = 0;
    for (uint16_t f = 0; f < 40; ++f) {
        const auto packet = framePacket(30000, uint8_t(f), false);
        const auto expected = *Movoda::packet::unframe(packet.data(), packet.size(), false);
        std::vector<uint8_t> out;
        for (const auto& d : collect(planner, packet, f, false, faults)) {
            if (reassembler.udppacket(d.data(), d.size(), out) && out == expected) ++good;
        }
    }
    // Frames without a lost or damaged chunk come through; the rest never crash anything.
    EXPECT_GT(good, 0);
    EXPECT_LT(good, 40);
}

TEST(Datagrams, ReportTravelsWholeInOneChunk) {
    DatagramPlanner planner(3);
    std::vector<uint8_t> data(92, 7);
    const uint8_t trailer[3] = {0, 2, 3};
    const auto packet =
        Movoda::packet::buildPacket(252, data.data(), data.size(), trailer, 3, false);
    std::vector<uint8_t> datagram;
    planner.sendReport(packet, 5, false,
                       [&](const uint8_t* d, size_t n) { datagram.assign(d, d + n); });
    std::atomic<bool> order{false};
    Movoda::UdpReassembler reassembler(order);
    std::vector<uint8_t> out;
    ASSERT_TRUE(reassembler.udppacket(datagram.data(), datagram.size(), out));
    EXPECT_EQ(out[0], 252);
    EXPECT_EQ(out.size(), packet.size() - 12);
}
