// Runs a Python frame callback on a thread of its own, so that a slow callback costs
// frames (counted by its queue) but never holds up the SDK's threads: the SDK's delivery
// thread only queues the frame. The callback runs with the GIL held.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include <pybind11/pybind11.h>

#include "FrameQueue.h"

namespace vantory_py {

class CallbackRunner {
public:
    // Starts the thread. Call with the GIL held.
    CallbackRunner(pybind11::function callback, size_t queueCapacity);
    // stop(). Destroy with the GIL held. A runner destroyed on its own thread (the last
    // reference dropped inside the callback) lets that thread finish by itself, as the
    // thread holds everything it still uses.
    ~CallbackRunner();
    CallbackRunner(const CallbackRunner&) = delete;
    CallbackRunner& operator=(const CallbackRunner&) = delete;

    std::shared_ptr<FrameQueue> queue() const { return shared_->queue; }
    // Call with the GIL held.
    void replace(pybind11::function callback);
    // No callback call starts after this returns. Waits for a running call to finish,
    // unless called from that call (closing a camera inside its own callback). Call with
    // the GIL held; it is released while waiting.
    void stop();
    bool onOwnThread() const { return std::this_thread::get_id() == thread_.get_id(); }
    uint64_t errors() const { return shared_->errors.load(); }

    // Set once the interpreter begins to shut down: no thread may enter Python after it.
    static void blockPython();

private:
    struct Shared {
        std::shared_ptr<FrameQueue> queue;
        pybind11::object callback;  // touched with the GIL held only
        std::atomic<uint64_t> errors{0};
    };
    static void run(std::shared_ptr<Shared> shared);
    static void callOnce(Shared& shared, DeliveredFrame item);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace vantory_py
