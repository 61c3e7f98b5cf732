// USB transport: the command channel on the camera's virtual serial port. Commands,
// responses, reports and frames (command id 251) share the one byte stream.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/serial_port.hpp>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "link/Commnunication.h"
#include "link/Packet.h"

namespace Movoda {

namespace usb {
constexpr uint32_t kBaudRate = 10000000;
// A blocked read wakes this often so that a closing link or a stopping daemon is noticed.
constexpr int kReceivePollMs = 200;
// A write that cannot finish within this time fails (the peer stopped reading).
constexpr int kWriteTimeoutMs = 2000;
constexpr std::size_t kReadChunk = 64 * 1024;
}  // namespace usb

// Deframer for the serial stream that takes each packet's length field in either byte
// order. Two deframers, one per order, see the same bytes; a genuine packet passes the
// length and end-mark checks in only one of them, and packets leave in stream order. A
// framing error costs only the damaged bytes: both deframers rescan for the next start mark.
class EitherOrderPacketStream {
public:
    void append(const uint8_t* data, std::size_t size);
    // Next complete packet's inner bytes (id .. trailer type). `preferBigEndian` breaks the
    // tie for a packet whose length reads the same in both orders.
    bool next(std::vector<uint8_t>& inner, bool preferBigEndian);
    void clear();
    // Bytes that both deframers have passed without them belonging to a delivered packet.
    uint64_t lostBytes() const { return lost_; }
    uint64_t deliveredPackets() const { return deliveredPackets_; }

private:
    struct Lane {
        explicit Lane(bool order) : bigEndian(order) {}
        packet::PacketStream stream;
        bool bigEndian = false;
        bool pending = false;
        std::vector<uint8_t> inner;
        uint64_t end = 0;  // stream position just after the pending packet
        uint64_t consumed(uint64_t appended) const { return appended - stream.buffered(); }
    };
    void refill(Lane& lane);
    void updateLost();

    Lane big_{true};
    Lane little_{false};
    uint64_t appended_ = 0;
    uint64_t deliveredEnd_ = 0;  // stream position after the last delivered packet
    uint64_t deliveredPackets_ = 0;
    // Delivered packets (start, end) that the slower lane has not passed yet, and the
    // bytes of those it has passed.
    std::deque<std::pair<uint64_t, uint64_t>> unsettled_;
    uint64_t settledDelivered_ = 0;
    uint64_t lost_ = 0;
};

class CommnunicationUsb : public Commnunication {
public:
    explicit CommnunicationUsb(boost::asio::io_context& io);
    ~CommnunicationUsb() override;

    bool connect() override;
    void disconnect() override;
    bool openUdp(uint16_t port) override;
    void closeUdp() override;
    bool transmitPackage(const std::vector<uint8_t>& bytes) override;
    bool receivePackage(std::vector<uint8_t>& out) override;
    bool udpReceiveFrame(std::vector<uint8_t>& out) override;

    // Bytes of the serial stream that belonged to no packet, since the last open.
    uint64_t droppedStreamBytes() const;

private:
    // Opens the named port and applies the serial settings; false with the port closed.
    bool openUsbThread(const std::string& name);
    bool applySettings(boost::asio::serial_port& port, std::string& why);
    bool writeAll(int fd, const uint8_t* data, std::size_t size);
    void reportLoss();

    boost::asio::io_context& io_;
    // The port is read by the receive thread (rxMutex_) and written by command senders
    // (txMutex_); opening and closing it takes both, under the command mutex.
    boost::asio::serial_port port_;
    mutable std::mutex rxMutex_;
    std::mutex txMutex_;
    EitherOrderPacketStream stream_;
    std::vector<uint8_t> readBuffer_;
    uint64_t reportedLoss_ = 0;
};

}  // namespace Movoda
