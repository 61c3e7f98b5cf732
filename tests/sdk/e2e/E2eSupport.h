// Shared pieces of the SDK's end-to-end tests: a simulated camera on the test's own
// loopback address, an MvSdk pointed at it, and thread-safe sinks that collect what the
// SDK's callbacks deliver. Every wait has a deadline.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CameraSim.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kLogDirectory = "e2elog";

// Polls the condition until it holds or the time is up.
inline bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Frames handed to the frame callback, with an optional delay that makes it a slow consumer.
class FrameSink {
public:
    Movoda::FrameCallback callback() {
        return [this](const std::shared_ptr<const Movoda::Frame>& frame) {
            if (delay_.count() > 0) std::this_thread::sleep_for(delay_);
            if (pacing_.load()) waitForCamera();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                frames_.push_back(frame);
                if (frames_.size() > kKeep) frames_.erase(frames_.begin());
                ++count_;
            }
            changed_.notify_all();
        };
    }
    void setDelay(std::chrono::milliseconds delay) { delay_ = delay; }
    // Makes the consumer slower than the camera however fast either runs: each callback
    // returns once `sent` (frames the camera sent) has grown by `frames`, or after 3 s.
    // Set before the stream starts.
    void setSlowerThanCamera(std::function<uint64_t()> sent, uint64_t frames) {
        cameraSent_ = std::move(sent);
        cameraFrames_ = frames;
        pacing_.store(true);
    }
    // Callbacks return at once from now on (the camera is about to stop sending).
    void stopPacing() { pacing_.store(false); }
    bool waitForCount(size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return count_ >= count; });
    }
    size_t count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    std::shared_ptr<const Movoda::Frame> last() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_.empty() ? nullptr : frames_.back();
    }
    std::vector<std::shared_ptr<const Movoda::Frame>> kept() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }

private:
    void waitForCamera() const {
        const uint64_t target = cameraSent_() + cameraFrames_;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (pacing_.load() && cameraSent_() < target &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    static constexpr size_t kKeep = 64;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<const Movoda::Frame>> frames_;
    size_t count_ = 0;
    std::chrono::milliseconds delay_{0};
    std::function<uint64_t()> cameraSent_;
    uint64_t cameraFrames_ = 0;
    std::atomic<bool> pacing_{false};
};

// Events handed to the event callback.
class EventSink {
public:
    Movoda::EventCallback callback() {
        return [this](const std::shared_ptr<const Movoda::CBEventData>& event) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                events_.push_back(*event);
            }
            changed_.notify_all();
        };
    }
    size_t countOf(const std::string& name, uint8_t id) const {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t n = 0;
        for (const auto& e : events_) n += (e.eventName == name && e.cmdId == id) ? 1 : 0;
        return n;
    }
    bool waitFor(const std::string& name, uint8_t id, size_t count,
                 std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            size_t n = 0;
            for (const auto& e : events_) n += (e.eventName == name && e.cmdId == id) ? 1 : 0;
            return n >= count;
        });
    }
    std::vector<Movoda::CBEventData> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Movoda::CBEventData> events_;
};

// A quiet simulated camera: no announcements, exact distances.
inline camsim::SimOptions cameraOptions(const std::string& address) {
    camsim::SimOptions o;
    o.bindAddress = address;
    o.announce = false;
    o.noise = 0;
    o.resetPauseSeconds = 0.3;
    return o;
}

inline std::unique_ptr<camsim::CameraSim> startCamera(const camsim::SimOptions& options) {
    auto camera = std::make_unique<camsim::CameraSim>(options);
    std::string error;
    EXPECT_TRUE(camera->start(&error)) << error;
    return camera;
}

// An MvSdk with collecting callbacks whose image stream comes to streamAddress:imagePort.
struct SdkRig {
    FrameSink frames;
    EventSink events;
    std::unique_ptr<Movoda::MvSdk> sdk;

    void create() {
        sdk = std::make_unique<Movoda::MvSdk>("", kLogDirectory);
        sdk->setCallback(events.callback(), frames.callback());
    }
    void connect(const std::string& cameraAddress, const std::string& streamAddress,
                 uint16_t imagePort) {
        if (!sdk) create();
        sdk->setUdpDestIp(streamAddress, imagePort);  // not connected yet: stored
        ASSERT_TRUE(sdk->setConnectAddress(cameraAddress));
        sdk->startup();
    }
};

// Commands the camera received, link checks left out (the SDK sends them on its own).
inline std::vector<camsim::ReceivedCommand> commandsWithoutLinkChecks(
    const camsim::CameraSim& camera) {
    std::vector<camsim::ReceivedCommand> out;
    for (auto& c : camera.receivedCommands()) {
        if (c.id != 0) out.push_back(std::move(c));
    }
    return out;
}

inline size_t countOf(const std::vector<camsim::ReceivedCommand>& log, uint8_t id) {
    size_t n = 0;
    for (const auto& c : log) n += c.id == id ? 1 : 0;
    return n;
}

// Lines of the SDK's information log that contain the text.
inline std::vector<std::string> infoLogLines(const std::string& text) {
    std::ifstream in(std::string("./") + kLogDirectory + "/mvsdk_info.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.find(text) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

// Median of the distances in a centred square of the frame.
inline uint32_t centreDistance(const Movoda::Frame& frame, int half = 5) {
    std::vector<uint32_t> values;
    const int w = frame.width(), h = frame.height();
    for (int y = h / 2 - half; y <= h / 2 + half; ++y) {
        for (int x = w / 2 - half; x <= w / 2 + half; ++x) {
            if (x < 0 || y < 0 || x >= w || y >= h) continue;
            values.push_back(frame.distancePlane()[static_cast<size_t>(y) * w + x]);
        }
    }
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace e2e
