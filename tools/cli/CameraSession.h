// One MvSdk connected to one camera for the life of a command, with the waits the
// commands need: for the connection (and the SDK's follow-up) and for frames.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"

namespace vantory_cli {

class CameraSession {
public:
    using FrameHandler = std::function<void(const std::shared_ptr<const Movoda::Frame>&)>;

    // Creates the SDK (its log goes to ./<logDirectoryName>/) and registers the callbacks;
    // frames go to the handler, on an SDK thread.
    explicit CameraSession(FrameHandler frameHandler,
                           const std::string& logDirectoryName = "mvlog-cli");
    // Withdraws the callbacks before the SDK goes, so no callback sees a dead session.
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    // Selects the transport, asks for image datagrams on imagePort (0: the SDK default) and
    // waits until the SDK has connected and run its connection follow-up. On failure
    // `why` says what happened.
    bool connect(const std::string& address, uint16_t imagePort, std::chrono::milliseconds timeout,
                 std::string& why);
    bool isNetwork() const { return isNetwork_; }
    Movoda::MvSdk& sdk() { return *sdk_; }

private:
    void onEvent(const std::shared_ptr<const Movoda::CBEventData>& event);

    std::unique_ptr<Movoda::MvSdk> sdk_;
    FrameHandler frameHandler_;
    bool isNetwork_ = false;
    std::mutex mutex_;
    std::condition_variable connectedCv_;
    bool followUpDone_ = false;
};

// True for an IPv4 text of four dotted decimal numbers up to 255.
bool looksLikeIpv4(const std::string& address);

}  // namespace vantory_cli
