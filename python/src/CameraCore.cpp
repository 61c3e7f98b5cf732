#include "CameraCore.h"

#include "CliConstants.h"

namespace vantory_py {

CameraCore::CameraCore(size_t queueCapacity)
    : frames_(std::make_shared<FrameQueue>(queueCapacity)),
      recording_([this](Movoda::LensParams& lens) {
          bool read = false;
          withSdk([&](Movoda::MvSdk& sdk) { read = sdk.getLensCalidata(lens); });
          return read;
      }) {}

CameraCore::~CameraCore() {
    close();
}

bool CameraCore::open(const CameraOptions& options, std::string& why) {
    std::unique_lock<std::shared_mutex> lock(sessionMutex_);
    if (session_) {
        why = "the camera is already open";
        return false;
    }
    auto session = std::make_unique<vantory_cli::CameraSession>(
        [this](const FramePtr& frame) { onFrame(frame); }, options.logDirectoryName);
    // A recording takes every frame from the SDK's tap; the frame queues may skip frames
    // when Python reads slowly, a recording must not.
    session->sdk().setFrameTap([this](const FramePtr& frame) { recording_.recordFrame(*frame); });
    vantory_cli::CliOptions connectOptions;
    connectOptions.address = options.address;
    connectOptions.imagePort = options.imagePort;
    connectOptions.byteOrder = options.byteOrder;
    if (session->connect(connectOptions, true, options.timeout, why) != vantory_cli::kExitOk) {
        return false;  // the session's destructor withdraws the callbacks and ends the SDK
    }
    session_ = std::move(session);
    return true;
}

void CameraCore::close() {
    std::unique_ptr<vantory_cli::CameraSession> session;
    {
        std::unique_lock<std::shared_mutex> lock(sessionMutex_);
        // A camera left streaming would keep sending to a port nobody reads.
        if (session_ && streaming_) session_->sdk().stop();
        streaming_ = false;
        session = std::move(session_);
    }
    session.reset();
    // No frame arrives any more: what the recording had queued is written now.
    recording_.finish();
    frames_->close();
    std::lock_guard<std::mutex> lock(routeMutex_);
    if (callbackQueue_) callbackQueue_->close();
}

bool CameraCore::isOpen() const {
    std::shared_lock<std::shared_mutex> lock(sessionMutex_);
    return session_ != nullptr;
}

bool CameraCore::start(Movoda::ImageType type, bool& refused) {
    std::unique_lock<std::shared_mutex> lock(sessionMutex_);
    if (!session_) return false;
    frames_->clear();
    refused = !session_->command([type](Movoda::MvSdk& sdk) { return sdk.start(type, false); });
    if (!refused) streaming_ = true;
    return true;
}

bool CameraCore::stop(bool& refused) {
    std::unique_lock<std::shared_mutex> lock(sessionMutex_);
    if (!session_) return false;
    refused = !session_->command([](Movoda::MvSdk& sdk) { return sdk.stop(); });
    if (!refused) streaming_ = false;
    return true;
}

void CameraCore::routeToCallback(std::shared_ptr<FrameQueue> queue) {
    std::lock_guard<std::mutex> lock(routeMutex_);
    if (callbackQueue_) callbackDroppedBefore_ += callbackQueue_->dropped();
    callbackQueue_ = std::move(queue);
    if (callbackQueue_) frames_->clear();
}

bool CameraCore::hasCallbackRoute() const {
    std::lock_guard<std::mutex> lock(routeMutex_);
    return callbackQueue_ != nullptr;
}

void CameraCore::onFrame(const FramePtr& frame) {
    DeliveredFrame item{frame, monotonicNs()};
    std::shared_ptr<FrameQueue> target;
    {
        std::lock_guard<std::mutex> lock(routeMutex_);
        target = callbackQueue_;
    }
    (target ? *target : *frames_).push(std::move(item));
}

CameraStats CameraCore::stats() {
    CameraStats s;
    withSdk([&s](Movoda::MvSdk& sdk) { s.sdk = sdk.getStreamStats(); });
    s.queueDropped = frames_->dropped();
    std::lock_guard<std::mutex> lock(routeMutex_);
    s.callbackDropped = callbackDroppedBefore_ + (callbackQueue_ ? callbackQueue_->dropped() : 0);
    return s;
}

}  // namespace vantory_py
