#include "link/UdpBatchReader.h"

#include <arpa/inet.h>

#include <cerrno>

namespace Movoda {

UdpBatchReader::UdpBatchReader() : buffer_(kBatch * kSlotBytes) {
    for (size_t i = 0; i < kBatch; ++i) {
        vectors_[i].iov_base = buffer_.data() + i * kSlotBytes;
        vectors_[i].iov_len = kSlotBytes;
        messages_[i].msg_hdr.msg_iov = &vectors_[i];
        messages_[i].msg_hdr.msg_iovlen = 1;
        messages_[i].msg_hdr.msg_name = &senders_[i];
    }
}

int UdpBatchReader::read(int fd) {
    for (size_t i = 0; i < kBatch; ++i) {
        messages_[i].msg_hdr.msg_namelen = sizeof(sockaddr_in);
        messages_[i].msg_len = 0;
    }
    const int count = ::recvmmsg(fd, messages_.data(), kBatch, MSG_WAITFORONE, nullptr);
    if (count >= 0) return count;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

uint32_t UdpBatchReader::source(size_t i) const {
    const sockaddr_in& sender = senders_[i];
    if (messages_[i].msg_hdr.msg_namelen < sizeof(sockaddr_in) || sender.sin_family != AF_INET)
        return 0;
    return ntohl(sender.sin_addr.s_addr);
}

}  // namespace Movoda
