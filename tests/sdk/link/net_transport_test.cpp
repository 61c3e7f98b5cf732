#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>
#include <chrono>
#include <thread>

#include "LoopbackPeer.h"
#include "link/CommnunicationNet.h"
#include "link/Packet.h"

using namespace Movoda;
using vantory_test::LoopbackPeer;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

constexpr const char* kPeerAddress = "127.0.0.10";
constexpr const char* kSilentAddress = "127.0.0.11";  // nothing listens here
constexpr uint16_t kImagePort = 17610;

Bytes innerOf(const Bytes& packet) {
    return Bytes(packet.begin() + 8, packet.end() - 4);
}

class NetTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        net_.setBigEndianLength(false);
        net_.setAddress(kPeerAddress);
    }

    // Reads until `count` packets arrived or the time runs out.
    std::vector<Bytes> receive(size_t count, std::chrono::milliseconds limit = 5s) {
        std::vector<Bytes> out;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
            Bytes inner;
            if (net_.receivePackage(inner)) out.push_back(inner);
        }
        return out;
    }

    LoopbackPeer peer_{kPeerAddress};
    boost::asio::io_context io_;
    CommnunicationNet net_{io_};
};

}  // namespace

TEST_F(NetTransportTest, SerialPortNameIsRejectedAtOnce) {
    net_.setAddress("COM3");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(net_.connect());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(net_.isConnected());
    EXPECT_FALSE(net_.isConnecting());
}

TEST_F(NetTransportTest, RefusedConnectReturnsFalse) {
    net_.setAddress(kSilentAddress);
    EXPECT_FALSE(net_.connect());
    EXPECT_FALSE(net_.isConnected());
    EXPECT_FALSE(net_.isConnecting());
    Bytes inner;
    EXPECT_FALSE(net_.receivePackage(inner));
    EXPECT_FALSE(net_.transmitPackage(packet::buildRequest(0, nullptr, 0, false)));
}

TEST_F(NetTransportTest, ConnectOnceAndExchangeBothWays) {
    ASSERT_TRUE(net_.connect());
    EXPECT_TRUE(net_.isConnected());
    ASSERT_TRUE(peer_.waitFor([&] { return peer_.connections() == 1; }));
    EXPECT_TRUE(net_.connect()) << "already open";
    const uint8_t payload[] = {1, 2, 3};
    ASSERT_TRUE(net_.transmitPackage(packet::buildRequest(8, payload, 3, false)));
    ASSERT_TRUE(peer_.waitFor([&] { return peer_.received().size() == 1; }));
    EXPECT_EQ(peer_.received()[0], (Bytes{8, 1, 2, 3, 0x00, 0x01}));
    EXPECT_EQ(peer_.connections(), 1);
}

TEST_F(NetTransportTest, TwoResponsesInOneSegmentAreBothDelivered) {
    ASSERT_TRUE(net_.connect());
    ASSERT_TRUE(peer_.waitFor([&] { return peer_.connections() == 1; }));
    const Bytes a = LoopbackPeer::response(4, Bytes(30, 0xAA), 0, 2, false);
    const Bytes b = LoopbackPeer::response(252, Bytes(12, 0xBB), 7, 3, false);
    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    ASSERT_TRUE(peer_.send(both));
    const auto got = receive(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], innerOf(a));
    EXPECT_EQ(got[1], innerOf(b));
}

TEST_F(NetTransportTest, PacketSplitAcrossSegmentsIsReassembled) {
    ASSERT_TRUE(net_.connect());
    ASSERT_TRUE(peer_.waitFor([&] { return peer_.connections() == 1; }));
    const Bytes big = LoopbackPeer::response(251, Bytes(20000, 0x5C), 0, 3, false);
    std::thread sender([&] {
        for (size_t pos = 0; pos < big.size(); pos += 7000) {
            peer_.send(Bytes(big.begin() + pos, big.begin() + std::min(big.size(), pos + 7000)));
            std::this_thread::sleep_for(10ms);  // pacing only, so the reader sees partial data
        }
    });
    const auto got = receive(1);
    sender.join();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], innerOf(big));
}

TEST_F(NetTransportTest, FullSizeSegmentAndGarbage) {
    ASSERT_TRUE(net_.connect());
    ASSERT_TRUE(peer_.waitFor([&] { return peer_.connections() == 1; }));
    const Bytes full = LoopbackPeer::response(5, Bytes(1485, 0x42), 0, 2, false);
    ASSERT_EQ(full.size(), 1500u);
    Bytes stream{0x01, 0x02, 0x7E, 0xFF};  // noise with a partial start mark
    stream.insert(stream.end(), full.begin(), full.end());
    ASSERT_TRUE(peer_.send(stream));
    const auto got = receive(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].size(), 1488u);
    EXPECT_EQ(net_.droppedStreamBytes(), 4u);
}

TEST_F(NetTransportTest, PeerCloseDropsTheChannelAndReconnectWorks) {
    ASSERT_TRUE(net_.connect());
    ASSERT_TRUE(peer_.waitFor([&] { return peer_.connections() == 1; }));
    peer_.closeClient();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    Bytes inner;
    while (net_.isConnected() && std::chrono::steady_clock::now() < deadline) {
        EXPECT_FALSE(net_.receivePackage(inner));
    }
    EXPECT_FALSE(net_.isConnected());
    EXPECT_FALSE(net_.transmitPackage(packet::buildRequest(0, nullptr, 0, false)));
    ASSERT_TRUE(net_.connect());
    ASSERT_TRUE(peer_.waitFor([&] { return peer_.connections() == 2; }));
    ASSERT_TRUE(net_.transmitPackage(packet::buildRequest(1, nullptr, 0, false)));
    ASSERT_TRUE(peer_.waitFor([&] { return !peer_.received().empty(); }));
}

TEST_F(NetTransportTest, DisconnectWakesABlockedReader) {
    ASSERT_TRUE(net_.connect());
    std::atomic<bool> done{false};
    std::thread reader([&] {
        Bytes inner;
        while (net_.isConnected()) net_.receivePackage(inner);
        done = true;
    });
    net_.disconnect();
    reader.join();
    EXPECT_TRUE(done);
    EXPECT_FALSE(net_.isConnected());
    net_.disconnect();  // a second close is harmless
}

TEST_F(NetTransportTest, ImageSocketOpensOnceAndReopens) {
    ASSERT_TRUE(net_.openUdp(kImagePort));
    EXPECT_TRUE(net_.isUdpOpened());
    EXPECT_GT(net_.udpReceiveBufferBytes(), 0);
    EXPECT_TRUE(net_.openUdp(kImagePort)) << "already open: no second bind";
    Bytes out;
    EXPECT_FALSE(net_.udpReceiveFrame(out)) << "nothing sent";
    net_.closeUdp();
    EXPECT_FALSE(net_.isUdpOpened());
    EXPECT_FALSE(net_.udpReceiveFrame(out));
    ASSERT_TRUE(net_.openUdp(kImagePort));
    net_.closeUdp();
}

TEST_F(NetTransportTest, ImageSocketReceivesDatagramsAndCountsJunk) {
    ASSERT_TRUE(net_.openUdp(kImagePort));
    boost::asio::ip::udp::socket sender(io_, boost::asio::ip::udp::v4());
    const Bytes junk(8, 0xEE);  // shorter than a chunk header
    sender.send_to(
        boost::asio::buffer(junk),
        boost::asio::ip::udp::endpoint(boost::asio::ip::make_address_v4("127.0.0.10"), kImagePort));
    Bytes out;
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (net_.udpStats().datagramsDropped + net_.udpStats().chunksDiscarded == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        EXPECT_FALSE(net_.udpReceiveFrame(out));
    }
    const auto stats = net_.udpStats();
    EXPECT_EQ(stats.framesCompleted, 0u);
    EXPECT_GT(stats.datagramsDropped + stats.chunksDiscarded, 0u);
}
