#include "link/UdpBatchReader.h"

#include <arpa/inet.h>

#include <time.h>

#include <cerrno>
#include <cstring>

namespace Movoda {

UdpBatchReader::UdpBatchReader() : buffer_(kBatch * kSlotBytes) {
    for (size_t i = 0; i < kBatch; ++i) {
        vectors_[i].iov_base = buffer_.data() + i * kSlotBytes;
        vectors_[i].iov_len = kSlotBytes;
        messages_[i].msg_hdr.msg_iov = &vectors_[i];
        messages_[i].msg_hdr.msg_iovlen = 1;
        messages_[i].msg_hdr.msg_name = &senders_[i];
        messages_[i].msg_hdr.msg_control = controls_[i].bytes;
    }
}

void UdpBatchReader::requestArrivalStamps(int fd) {
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
}

int UdpBatchReader::read(int fd, bool wait) {
    for (size_t i = 0; i < kBatch; ++i) {
        messages_[i].msg_hdr.msg_namelen = sizeof(sockaddr_in);
        messages_[i].msg_hdr.msg_controllen = kControlBytes;
        messages_[i].msg_len = 0;
    }
    const int flags = wait ? MSG_WAITFORONE : MSG_DONTWAIT;
    const int count = ::recvmmsg(fd, messages_.data(), kBatch, flags, nullptr);
    if (count > 0) stampArrivals(size_t(count));
    if (count >= 0) return count;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

// The kernel stamps on the wall clock; the offset to the steady clock is taken once per
// read. A stamp from the future or older than ten seconds (the wall clock was set
// meanwhile) is not trusted: the read time stands in.
void UdpBatchReader::stampArrivals(size_t count) {
    using namespace std::chrono;
    constexpr int64_t kTrustedAgeNs = 10'000'000'000;
    const steady_clock::time_point readAt = steady_clock::now();
    timespec wall{};
    ::clock_gettime(CLOCK_REALTIME, &wall);
    const int64_t wallNs = int64_t(wall.tv_sec) * 1000000000 + wall.tv_nsec;
    for (size_t i = 0; i < count; ++i) {
        arrivals_[i] = readAt;
        msghdr& header = messages_[i].msg_hdr;
        for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) continue;
            timespec stamp{};
            std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
            const int64_t age = wallNs - (int64_t(stamp.tv_sec) * 1000000000 + stamp.tv_nsec);
            if (age >= 0 && age < kTrustedAgeNs) arrivals_[i] = readAt - nanoseconds(age);
        }
    }
}

uint32_t UdpBatchReader::source(size_t i) const {
    const sockaddr_in& sender = senders_[i];
    if (messages_[i].msg_hdr.msg_namelen < sizeof(sockaddr_in) || sender.sin_family != AF_INET)
        return 0;
    return ntohl(sender.sin_addr.s_addr);
}

}  // namespace Movoda
