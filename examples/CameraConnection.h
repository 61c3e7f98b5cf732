// Connecting with the Vantory SDK: select the camera, start the SDK and wait until it has
// connected and run its connection follow-up (device information, lens parameters, image
// stream destination).
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"

class CameraConnection {
public:
    // Frames go to onFrame on an SDK thread; it may be empty.
    explicit CameraConnection(Movoda::FrameCallback onFrame = nullptr)
        : sdk_("", "mvlog-examples") {
        sdk_.setCallback(
            [this](const std::shared_ptr<const Movoda::CBEventData>& event) {
                // The first "Connected" after opening the port comes once the SDK has
                // finished its follow-up, so the camera is ready for commands.
                if (event && event->eventName == Movoda::kEventSdkState &&
                    event->cmdId == Movoda::kEventIdFirstConnected) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    connected_ = true;
                    changed_.notify_all();
                }
            },
            std::move(onFrame));
    }

    // No callback may run once the objects it uses are gone.
    ~CameraConnection() { sdk_.setCallback(nullptr, nullptr); }

    // address: the camera's IPv4 address, or its serial port such as /dev/ttyACM0.
    // imagePort: where this computer receives the camera's images (network only).
    bool connect(const std::string& address, uint16_t imagePort, std::chrono::seconds timeout) {
        if (!sdk_.setConnectAddress(address)) return false;
        // A camera on this computer (the simulated one) streams back over loopback. Other
        // cameras keep the image destination they are set to, unless another image port
        // is asked for: then the SDK points them at this computer.
        const bool loopback = address.rfind("127.", 0) == 0;
        sdk_.setUdpDestIp(loopback ? "127.0.0.1" : "", imagePort);
        sdk_.startup();
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [this] { return connected_; });
    }

    Movoda::MvSdk& sdk() { return sdk_; }

private:
    Movoda::MvSdk sdk_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;
};
