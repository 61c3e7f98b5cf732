#include "link/ReceivePacer.h"

#include <algorithm>

namespace Movoda {

void ReceivePacer::onDatagram(Clock::time_point arrival, size_t bytes) {
    const Clock::duration gap = arrival - lastArrival_;
    if (haveArrival_ && gap >= Clock::duration::zero() && gap <= kBurstGap) {
        windowBytes_ += bytes;
        windowNs_ += std::chrono::duration_cast<std::chrono::nanoseconds>(gap).count();
        if (gapsMeasured_ < kRateMinDatagrams) ++gapsMeasured_;
        if (windowBytes_ > kRateWindowBytes) {  // keep the recent half
            windowBytes_ /= 2;
            windowNs_ /= 2;
        }
    }
    lastArrival_ = arrival;
    haveArrival_ = true;
}

ReceivePacer::Clock::time_point ReceivePacer::dueAfter(uint64_t bytes) const {
    // The window (at most about 2^20 bytes, gaps at most kBurstGap each) keeps the
    // product far inside 64 bits.
    return lastArrival_ + std::chrono::nanoseconds(uint64_t(windowNs_) * bytes / windowBytes_);
}

std::optional<ReceivePacer::Clock::time_point> ReceivePacer::readAt(uint32_t bytesExpected,
                                                                    size_t lastReadCount,
                                                                    size_t batchCapacity,
                                                                    Clock::time_point now) const {
    if (bytesExpected == 0 || !rateKnown()) return std::nullopt;
    if (lastReadCount * 2 >= batchCapacity) return std::nullopt;
    const bool tail = bytesExpected <= kGatherBytes;
    Clock::time_point due = dueAfter(tail ? bytesExpected : kGatherBytes);
    if (tail) due -= kWakeUpLead;
    due = std::min(due, now + kMaxPause);
    if (due - now < kMinPause) return std::nullopt;
    return due;
}

std::optional<ReceivePacer::Clock::time_point> ReceivePacer::pollTailUntil(
    uint32_t bytesExpected, Clock::time_point now) const {
    if (bytesExpected == 0 || bytesExpected > kGatherBytes || !rateKnown()) return std::nullopt;
    const Clock::time_point due = dueAfter(bytesExpected);
    if (due - now > kTailPoll) return std::nullopt;
    return std::max(now, std::min(due + kTailSlack, now + kTailPoll));
}

}  // namespace Movoda
