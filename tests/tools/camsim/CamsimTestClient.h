// A minimal SDK-side peer for the simulated camera: a TCP (or serial) command client and
// an image receiver, built on the SDK's packet code. Every wait is bounded.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "link/Packet.h"
#include "link/UdpReassembler.h"

namespace camsim_test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline sockaddr_in endpoint(const std::string& ip, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    return a;
}

// Waits for readable data on fd until the deadline; false on time-out.
inline bool waitReadable(int fd, Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, int(left.count())) > 0;
}

class CommandClient {
public:
    explicit CommandClient(bool bigEndian = false) : big_(bigEndian) {}
    ~CommandClient() { close(); }

    // TCP to the camera's command port, from a chosen local address.
    bool connectTcp(const std::string& camera, const std::string& local, uint16_t port = 7787) {
        close();
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in from = endpoint(local, 0);
        const sockaddr_in to = endpoint(camera, port);
        if (::bind(fd_, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0) return false;
        return ::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
    }
    // Retries until the camera accepts (after a reset), bounded.
    bool connectTcpWithin(const std::string& camera, const std::string& local,
                          std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            if (connectTcp(camera, local)) return true;
            ::usleep(50000);
        }
        return false;
    }
    bool openSerial(const std::string& path) {
        close();
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        return fd_ >= 0;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        stream_.clear();
    }
    void setBigEndian(bool big) { big_ = big; }

    bool sendRaw(const std::vector<uint8_t>& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }
    bool send(uint8_t id, const std::vector<uint8_t>& payload = {}) {
        return sendRaw(Movoda::packet::buildRequest(id, payload.data(), payload.size(), big_));
    }
    // Next packet of any id.
    std::optional<Movoda::packet::InnerPacket> receive(std::chrono::milliseconds limit = 2000ms) {
        const auto deadline = Clock::now() + limit;
        std::vector<uint8_t> inner;
        for (;;) {
            if (stream_.next(inner, big_))
                return Movoda::packet::splitInner(inner.data(), inner.size());
            if (!waitReadable(fd_, deadline)) return std::nullopt;
            uint8_t buf[65536];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) return std::nullopt;
            stream_.append(buf, size_t(n));
        }
    }
    // Next packet with this id; others are kept in `skipped`.
    std::optional<Movoda::packet::InnerPacket> receiveId(uint8_t id,
                                                         std::chrono::milliseconds limit = 2000ms) {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            auto p = receive(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
            if (!p) return std::nullopt;
            if (p->cmdId == id) return p;
            skipped.push_back(*p);
        }
        return std::nullopt;
    }
    std::optional<Movoda::packet::InnerPacket> exchange(uint8_t id,
                                                        const std::vector<uint8_t>& payload = {},
                                                        std::chrono::milliseconds limit = 2000ms) {
        if (!send(id, payload)) return std::nullopt;
        return receiveId(id, limit);
    }
    // True when the camera closed the link within the limit.
    bool closedWithin(std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (waitReadable(fd_, deadline)) {
            uint8_t buf[4096];
            if (::read(fd_, buf, sizeof buf) <= 0) return true;
        }
        return false;
    }
    int fd() const { return fd_; }

    std::vector<Movoda::packet::InnerPacket> skipped;

private:
    int fd_ = -1;
    bool big_;
    Movoda::packet::PacketStream stream_;
};

// Receives image datagrams on a loopback port and reassembles them with the SDK's code.
class ImageReceiver {
public:
    ImageReceiver(const std::string& ip, uint16_t port, bool bigEndian = false)
        : order_(bigEndian), reassembler_(order_) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        int size = 8 * 1024 * 1024;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size);
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        const sockaddr_in a = endpoint(ip, port);
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    }
    ~ImageReceiver() { ::close(fd_); }
    bool bound() const { return bound_; }

    // Next completed frame or report (inner bytes), or empty after the limit.
    std::optional<std::vector<uint8_t>> next(std::chrono::milliseconds limit = 3000ms) {
        const auto deadline = Clock::now() + limit;
        std::vector<uint8_t> out;
        std::vector<uint8_t> buf(65536);
        while (waitReadable(fd_, deadline)) {
            const ssize_t n = ::recv(fd_, buf.data(), buf.size(), 0);
            if (n <= 0) continue;
            ++datagrams;
            if (reassembler_.udppacket(buf.data(), size_t(n), out)) return out;
        }
        return std::nullopt;
    }
    // Next whole frame (not an IMU report).
    std::optional<std::vector<uint8_t>> nextFrame(std::chrono::milliseconds limit = 3000ms) {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            auto p = next(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
            if (!p) return std::nullopt;
            if (!p->empty() && (*p)[0] != 252) return p;
        }
        return std::nullopt;
    }
    Movoda::ReassemblyStats stats() const { return reassembler_.stats(); }
    int fd() const { return fd_; }
    uint64_t datagrams = 0;

private:
    int fd_;
    bool bound_ = false;
    std::atomic<bool> order_;
    Movoda::UdpReassembler reassembler_;
};

}  // namespace camsim_test
