// Reads up to kBatch datagrams from a UDP socket in one system call (recvmmsg), into
// buffers allocated once, with the sender of each and when it arrived.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Movoda {

class UdpBatchReader {
public:
    static constexpr size_t kBatch = 64;
    static constexpr size_t kSlotBytes = 65536;  // the largest UDP payload fits

    UdpBatchReader();

    // Asks the kernel to stamp each datagram of this socket on arrival; without the
    // stamps arrival() is the moment the read returned.
    static void requestArrivalStamps(int fd);
    UdpBatchReader(const UdpBatchReader&) = delete;
    UdpBatchReader& operator=(const UdpBatchReader&) = delete;

    // Waits for the first datagram (as long as the socket's receive time-out allows) and
    // takes whatever else is waiting with it, in one call: the number of datagrams (0 when
    // the time-out passed or the socket was shut down), or -1 with errno set on an error.
    // Without `wait` it only takes what is waiting (0 when nothing is).
    int read(int fd, bool wait = true);

    const uint8_t* data(size_t i) const { return buffer_.data() + i * kSlotBytes; }
    size_t size(size_t i) const { return messages_[i].msg_len; }
    // The sender's IPv4 address in host order (0 when it was not IPv4).
    uint32_t source(size_t i) const;
    // When the kernel received datagram i, on the steady clock.
    std::chrono::steady_clock::time_point arrival(size_t i) const { return arrivals_[i]; }

private:
    std::vector<uint8_t> buffer_;
    std::array<mmsghdr, kBatch> messages_{};
    std::array<iovec, kBatch> vectors_{};
    std::array<sockaddr_in, kBatch> senders_{};
    // Room for one SCM_TIMESTAMPNS control message per datagram.
    static constexpr size_t kControlBytes = CMSG_SPACE(sizeof(timespec));
    struct alignas(cmsghdr) Control {
        uint8_t bytes[kControlBytes];
    };
    std::array<Control, kBatch> controls_{};
    std::array<std::chrono::steady_clock::time_point, kBatch> arrivals_{};

    void stampArrivals(size_t count);
};

}  // namespace Movoda
