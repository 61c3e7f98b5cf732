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

#include "CliArgs.h"
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

    // Selects the transport and byte order, and waits until the SDK has connected and run
    // its connection follow-up. With `streams` set, the image stream is to come to this
    // computer on the options' image port (0: the SDK default): the SDK must hold that
    // port and the camera is pointed at it. Returns an exit code (kExitOk when connected);
    // otherwise `why` says what happened.
    int connect(const CliOptions& options, bool streams, std::chrono::milliseconds timeout,
                std::string& why);
    // connect() with the commands' time-out; when it fails, says why on standard error.
    int connectOrReport(const CliOptions& options, bool streams);
    bool isNetwork() const { return isNetwork_; }
    Movoda::MvSdk& sdk() { return *sdk_; }

    // Runs one camera command, again while the camera answers "busy".
    bool command(const std::function<bool(Movoda::MvSdk&)>& call);

private:
    void onEvent(const std::shared_ptr<const Movoda::CBEventData>& event);
    bool waitForImageSocket(uint16_t port, std::string& why);

    std::unique_ptr<Movoda::MvSdk> sdk_;
    FrameHandler frameHandler_;
    bool isNetwork_ = false;
    std::string streamDestination_;  // empty: the camera keeps its own
    uint16_t imagePort_ = 0;
    std::mutex mutex_;
    std::condition_variable connectedCv_;
    bool followUpDone_ = false;
};

// True for an IPv4 text of four dotted decimal numbers up to 255.
bool looksLikeIpv4(const std::string& address);

// The address of this computer that traffic to `camera` leaves from (no packet is
// sent); empty when there is no route.
std::string localAddressTowards(const std::string& camera);

}  // namespace vantory_cli
