#include <gtest/gtest.h>

#include <unistd.h>
#include <boost/asio/io_context.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "LoopbackPeer.h"
#include "reassembly_datagrams.h"
#include "link/CommnunicationNet.h"
#include "link/Packet.h"

using namespace Movoda;
using vantory_test::LoopbackPeer;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

constexpr const char* kPeerAddress = "127.0.0.10";
constexpr const char* kSilentAddress = "127.0.0.11";  // nothing listens here
constexpr uint16_t kImagePort = 9610;

Bytes innerOf(const Bytes& packet) {
    return Bytes(packet.begin() + 8, packet.end() - 4);
}

class NetTransportTest : public ::testing::Test {
protected:
    boost::asio::ip::udp::socket senderOn(const std::string& address) {
        boost::asio::ip::udp::socket socket(io_, boost::asio::ip::udp::v4());
        socket.bind({boost::asio::ip::make_address_v4(address), 0});
        return socket;
    }
    void sendTo(boost::asio::ip::udp::socket& socket, const Bytes& datagram) {
        socket.send_to(boost::asio::buffer(datagram),
                       {boost::asio::ip::make_address_v4(kPeerAddress), kImagePort});
    }
    // Reads the image socket until a frame completes or the time runs out.
    bool receiveFrame(Bytes& out, std::chrono::milliseconds limit = 3s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (net_.udpReceiveFrame(out)) return true;
        }
        return false;
    }

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
    boost::asio::ip::udp::socket sender = senderOn(kPeerAddress);
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

// A single-chunk frame datagram with the chunk header in the given byte order.
static Bytes frameDatagram(uint16_t sequence, bool bigEndianHeader) {
    const uint8_t trailer[] = {0x00, 0x03, 0x03};
    const Bytes payload(200, uint8_t(sequence));
    const Bytes frame = packet::buildPacket(251, payload.data(), payload.size(), trailer, 3, false);
    Bytes d;
    const auto put = [&](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            d.push_back(uint8_t(value >> (bigEndianHeader ? 8 * (bytes - 1 - i) : 8 * i)));
    };
    put(sequence, 2);
    put(frame.size(), 4);
    put(frame.size(), 2);
    put(0, 4);
    put(0, 8);
    d.insert(d.end(), frame.begin(), frame.end());
    return d;
}

// Only the camera streams into the image socket; and whatever order its chunk headers use,
// the command channel keeps its own.
TEST_F(NetTransportTest, ImageDatagramsFromOtherHostsAreIgnored) {
    ASSERT_TRUE(net_.openUdp(kImagePort));
    auto stranger = senderOn(kSilentAddress);
    auto camera = senderOn(kPeerAddress);
    sendTo(stranger, frameDatagram(1, false));
    sendTo(camera, frameDatagram(2, true));
    Bytes out;
    ASSERT_TRUE(receiveFrame(out));
    EXPECT_EQ(out[1], 2) << "the camera's frame, not the stranger's";
    EXPECT_EQ(net_.foreignDatagrams(), 1u);
    EXPECT_FALSE(net_.getBigEndianLength());
    EXPECT_EQ(net_.udpStats().framesCompleted, 1u);
}

// Datagrams already waiting are read together: one system call for all of them.
TEST_F(NetTransportTest, WaitingDatagramsAreReadInOneCall) {
    ASSERT_TRUE(net_.openUdp(kImagePort));
    auto camera = senderOn(kPeerAddress);
    for (uint16_t sequence = 1; sequence <= 20; ++sequence) sendTo(camera, frameDatagram(sequence, false));
    Bytes out;
    for (uint16_t sequence = 1; sequence <= 20; ++sequence) {
        ASSERT_TRUE(receiveFrame(out));
        EXPECT_EQ(out[1], uint8_t(sequence));
    }
    EXPECT_EQ(net_.udpDatagramsReceived(), 20u);
    EXPECT_EQ(net_.udpReceiveCalls(), 1u);
}

// A frame's time of arrival is when the kernel received its last datagram, however long
// it waited in the socket before being read.
TEST_F(NetTransportTest, FrameIsStampedWhenItsLastDatagramArrivedNotWhenItWasRead) {
    ASSERT_TRUE(net_.openUdp(kImagePort));
    auto camera = senderOn(kPeerAddress);
    // The kernel turns stamping on a moment after the first socket asks for it; until
    // then a datagram is stamped when it is read.
    std::this_thread::sleep_for(50ms);
    const auto sentAfter = std::chrono::steady_clock::now();
    sendTo(camera, frameDatagram(1, false));
    const auto sentBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(100ms);
    Bytes out;
    ASSERT_TRUE(receiveFrame(out));
    EXPECT_GE(net_.lastResultArrival(), sentAfter);
    EXPECT_LE(net_.lastResultArrival(), sentBefore + 20ms);
}

// While a frame streams in, reads wait for many of its datagrams instead of waking for
// every one or two of them.
TEST_F(NetTransportTest, StreamingFrameIsReadInBatches) {
    ASSERT_TRUE(net_.openUdp(kImagePort));
    auto camera = senderOn(kPeerAddress);
    const Bytes frame = reassembly_test::makeFramePacket(300000, 7, false);
    const auto datagrams = reassembly_test::chunkFrame(frame, 5, 1400, false);
    std::thread sender([&] {
        std::this_thread::sleep_for(50ms);  // the reader is waiting by then
        for (const Bytes& d : datagrams) {
            sendTo(camera, d);
            const auto next = std::chrono::steady_clock::now() + 10us;
            while (std::chrono::steady_clock::now() < next) {
            }
        }
    });
    Bytes out;
    const bool received = receiveFrame(out);
    sender.join();
    ASSERT_TRUE(received);
    EXPECT_EQ(out, reassembly_test::innerOf(frame));
    EXPECT_EQ(net_.udpDatagramsReceived(), datagrams.size());
    EXPECT_LE(net_.udpBatchesRead(), datagrams.size() / 4);
}

TEST_F(NetTransportTest, ImagePortHeldByAnotherProgramFailsTheOpen) {
    CommnunicationNet other(io_);
    other.setAddress(kPeerAddress);
    ASSERT_TRUE(net_.openUdp(kImagePort));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(other.openUdp(kImagePort));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(other.imagePortHeld());
    EXPECT_NE(
        printed.find("image port " + std::to_string(kImagePort) + " is held by another program"),
        std::string::npos)
        << printed;
    net_.closeUdp();
    EXPECT_TRUE(other.openUdp(kImagePort));  // free again
    EXPECT_FALSE(other.imagePortHeld());
    other.closeUdp();

    // A multicast stream is shared by whoever asks for it.
    net_.setImagePortShared(true);
    other.setImagePortShared(true);
    ASSERT_TRUE(net_.openUdp(kImagePort));
    EXPECT_TRUE(other.openUdp(kImagePort));
}

// The descriptor of the UDP socket bound to the port, found through /proc.
static int udpSocketOnPort(uint16_t port) {
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);  // header
    char portHex[8];
    std::snprintf(portHex, sizeof portHex, "%04X", port);
    std::string inode;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout;
        fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
            timeout >> inode;
        if (local.size() > 4 && local.substr(local.size() - 4) == portHex) break;
        inode.clear();
    }
    if (inode.empty()) return -1;
    for (int fd = 0; fd < 1024; ++fd) {
        char link[64] = {};
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        if (::readlink(path.c_str(), link, sizeof link - 1) > 0 &&
            std::string(link) == "socket:[" + inode + "]")
            return fd;
    }
    return -1;
}

TEST_F(NetTransportTest, ReceiveErrorIsReportedAsUdpError) {
    ASSERT_TRUE(net_.openUdp(kImagePort));
    const int fd = udpSocketOnPort(kImagePort);
    ASSERT_GE(fd, 0);
    // Something readable that is not a socket takes the socket's place: receiving fails.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ASSERT_EQ(::write(pipeFds[1], "x", 1), 1);
    ASSERT_EQ(::dup2(pipeFds[0], fd), fd);
    testing::internal::CaptureStdout();
    Bytes out;
    EXPECT_FALSE(net_.udpReceiveFrame(out));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("udp error ", 0), 0u) << printed;
    EXPECT_EQ(net_.udpReceiveErrors(), 1u);
    net_.closeUdp();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}

// A damaged length field promises more bytes than ever come; later packets still pass.
TEST_F(NetTransportTest, StalledLengthDoesNotHoldLaterPacketsBack) {
    ASSERT_TRUE(net_.connect());
    ASSERT_TRUE(peer_.waitFor([&] { return peer_.connections() == 1; }));
    Bytes bytes = {0x7E, 0xFF, 0xAA, 0x55, 0xE8, 0x03, 0x00, 0x00, 4, 1, 2};
    const Bytes answer = LoopbackPeer::response(4, {1, 2, 3}, 0, 2, false);
    bytes.insert(bytes.end(), answer.begin(), answer.end());
    ASSERT_TRUE(peer_.send(bytes));
    const auto out = receive(1, 3s);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(answer));
    EXPECT_EQ(net_.droppedStreamBytes(), 11u);
}
