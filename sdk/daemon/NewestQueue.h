// Hand-off between two threads where only the newest item matters: a producer that
// outruns its consumer replaces the unread item instead of queueing behind it, so
// latency stays at one item and memory at one slot.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>

namespace Movoda {

template <typename T>
class NewestQueue {
public:
    using Clock = std::chrono::steady_clock;

    // Stores the item for the consumer. Returns true when it replaced an item that
    // nobody had taken yet (the caller may log the drop). A closed queue ignores the
    // item and returns false.
    bool push(T item) {
        bool replaced = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (closed_) return false;
            replaced = item_.has_value();
            item_ = std::move(item);
            ++pushed_;
            if (replaced) ++replaced_;
        }
        ready_.notify_one();
        return replaced;
    }

    // Takes the item, waiting until one arrives or the queue is closed.
    std::optional<T> pop() {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return closed_ || item_.has_value(); });
        return takeLocked();
    }

    // Takes the item, waiting at most until the deadline; empty on time-out or close.
    std::optional<T> popUntil(Clock::time_point deadline) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait_until(lock, deadline, [this] { return closed_ || item_.has_value(); });
        return takeLocked();
    }

    template <typename Rep, typename Period>
    std::optional<T> popWait(std::chrono::duration<Rep, Period> timeout) {
        return popUntil(Clock::now() + timeout);
    }

    std::optional<T> tryPop() {
        std::lock_guard<std::mutex> lock(mutex_);
        return takeLocked();
    }

    // Drops the unread item, refuses further pushes and wakes every waiter.
    // Never fails; calling it twice is harmless.
    void close() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
            item_.reset();
        }
        ready_.notify_all();
    }

    // Accepts items again after close() (the owner restarts its worker).
    void reopen() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = false;
    }

    // Drops the unread item without closing.
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        item_.reset();
    }

    bool closed() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return closed_;
    }

    bool empty() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return !item_.has_value();
    }

    // Items accepted by push() and, of those, items replaced before anyone took them.
    uint64_t pushedCount() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return pushed_;
    }
    uint64_t replacedCount() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return replaced_;
    }

private:
    std::optional<T> takeLocked() {
        if (closed_) return std::nullopt;
        std::optional<T> taken = std::move(item_);
        item_.reset();
        return taken;
    }

    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::optional<T> item_;
    bool closed_ = false;
    uint64_t pushed_ = 0;
    uint64_t replaced_ = 0;
};

}  // namespace Movoda
