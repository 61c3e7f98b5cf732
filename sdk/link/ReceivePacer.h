// Decides how long the image receive thread lets datagrams gather before its next read.
//
// A camera sends a frame as a burst of a few hundred datagrams. Woken by the first
// datagram of each read, the thread would otherwise take two or three at a time and pay
// a wake-up for every few kilobytes. While a frame is in flight the pacer waits until
// about kGatherBytes more should have arrived, so one read takes them all. The deadline
// follows the kernel's arrival stamps and the rate datagrams arrive at within bursts, so
// the wait ends when the data is due, not a fixed time after the read. For the frame's
// tail, which decides when the frame is complete, the wait ends kWakeUpLead early and the
// thread then looks for the tail without blocking while it is due within kTailPoll: a
// thread woken from an idle processor starts tens of microseconds late. Every wait is
// bounded by kMaxPause and every look by kTailPoll, so a lost datagram costs no more.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace Movoda {

class ReceivePacer {
public:
    using Clock = std::chrono::steady_clock;

    // Datagram bytes to gather per read: well inside the smallest receive buffer the
    // kernel grants (about 2.3 KB of buffer per 1420-byte datagram).
    static constexpr uint32_t kGatherBytes = 64 * 1024;
    static constexpr Clock::duration kMaxPause = std::chrono::milliseconds(2);
    // Shorter waits cost about as much as the wake-up they save.
    static constexpr Clock::duration kMinPause = std::chrono::microseconds(30);
    static constexpr Clock::duration kWakeUpLead = std::chrono::microseconds(100);
    // How long the thread looks for a tail that is due, and how late the tail may be.
    static constexpr Clock::duration kTailPoll = std::chrono::microseconds(200);
    static constexpr Clock::duration kTailSlack = std::chrono::microseconds(100);
    // Datagrams further apart than this belong to different bursts; the gap between
    // bursts says nothing about the rate within one.
    static constexpr Clock::duration kBurstGap = std::chrono::milliseconds(1);
    // The rate is that of the last kRateWindowBytes received within bursts, and is
    // trusted once kRateMinDatagrams gaps have been measured.
    static constexpr uint64_t kRateWindowBytes = 1 << 20;
    static constexpr uint32_t kRateMinDatagrams = 16;

    // Every datagram read, in order: when it arrived and its size.
    void onDatagram(Clock::time_point arrival, size_t bytes);

    // Before the next read: when to read, or nothing to read at once. bytesExpected is
    // what the frame in flight still lacks, lastReadCount the datagrams the previous
    // read returned (a read that filled half the batch means the thread is behind).
    std::optional<Clock::time_point> readAt(uint32_t bytesExpected, size_t lastReadCount,
                                            size_t batchCapacity, Clock::time_point now) const;

    // After that: until when to look for the frame's tail without blocking, or nothing
    // when no tail is due within kTailPoll.
    std::optional<Clock::time_point> pollTailUntil(uint32_t bytesExpected,
                                                   Clock::time_point now) const;

private:
    bool rateKnown() const { return gapsMeasured_ >= kRateMinDatagrams && windowBytes_ > 0; }
    // When `bytes` more should have arrived after the last datagram, at the burst rate.
    Clock::time_point dueAfter(uint64_t bytes) const;

    Clock::time_point lastArrival_{};
    bool haveArrival_ = false;
    // Bytes and time of the datagrams that arrived within bursts, in the window.
    uint64_t windowBytes_ = 0;
    int64_t windowNs_ = 0;
    uint32_t gapsMeasured_ = 0;
};

}  // namespace Movoda
