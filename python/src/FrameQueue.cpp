#include "FrameQueue.h"

namespace vantory_py {

int64_t monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void FrameQueue::push(DeliveredFrame item) {
    DeliveredFrame evicted;  // released after the lock: a frame's destructor recycles planes
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return;
        if (frames_.size() == capacity_) {
            evicted = std::move(frames_.front());
            frames_.pop_front();
            ++dropped_;
        }
        frames_.push_back(std::move(item));
    }
    ready_.notify_one();
}

FrameQueue::PopResult FrameQueue::pop(DeliveredFrame& out, Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto ready = [this] { return !frames_.empty() || closed_; };
    if (deadline == Clock::time_point::max()) {
        ready_.wait(lock, ready);
    } else if (!ready_.wait_until(lock, deadline, ready)) {
        return PopResult::TimedOut;
    }
    if (closed_) return PopResult::Closed;
    out = std::move(frames_.front());
    frames_.pop_front();
    return PopResult::Frame;
}

void FrameQueue::close() {
    std::deque<DeliveredFrame> old;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        old.swap(frames_);
    }
    ready_.notify_all();
}

void FrameQueue::clear() {
    std::deque<DeliveredFrame> old;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        old.swap(frames_);
    }
}

size_t FrameQueue::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_.size();
}

uint64_t FrameQueue::dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

bool FrameQueue::closed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

}  // namespace vantory_py
