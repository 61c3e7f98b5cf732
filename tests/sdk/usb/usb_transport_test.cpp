// The USB transport on a pseudo-terminal linked as /dev/ttyACM41: opening by name, the
// exchange of whole packets in both directions, the port vanishing and coming back, and the
// line-speed helper.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <cerrno>
#include <future>
#include <thread>

#include "SerialPeer.h"
#include "link/CommnunicationUsb.h"
#include "link/SerialSpeed.h"

using namespace vantory_test;
using namespace std::chrono_literals;
using Movoda::CommnunicationUsb;

namespace {

constexpr const char* kPort = "/dev/ttyACM41";

class UsbTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        VANTORY_REQUIRE_DEV_LINKS();
        usb_ = std::make_unique<CommnunicationUsb>(io_);
        usb_->setAddress(kPort);
        usb_->setBigEndianLength(false);
    }
    void openPeerAndConnect() {
        peer_.open(kPort);
        ASSERT_TRUE(usb_->connect());
        ASSERT_TRUE(usb_->isConnected());
    }
    // Receives until `count` packets arrived or the time is up.
    std::vector<Bytes> receive(size_t count, std::chrono::milliseconds within = 5s) {
        std::vector<Bytes> out;
        const auto deadline = std::chrono::steady_clock::now() + within;
        while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
            Bytes inner;
            if (usb_->receivePackage(inner)) out.push_back(inner);
        }
        return out;
    }

    boost::asio::io_context io_;
    SerialPeer peer_;  // declared before the transport: the port closes first
    std::unique_ptr<CommnunicationUsb> usb_;
};

}  // namespace

TEST_F(UsbTransportTest, OnlyPortNamesAreOpened) {
    for (const char* name : {"/tmp/ttyACM41", "192.168.0.101", "", "/dev/ttyS0x"}) {
        usb_->setAddress(name);
        EXPECT_FALSE(usb_->connect()) << name;
        EXPECT_FALSE(usb_->isConnected());
    }
    // A valid name without a device behind it fails and leaves nothing half-open.
    usb_->setAddress("/dev/ttyACM49");
    ::unlink("/dev/ttyACM49");
    EXPECT_FALSE(usb_->connect());
    EXPECT_FALSE(usb_->isConnected());
    EXPECT_FALSE(usb_->isConnecting());
    EXPECT_FALSE(usb_->transmitPackage({1, 2, 3}));
    Bytes inner;
    EXPECT_FALSE(usb_->receivePackage(inner));
    // No image stream on this link.
    EXPECT_FALSE(usb_->openUdp(7687));
    EXPECT_FALSE(usb_->udpReceiveFrame(inner));
}

TEST_F(UsbTransportTest, RequestsAndResponsesCrossWhole) {
    openPeerAndConnect();
    EXPECT_TRUE(usb_->connect()) << "a second connect while open succeeds at once";

    const uint8_t payload[] = {0x0A, 0x0B};
    const Bytes request = Movoda::packet::buildRequest(56, payload, sizeof payload, false);
    ASSERT_TRUE(usb_->transmitPackage(request));
    EXPECT_EQ(peer_.read(request.size(), 2s), request);

    const Bytes answer = cameraPacket(56, {}, false);
    const Bytes report = cameraPacket(157, patterned(33, 1), false, 7);
    Bytes both = answer;
    both.insert(both.end(), report.begin(), report.end());
    ASSERT_TRUE(peer_.write(both));
    const auto out = receive(2);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], innerOf(answer));
    EXPECT_EQ(out[1], innerOf(report));
    EXPECT_EQ(usb_->droppedStreamBytes(), 0u);
}

// A damaged length field promises 5000 bytes that never come; the packets behind it must
// not wait for them.
TEST_F(UsbTransportTest, StalledLengthDoesNotHoldLaterPacketsBack) {
    openPeerAndConnect();
    Bytes stalled = {0x7E, 0xFF, 0xAA, 0x55, 0x88, 0x13, 0x00, 0x00, 4, 1, 2, 3};
    const Bytes answer = cameraPacket(5, patterned(40, 3), false);
    const Bytes report = cameraPacket(157, {9}, false, 7);
    for (const Bytes* p : {&answer, &report}) stalled.insert(stalled.end(), p->begin(), p->end());
    ASSERT_TRUE(peer_.write(stalled));
    const auto out = receive(2, 3s);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], innerOf(answer));
    EXPECT_EQ(out[1], innerOf(report));
    EXPECT_EQ(usb_->droppedStreamBytes(), 12u);
}

// A full frame is far larger than the terminal's buffer: it arrives over many reads.
TEST_F(UsbTransportTest, FrameSizedPacketsArriveIntact) {
    openPeerAndConnect();
    std::vector<Bytes> frames;
    for (uint32_t i = 0; i < 3; ++i) {
        frames.push_back(cameraPacket(251, patterned(320 * 240 * 4, i), false));
    }
    auto writer = std::async(std::launch::async, [&] {
        for (const Bytes& f : frames) {
            if (!peer_.write(f)) return false;
        }
        return true;
    });
    const auto out = receive(3, 10s);
    EXPECT_TRUE(writer.get());
    ASSERT_EQ(out.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(out[i], innerOf(frames[i])) << i;
}

TEST_F(UsbTransportTest, VanishingPortClosesTheLinkAndItReopensWhenBack) {
    openPeerAndConnect();
    peer_.close();
    // The next receives notice the hang-up and close the link.
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    Bytes inner;
    while (usb_->isConnected() && std::chrono::steady_clock::now() < deadline) {
        EXPECT_FALSE(usb_->receivePackage(inner));
    }
    EXPECT_FALSE(usb_->isConnected());
    EXPECT_FALSE(usb_->transmitPackage(Movoda::packet::buildRequest(0, nullptr, 0, false)));
    EXPECT_FALSE(usb_->connect()) << "the link path is gone";

    peer_.open(kPort);
    ASSERT_TRUE(usb_->connect());
    const Bytes answer = cameraPacket(0, {}, false);
    ASSERT_TRUE(peer_.write(answer));
    const auto out = receive(1);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], innerOf(answer));
}

// A receive blocked on a silent port gives way to disconnect within a poll interval.
TEST_F(UsbTransportTest, DisconnectEndsAWaitingReceiver) {
    openPeerAndConnect();
    std::atomic<int> calls{0};
    auto reader = std::async(std::launch::async, [&] {
        Bytes inner;
        while (usb_->isConnected()) {
            usb_->receivePackage(inner);
            calls.fetch_add(1);
        }
        return true;
    });
    while (calls.load() == 0 && reader.wait_for(10ms) != std::future_status::ready) {
    }
    usb_->disconnect();
    EXPECT_EQ(reader.wait_for(3s), std::future_status::ready);
    EXPECT_FALSE(usb_->isConnected());
    usb_->disconnect();  // already closed: harmless
    EXPECT_FALSE(usb_->isConnected());
    // The peer is still there: the same port opens again.
    EXPECT_TRUE(usb_->connect());
}

TEST(SerialSpeedTest, PseudoTerminalsAcceptOrIgnoreAnySpeed) {
    VANTORY_REQUIRE_DEV_LINKS();
    SerialPeer peer;
    peer.open("/dev/ttyACM41");
    const int terminal = ::open("/dev/ttyACM41", O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(terminal, 0);
    EXPECT_TRUE(Movoda::serial::isPseudoTerminal(terminal));
    EXPECT_FALSE(Movoda::serial::isPseudoTerminal(peer.master()));
    const int result = Movoda::serial::setLineSpeed(terminal, Movoda::usb::kBaudRate);
    EXPECT_EQ(result, 0) << "a pseudo-terminal takes any speed";
    ::close(terminal);

    // Not a terminal at all: the call reports why.
    const int null = ::open("/dev/null", O_RDWR);
    ASSERT_GE(null, 0);
    EXPECT_FALSE(Movoda::serial::isPseudoTerminal(null));
    EXPECT_EQ(Movoda::serial::setLineSpeed(null, Movoda::usb::kBaudRate), ENOTTY);
    ::close(null);
}
