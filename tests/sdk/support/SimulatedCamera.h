// One MvSdk connected to a simulated camera running in this process on its own loopback
// address, with the SDK's events handed to a test's handler. Every wait is bounded.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CameraSim.h"
#include "mvsdk/MvSdk.h"

namespace testsupport {

class SimulatedCamera {
public:
    using EventHandler = std::function<void(const Movoda::CBEventData&)>;

    // Starts the camera, then an SDK pointed at it (image datagrams to imagePort on
    // loopback), and waits until the SDK has connected and done its connection follow-up.
    void start(camsim::SimOptions options, uint16_t imagePort) {
        options.announce = false;
        followUpDone_.store(false);
        camera_ = std::make_unique<camsim::CameraSim>(options);
        std::string error;
        ASSERT_TRUE(camera_->start(&error)) << error;
        sdk_ = std::make_unique<Movoda::MvSdk>("", "mvlog");
        sdk_->setCallback(
            [this](const std::shared_ptr<const Movoda::CBEventData>& event) {
                if (!event) return;
                // The SDK hands this event on once its connection follow-up is done.
                if (event->eventName == Movoda::kEventSdkState &&
                    event->cmdId == Movoda::kEventIdFirstConnected) {
                    followUpDone_.store(true);
                }
                std::lock_guard<std::mutex> lock(handlerMutex_);
                if (handler_) handler_(*event);
            },
            nullptr);
        // An older camera only answers big-endian requests: let the SDK find out.
        if (options.legacy) sdk_->setEndianFlag(true);
        sdk_->setConnectAddress(options.bindAddress);
        sdk_->setUdpDestIp("127.0.0.1", imagePort);
        sdk_->startup();
        ASSERT_TRUE(waitFor([this] { return followUpDone_.load(); }, std::chrono::seconds(15)))
            << "no connection to " << options.bindAddress;
    }

    void stop() {
        if (sdk_) sdk_->setCallback(nullptr, nullptr);
        sdk_.reset();
        if (camera_) camera_->stop();
        camera_.reset();
    }

    ~SimulatedCamera() { stop(); }

    void onEvent(EventHandler handler) {
        std::lock_guard<std::mutex> lock(handlerMutex_);
        handler_ = std::move(handler);
    }

    // Requests with this id the camera received, oldest first.
    std::vector<std::vector<uint8_t>> payloadsOf(uint8_t id) const {
        std::vector<std::vector<uint8_t>> payloads;
        for (const camsim::ReceivedCommand& command : camera_->receivedCommands()) {
            if (command.id == id) payloads.push_back(command.payload);
        }
        return payloads;
    }
    std::vector<uint8_t> receivedIds() const {
        std::vector<uint8_t> ids;
        for (const camsim::ReceivedCommand& command : camera_->receivedCommands())
            ids.push_back(command.id);
        return ids;
    }

    static bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    camsim::CameraSim& camera() { return *camera_; }
    Movoda::MvSdk& sdk() { return *sdk_; }

private:
    std::unique_ptr<camsim::CameraSim> camera_;
    std::unique_ptr<Movoda::MvSdk> sdk_;
    std::atomic<bool> followUpDone_{false};
    std::mutex handlerMutex_;
    EventHandler handler_;
};

}  // namespace testsupport
