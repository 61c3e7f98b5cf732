// A bounded first-in first-out hand-off of frames from the SDK's delivery thread to the
// Python side. A reader that falls behind loses the oldest frames, never memory: the
// newest frames are the ones a live program wants, and the loss is counted.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "mvsdk/Frame.h"

namespace vantory_py {

using FramePtr = std::shared_ptr<const Movoda::Frame>;

// One delivered frame and the host's monotonic time (nanoseconds, the clock of Python's
// time.monotonic_ns) at which the SDK handed it over.
struct DeliveredFrame {
    FramePtr frame;
    int64_t hostTimeNs = 0;
};

int64_t monotonicNs();

class FrameQueue {
public:
    enum class PopResult { Frame, TimedOut, Closed };
    using Clock = std::chrono::steady_clock;

    explicit FrameQueue(size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    // Ignored once closed.
    void push(DeliveredFrame item);
    // Waits until a frame is there, the deadline passes or the queue is closed.
    PopResult pop(DeliveredFrame& out, Clock::time_point deadline);
    // Drops the queued frames and wakes every waiter; later pushes are ignored.
    void close();
    void clear();

    size_t size() const;
    uint64_t dropped() const;
    bool closed() const;

private:
    const size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<DeliveredFrame> frames_;
    uint64_t dropped_ = 0;
    bool closed_ = false;
};

}  // namespace vantory_py
