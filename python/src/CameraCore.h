// One camera for the Python module, without Python: the connected SDK session, the queue
// that frames wait in for an iterating reader, and the switch that sends them to a
// callback runner instead. Every operation is safe from any thread; close() waits for
// operations in progress and never fails.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "CameraRecording.h"
#include "CameraSession.h"
#include "FrameQueue.h"
#include "mvsdk/MvSdk.h"

namespace vantory_py {

struct CameraOptions {
    std::string address;
    uint16_t imagePort = 7687;
    vantory_cli::ByteOrder byteOrder = vantory_cli::ByteOrder::Little;
    std::chrono::milliseconds timeout{5000};
    std::string logDirectoryName = "mvlog-py";
    size_t queueCapacity = 8;
};

// Frame-path counters of the SDK plus what the module's own queues dropped.
struct CameraStats {
    Movoda::MvStreamStats sdk;
    uint64_t queueDropped = 0;     // iteration queue full: oldest frame dropped
    uint64_t callbackDropped = 0;  // callback queue full: oldest frame dropped
};

class CameraCore {
public:
    explicit CameraCore(size_t queueCapacity);
    // close()
    ~CameraCore();
    CameraCore(const CameraCore&) = delete;
    CameraCore& operator=(const CameraCore&) = delete;

    // Creates the SDK and waits for the camera; on failure nothing stays open and `why`
    // says what happened.
    bool open(const CameraOptions& options, std::string& why);
    // Stops streaming that this object started, withdraws the callbacks, ends the SDK and
    // wakes every reader. Idempotent.
    void close();
    bool isOpen() const;

    // Runs fn(MvSdk&) while the camera stays open and returns true, or returns false
    // without calling it when the camera is closed.
    template <typename Fn>
    bool withSdk(Fn&& fn) {
        std::shared_lock<std::shared_mutex> lock(sessionMutex_);
        if (!session_) return false;
        fn(session_->sdk());
        return true;
    }

    // Runs one camera command, again while the camera answers "busy"; false without
    // calling it when the camera is closed.
    template <typename Fn>
    bool withCommand(Fn&& fn, bool& accepted) {
        std::shared_lock<std::shared_mutex> lock(sessionMutex_);
        if (!session_) return false;
        accepted = session_->command(fn);
        return true;
    }

    // Empties the queues of frames from an earlier stream, then starts streaming.
    bool start(Movoda::ImageType type, bool& refused);
    bool stop(bool& refused);

    FrameQueue& frames() { return *frames_; }
    // Frames go to `queue` instead of the iteration queue while it is set; nullptr sends
    // them back.
    void routeToCallback(std::shared_ptr<FrameQueue> queue);
    bool hasCallbackRoute() const;

    CameraStats stats();
    // Records the frames this camera delivers (frames that go to Python are recorded too).
    CameraRecording& recording() { return recording_; }

private:
    void onFrame(const FramePtr& frame);

    mutable std::shared_mutex sessionMutex_;  // guards session_ and streaming_
    std::unique_ptr<vantory_cli::CameraSession> session_;
    bool streaming_ = false;

    std::shared_ptr<FrameQueue> frames_;
    mutable std::mutex routeMutex_;
    std::shared_ptr<FrameQueue> callbackQueue_;
    uint64_t callbackDroppedBefore_ = 0;  // by callback queues no longer routed to

    CameraRecording recording_;
};

}  // namespace vantory_py
