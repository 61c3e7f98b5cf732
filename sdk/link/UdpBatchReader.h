// Reads up to kBatch datagrams from a UDP socket in one system call (recvmmsg), into
// buffers allocated once, with the sender of each.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Movoda {

class UdpBatchReader {
public:
    static constexpr size_t kBatch = 64;
    static constexpr size_t kSlotBytes = 65536;  // the largest UDP payload fits

    UdpBatchReader();
    UdpBatchReader(const UdpBatchReader&) = delete;
    UdpBatchReader& operator=(const UdpBatchReader&) = delete;

    // Waits for the first datagram (as long as the socket's receive time-out allows) and
    // takes whatever else is waiting with it, in one call: the number of datagrams (0 when
    // the time-out passed or the socket was shut down), or -1 with errno set on an error.
    int read(int fd);

    const uint8_t* data(size_t i) const { return buffer_.data() + i * kSlotBytes; }
    size_t size(size_t i) const { return messages_[i].msg_len; }
    // The sender's IPv4 address in host order (0 when it was not IPv4).
    uint32_t source(size_t i) const;

private:
    std::vector<uint8_t> buffer_;
    std::array<mmsghdr, kBatch> messages_{};
    std::array<iovec, kBatch> vectors_{};
    std::array<sockaddr_in, kBatch> senders_{};
};

}  // namespace Movoda
