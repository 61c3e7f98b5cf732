// One open command channel (a TCP connection or the pseudo-terminal): reads requests,
// splits them into packets and writes answers, reports and frames in order. Everything
// runs on the server's I/O thread; send() and close() may be called from any thread.
#pragma once

#include <boost/asio.hpp>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "link/Packet.h"

namespace camsim {

class CommandLink : public std::enable_shared_from_this<CommandLink> {
public:
    using PacketHandler = std::function<void(const std::vector<uint8_t>& inner)>;
    using ClosedHandler = std::function<void()>;

    virtual ~CommandLink() = default;
    // Starts reading; `bigEndianLength` is the byte order the camera expects in requests.
    void start(bool bigEndianLength, PacketHandler onPacket, ClosedHandler onClosed);
    // Queues one whole packet. A droppable packet (a frame) is skipped while the peer
    // lags behind, so a slow reader costs frames, not memory. False when skipped or closed.
    bool send(std::vector<uint8_t> packet, bool droppable);
    void close();
    // Closes at once; only on the I/O thread (for example from a handler that then stops it).
    void closeOnIo();
    bool isOpen() const;
    uint64_t droppedRequestBytes() const;

protected:
    explicit CommandLink(boost::asio::io_context& io) : io_(io) {}
    using ReadHandler = std::function<void(const boost::system::error_code&, size_t)>;
    using WriteHandler = std::function<void(const boost::system::error_code&, size_t)>;
    virtual void asyncRead(uint8_t* buffer, size_t size, ReadHandler handler) = 0;
    virtual void asyncWrite(const std::vector<uint8_t>& bytes, WriteHandler handler) = 0;
    virtual void closeStream() = 0;
    // Pause between two packets. The SDK's TCP receive takes one packet per read, so two
    // packets must not reach it in the same read.
    virtual std::chrono::microseconds interPacketGap() const { return {}; }

private:
    void readMore();
    void writeNext();

    static constexpr size_t kReadBufferSize = 4096;
    static constexpr size_t kMaxQueuedBytesForFrames = 4 * 1024 * 1024;

    boost::asio::io_context& io_;
    boost::asio::steady_timer gapTimer_{io_};
    uint8_t readBuffer_[kReadBufferSize];
    Movoda::packet::PacketStream requests_;
    bool bigEndianLength_ = false;
    PacketHandler onPacket_;
    ClosedHandler onClosed_;
    mutable std::mutex mutex_;  // guards the queue and the open flag
    std::deque<std::vector<uint8_t>> queue_;
    size_t queuedBytes_ = 0;
    bool writing_ = false;
    bool open_ = true;
    uint64_t droppedRequestBytes_ = 0;
};

std::shared_ptr<CommandLink> makeTcpLink(boost::asio::io_context& io,
                                         boost::asio::ip::tcp::socket socket);
std::shared_ptr<CommandLink> makeFdLink(boost::asio::io_context& io, int fd);  // takes the fd

}  // namespace camsim
