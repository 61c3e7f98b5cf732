#include "CommandLink.h"

#include <algorithm>
#include <boost/asio/posix/stream_descriptor.hpp>

namespace camsim {

namespace asio = boost::asio;

void CommandLink::start(bool bigEndianLength, PacketHandler onPacket, ClosedHandler onClosed) {
    bigEndianLength_ = bigEndianLength;
    onPacket_ = std::move(onPacket);
    onClosed_ = std::move(onClosed);
    auto self = shared_from_this();
    asio::post(io_, [self] { self->readMore(); });
}

void CommandLink::readMore() {
    auto self = shared_from_this();
    asyncRead(readBuffer_, sizeof readBuffer_,
              [self](const boost::system::error_code& ec, size_t n) {
                  if (ec) {
                      self->closeOnIo();
                      return;
                  }
                  self->requests_.append(self->readBuffer_, n);
                  std::vector<uint8_t> inner;
                  while (self->requests_.next(inner, self->bigEndianLength_)) {
                      if (self->onPacket_) self->onPacket_(inner);
                  }
                  {
                      std::lock_guard<std::mutex> lock(self->mutex_);
                      self->droppedRequestBytes_ = self->requests_.droppedBytes();
                      if (!self->open_) return;
                  }
                  self->readMore();
              });
}

bool CommandLink::send(std::vector<uint8_t> packet, bool droppable) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return false;
        if (droppable && queuedBytes_ + packet.size() > kMaxQueuedBytesForFrames) return false;
        queuedBytes_ += packet.size();
        queue_.push_back(std::move(packet));
    }
    auto self = shared_from_this();
    asio::post(io_, [self] { self->writeNext(); });
    return true;
}

void CommandLink::writeNext() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (writing_ || queue_.empty() || !open_) return;
    writing_ = true;
    auto self = shared_from_this();
    // The front element stays in the queue (and so alive) until its write completes.
    asyncWrite(queue_.front(), [self](const boost::system::error_code& ec, size_t) {
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->writing_ = false;
            if (!self->queue_.empty()) {
                const size_t size = self->queue_.front().size();
                self->queuedBytes_ -= std::min(size, self->queuedBytes_);
                self->queue_.pop_front();
            }
        }
        if (ec) {
            self->closeOnIo();
            return;
        }
        const auto gap = self->interPacketGap();
        if (gap.count() == 0) {
            self->writeNext();
            return;
        }
        self->gapTimer_.expires_after(gap);
        self->gapTimer_.async_wait([self](const boost::system::error_code&) { self->writeNext(); });
    });
}

void CommandLink::close() {
    auto self = shared_from_this();
    asio::post(io_, [self] { self->closeOnIo(); });
}

void CommandLink::closeOnIo() {
    ClosedHandler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return;
        open_ = false;
        // A write in flight still refers to the front element; its handler removes it.
        while (queue_.size() > (writing_ ? 1u : 0u)) queue_.pop_back();
        queuedBytes_ = 0;
        handler = std::move(onClosed_);
    }
    gapTimer_.cancel();
    closeStream();
    if (handler) handler();
}

bool CommandLink::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

uint64_t CommandLink::droppedRequestBytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return droppedRequestBytes_;
}

namespace {

template <typename Stream>
class StreamLink : public CommandLink {
public:
    StreamLink(asio::io_context& io, Stream stream, std::chrono::microseconds gap)
        : CommandLink(io), stream_(std::move(stream)), gap_(gap) {}

protected:
    void asyncRead(uint8_t* buffer, size_t size, ReadHandler handler) override {
        stream_.async_read_some(asio::buffer(buffer, size), std::move(handler));
    }
    void asyncWrite(const std::vector<uint8_t>& bytes, WriteHandler handler) override {
        asio::async_write(stream_, asio::buffer(bytes), std::move(handler));
    }
    std::chrono::microseconds interPacketGap() const override { return gap_; }
    void closeStream() override {
        boost::system::error_code ignored;
        closeSocket(stream_, ignored);
    }

private:
    static void closeSocket(asio::ip::tcp::socket& s, boost::system::error_code& ec) {
        s.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
        s.close(ec);
    }
    static void closeSocket(asio::posix::stream_descriptor& d, boost::system::error_code& ec) {
        d.close(ec);
    }
    Stream stream_;
    std::chrono::microseconds gap_;
};

constexpr std::chrono::microseconds kTcpPacketGap{2000};

}  // namespace

std::shared_ptr<CommandLink> makeTcpLink(asio::io_context& io, asio::ip::tcp::socket socket) {
    boost::system::error_code ignored;
    socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    return std::make_shared<StreamLink<asio::ip::tcp::socket>>(io, std::move(socket),
                                                               kTcpPacketGap);
}

std::shared_ptr<CommandLink> makeFdLink(asio::io_context& io, int fd) {
    return std::make_shared<StreamLink<asio::posix::stream_descriptor>>(
        io, asio::posix::stream_descriptor(io, fd), std::chrono::microseconds{});
}

}  // namespace camsim
