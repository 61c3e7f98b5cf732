#include "link/CommnunicationUsb.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>

#include "link/SerialSpeed.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace {

constexpr const char* kTagConnect = "Movoda::CommnunicationUsb::connect";
constexpr const char* kTagOpen = "Movoda::openUsbThread";
constexpr const char* kTagDisconnect = "Movoda::CommnunicationUsb::disconnect";
constexpr const char* kTagTransmit = "Movoda::CommnunicationUsb::transmitPackage";
constexpr const char* kTagReceive = "Movoda::CommnunicationUsb::receivePackage";

constexpr unsigned kDataBits = 8;

}  // namespace

// ---- Deframing ----

void EitherOrderPacketStream::append(const uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0) return;
    big_.stream.append(data, size);
    little_.stream.append(data, size);
    appended_ += size;
}

void EitherOrderPacketStream::clear() {
    for (Lane* lane : {&big_, &little_}) {
        lane->stream.clear();
        lane->pending = false;
        lane->inner.clear();
        lane->end = 0;
    }
    appended_ = deliveredEnd_ = deliveredPackets_ = settledDelivered_ = lost_ = 0;
    unsettled_.clear();
}

void EitherOrderPacketStream::refill(Lane& lane) {
    if (lane.pending) return;
    lane.pending = lane.stream.next(lane.inner, lane.bigEndian);
    if (lane.pending) lane.end = lane.consumed(appended_);
}

void EitherOrderPacketStream::updateLost() {
    if (big_.pending || little_.pending) return;  // their bytes are not settled yet
    // Every byte both lanes have passed either went out in a packet or is lost.
    const uint64_t settled = std::min(big_.consumed(appended_), little_.consumed(appended_));
    while (!unsettled_.empty() && unsettled_.front().second <= settled) {
        settledDelivered_ += unsettled_.front().second - unsettled_.front().first;
        unsettled_.pop_front();
    }
    uint64_t delivered = settledDelivered_;
    if (!unsettled_.empty() && unsettled_.front().first < settled) {
        delivered += settled - unsettled_.front().first;
    }
    lost_ = std::max(lost_, settled - delivered);
}

bool EitherOrderPacketStream::next(std::vector<uint8_t>& inner, bool preferBigEndian) {
    for (;;) {
        refill(big_);
        refill(little_);
        Lane* chosen = nullptr;
        if (big_.pending && little_.pending) {
            if (big_.end == little_.end) {
                chosen = preferBigEndian ? &big_ : &little_;
            } else {
                chosen = big_.end < little_.end ? &big_ : &little_;
            }
        } else if (big_.pending) {
            chosen = &big_;
        } else if (little_.pending) {
            chosen = &little_;
        }
        if (chosen == nullptr) {
            updateLost();
            return false;
        }
        chosen->pending = false;
        const uint64_t size = chosen->inner.size() + packet::kFramingSize;
        // A packet that overlaps one already delivered is the same bytes read in the other
        // order (or a false match inside it); the length limit excludes its last value.
        if (chosen->end - size < deliveredEnd_ ||
            chosen->inner.size() >= packet::kMaxStreamLength) {
            continue;
        }
        unsettled_.emplace_back(chosen->end - size, chosen->end);
        deliveredEnd_ = chosen->end;
        ++deliveredPackets_;
        inner.swap(chosen->inner);
        updateLost();
        return true;
    }
}

// ---- Transport ----

CommnunicationUsb::CommnunicationUsb(boost::asio::io_context& io)
    : io_(io), port_(io), readBuffer_(usb::kReadChunk, 0) {}

CommnunicationUsb::~CommnunicationUsb() {
    if (port_.is_open()) disconnect();
}

bool CommnunicationUsb::connect() {
    std::lock_guard<std::mutex> lock(cmdMutex);
    const std::string name = getAddress();
    if (!isSerialPortName(name)) return false;
    if (connected.load()) return true;
    connecting.store(true);
    const bool opened = openUsbThread(name);
    connecting.store(false);
    if (!opened) return false;
    connected.store(true);
    sdkLog(LOG_WARN, kTagConnect, "usb connected " + name);
    return true;
}

bool CommnunicationUsb::openUsbThread(const std::string& name) {
    sdkLog(LOG_INFO, kTagOpen, "open " + name);
    boost::asio::serial_port port(io_);
    boost::system::error_code ec;
    port.open(name, ec);
    if (ec) {
        std::cout << "usb open " << name << ": " << ec.message() << std::endl;
        sdkLog(LOG_WARN, kTagOpen, name + ": " + ec.message());
        return false;
    }
    std::cout << "usb opened " << std::endl;
    std::string why;
    if (!applySettings(port, why)) {
        std::cout << "usb settings " << name << ": " << why << std::endl;
        sdkLog(LOG_WARN, kTagOpen, name + ": " + why);
        port.close(ec);
        return false;
    }
    std::scoped_lock ports(rxMutex_, txMutex_);
    if (port_.is_open()) port_.close(ec);
    port_ = std::move(port);
    stream_.clear();
    reportedLoss_ = 0;
    return true;
}

bool CommnunicationUsb::applySettings(boost::asio::serial_port& port, std::string& why) {
    using Base = boost::asio::serial_port_base;
    boost::system::error_code ec;
    port.set_option(Base::character_size(kDataBits), ec);
    if (!ec) port.set_option(Base::stop_bits(Base::stop_bits::one), ec);
    if (!ec) port.set_option(Base::parity(Base::parity::none), ec);
    if (!ec) port.set_option(Base::flow_control(Base::flow_control::none), ec);
    if (ec) {
        why = "serial settings: " + ec.message();
        return false;
    }
    // The speed goes last because the options above rewrite the terminal settings through
    // the classic interface, which knows only the standard rates.
    const int fd = port.native_handle();
    const int error = serial::setLineSpeed(fd, usb::kBaudRate);
    if (error == 0) return true;
    if (serial::isPseudoTerminal(fd)) {
        // A pseudo-terminal has no line to pace; its speed does not matter.
        sdkLog(LOG_INFO, kTagOpen, std::string("line speed ignored: ") + std::strerror(error));
        return true;
    }
    why = std::string("line speed: ") + std::strerror(error);
    return false;
}

void CommnunicationUsb::disconnect() {
    std::lock_guard<std::mutex> lock(cmdMutex);
    connected.store(false);
    bool wasOpen = false;
    boost::system::error_code ec;
    {
        // The reader wakes within one poll interval and releases its lock.
        std::scoped_lock ports(rxMutex_, txMutex_);
        wasOpen = port_.is_open();
        if (wasOpen) port_.close(ec);
        stream_.clear();
        reportedLoss_ = 0;
    }
    if (!wasOpen) {
        std::cout << "usb already closed " << std::endl;
        sdkLog(LOG_INFO, kTagDisconnect, "usb already closed ");
    } else if (ec) {
        std::cout << "Usb disconnect:exception " << ec.message() << std::endl;
        sdkLog(LOG_WARN, kTagDisconnect, ec.message());
    } else {
        std::cout << "usb closed " << std::endl;
    }
}

bool CommnunicationUsb::openUdp(uint16_t) {
    return false;
}

void CommnunicationUsb::closeUdp() {}

bool CommnunicationUsb::udpReceiveFrame(std::vector<uint8_t>&) {
    return false;
}

bool CommnunicationUsb::writeAll(int fd, const uint8_t* data, std::size_t size) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(usb::kWriteTimeoutMs);
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written > 0) {
            data += written;
            size -= std::size_t(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) return false;
        // The port's output buffer is full: wait for room, but not beyond the deadline.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd entry{fd, POLLOUT, 0};
        if (::poll(&entry, 1, int(left.count())) < 0 && errno != EINTR) return false;
        if ((entry.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return false;
    }
    return true;
}

bool CommnunicationUsb::transmitPackage(const std::vector<uint8_t>& bytes) {
    if (!connected.load()) return false;
    bool written = false;
    {
        std::lock_guard<std::mutex> lock(txMutex_);
        if (!port_.is_open()) return false;
        written = writeAll(port_.native_handle(), bytes.data(), bytes.size());
    }
    if (!written) {
        std::cout << "cmd wirte error" << std::endl;
        sdkLog(LOG_WARN, kTagTransmit, "cmd wirte error ");
    }
    return written;
}

void CommnunicationUsb::reportLoss() {
    const uint64_t lost = stream_.lostBytes();
    if (lost <= reportedLoss_) return;
    std::cout << " usb lost data:  " << (lost - reportedLoss_) << std::endl;
    reportedLoss_ = lost;
}

bool CommnunicationUsb::receivePackage(std::vector<uint8_t>& out) {
    if (!connected.load()) return false;
    std::string failure;
    {
        std::lock_guard<std::mutex> lock(rxMutex_);
        const bool preferBigEndian = bigEndianLength.load();
        if (stream_.next(out, preferBigEndian)) return true;
        if (!port_.is_open()) return false;
        const int fd = port_.native_handle();
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, usb::kReceivePollMs);
        if (ready == 0 || (ready < 0 && errno == EINTR)) return false;
        const bool hungUp = ready < 0 || (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
        const ssize_t count = ready > 0 ? ::read(fd, readBuffer_.data(), readBuffer_.size()) : -1;
        if (count > 0) {
            stream_.append(readBuffer_.data(), std::size_t(count));
            const bool got = stream_.next(out, preferBigEndian);
            reportLoss();
            return got;
        }
        if (count < 0 && (errno == EAGAIN || errno == EINTR) && !hungUp) return false;
        if (count == 0 && !hungUp) return false;
        failure = count < 0 ? std::strerror(errno) : "port hung up";
    }
    // The device is gone (unplugged, or the other side of a pseudo-terminal closed).
    std::cout << "usb head error" << std::endl;
    sdkLog(LOG_ERROR, kTagReceive, "usb head error: " + failure);
    disconnect();
    return false;
}

uint64_t CommnunicationUsb::droppedStreamBytes() const {
    std::lock_guard<std::mutex> lock(rxMutex_);
    return stream_.lostBytes();
}

}  // namespace Movoda
