// Network transport: the command channel over TCP to the camera's port 7787 and the image
// stream over UDP. Blocking Boost.Asio sockets on an I/O context that the owner provides.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>
#include <chrono>
#include <mutex>
#include <vector>

#include "link/Commnunication.h"
#include "link/Packet.h"
#include "link/ReceivePacer.h"
#include "link/UdpBatchReader.h"
#include "link/UdpReassembler.h"

namespace Movoda {

class CommnunicationNet : public Commnunication {
public:
    explicit CommnunicationNet(boost::asio::io_context& io);
    ~CommnunicationNet() override;

    bool connect() override;
    void disconnect() override;
    bool openUdp(uint16_t port) override;
    void closeUdp() override;
    bool transmitPackage(const std::vector<uint8_t>& bytes) override;
    bool receivePackage(std::vector<uint8_t>& out) override;
    bool udpReceiveFrame(std::vector<uint8_t>& out) override;
    // The same without copying the result: it stays valid until the next call.
    bool udpReceiveFrame(ReassembledPacket& result);

    ReassemblyStats udpStats() const { return reassembler_.stats(); }
    // Datagrams from any address other than the camera's, ignored.
    uint64_t foreignDatagrams() const { return foreignDatagrams_.load(); }
    // Failed receives on the image socket.
    uint64_t udpReceiveErrors() const { return udpReceiveErrors_.load(); }
    // What the image socket delivered, and the system calls it took (reads and waits).
    uint64_t udpBytesReceived() const { return udpBytes_.load(); }
    uint64_t udpDatagramsReceived() const { return udpDatagrams_.load(); }
    uint64_t udpReceiveCalls() const { return udpCalls_.load(); }
    // Reads that returned datagrams (the calls less the looks that found nothing).
    uint64_t udpBatchesRead() const { return udpBatches_.load(); }
    // When the datagram that completed the last result of udpReceiveFrame arrived
    // (image receive thread only).
    std::chrono::steady_clock::time_point lastResultArrival() const { return lastArrival_; }
    // Bind the image port shared with other programs (a multicast stream that several
    // receivers watch) instead of exclusively (unicast). Takes effect at the next openUdp.
    void setImagePortShared(bool shared) { imagePortShared_.store(shared); }
    // The last openUdp failed because another program holds the image port.
    bool imagePortHeld() const { return imagePortHeld_.load(); }
    // Bytes the command stream skipped while looking for a packet start.
    uint64_t droppedStreamBytes() const;
    // Receive buffer the kernel granted to the image socket (0 while closed).
    int udpReceiveBufferBytes() const { return udpReceiveBuffer_.load(); }

private:
    enum class ConnectOutcome { Connected, Refused, TimedOut };
    ConnectOutcome connectWithDeadline(boost::asio::ip::tcp::socket& socket,
                                       const boost::asio::ip::tcp::endpoint& endpoint);
    void closeTcpLocked();
    void setUdpReceiveBuffer(boost::asio::ip::udp::socket& socket);
    bool bindImageSocket(boost::asio::ip::udp::socket& socket, uint16_t port);
    void reportUdpError(const boost::system::error_code& ec);
    // The next batch, paced while a frame is in flight so that one read takes many of its
    // datagrams: datagrams, 0 when none came in time, -1 on an error (errno set).
    int readBatch(int fd);

    boost::asio::io_context& io_;
    boost::asio::ip::tcp::endpoint endpoint_;

    // The TCP socket is read by the receive thread (rxMutex_) and written by command
    // senders (txMutex_); opening and closing it takes both.
    boost::asio::ip::tcp::socket tcp_;
    mutable std::mutex rxMutex_;
    std::mutex txMutex_;
    packet::PacketStream stream_;
    std::vector<uint8_t> readBuffer_;

    // The UDP socket is read by the image receive thread under udpRxMutex_.
    boost::asio::ip::udp::socket udp_;
    std::mutex udpRxMutex_;
    // Datagrams are read in batches; those not yet given to the reassembler wait here.
    UdpBatchReader batch_;
    size_t batchNext_ = 0;
    size_t batchCount_ = 0;
    ReceivePacer pacer_;
    std::chrono::steady_clock::time_point lastArrival_{};
    // Byte order of the chunk headers, which the reassembler corrects on its own; the
    // command channel's order is never taken from an image datagram.
    std::atomic<bool> chunkBigEndian_{true};
    UdpReassembler reassembler_;
    // The camera's address as a host-order number, taken when the image socket opens;
    // datagrams from anywhere else are not the camera's frames.
    uint32_t cameraSource_ = 0;
    std::atomic<uint64_t> foreignDatagrams_{0};
    std::atomic<uint64_t> udpReceiveErrors_{0};
    std::atomic<uint64_t> udpBytes_{0};
    std::atomic<uint64_t> udpDatagrams_{0};
    std::atomic<uint64_t> udpCalls_{0};
    std::atomic<uint64_t> udpBatches_{0};
    std::atomic<bool> imagePortShared_{false};
    std::atomic<bool> imagePortHeld_{false};
    std::atomic<int> udpReceiveBuffer_{0};
    bool receiveBufferWarned_ = false;
};

}  // namespace Movoda
