#include "FaultRow.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "CameraSim.h"
#include "SceneReference.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"

namespace faults {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kLogDirectory = "faultlog";
constexpr uint8_t kFps = 10;
constexpr size_t kKeptFrames = 40;  // compared with the scene after the row
constexpr size_t kKeepEvery = 2;    // of the delivered frames
constexpr int kCommandTries = 10;   // a busy or reconnecting camera is asked again
constexpr auto kRetryPause = 200ms;
constexpr double kResetAfterSeconds = 4.0;

// Waits until the condition holds or the time is up, checking every 10 ms.
bool waitUntil(const std::function<bool()>& condition, Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bool askUntilDone(const std::function<bool()>& command) {
    for (int i = 0; i < kCommandTries; ++i) {
        if (command()) return true;
        std::this_thread::sleep_for(kRetryPause);
    }
    return false;
}

// Counts the delivered frames and keeps a copy of every few, up to kKeptFrames.
class FrameKeeper {
public:
    void take(const Movoda::Frame& frame) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (delivered_++ % kKeepEvery == 0 && kept_.size() < kKeptFrames) {
            kept_.push_back(frame.packet());
        }
    }
    uint64_t delivered() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return delivered_;
    }
    std::vector<std::vector<uint8_t>> kept() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return kept_;
    }

private:
    mutable std::mutex mutex_;
    uint64_t delivered_ = 0;
    std::vector<std::vector<uint8_t>> kept_;
};

// Watches the SDK's connection state and measures every time the link was down.
class LinkWatch {
public:
    explicit LinkWatch(Movoda::MvSdk& sdk) : sdk_(sdk), thread_([this] { run(); }) {}
    ~LinkWatch() { stop(); }

    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    uint32_t drops() const { return drops_.load(); }
    double longestDownSeconds() const { return longestDown_.load(); }
    bool up() const { return up_.load(); }

private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        Clock::time_point downSince{};
        while (!stopping_) {
            const bool up = sdk_.isConnected();
            if (up_.load() && !up) {
                ++drops_;
                downSince = Clock::now();
            }
            if (!up) {
                const double down = std::chrono::duration<double>(Clock::now() - downSince).count();
                if (down > longestDown_.load()) longestDown_.store(down);
            }
            up_.store(up);
            wake_.wait_for(lock, 5ms, [this] { return stopping_; });
        }
    }

    Movoda::MvSdk& sdk_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::atomic<bool> up_{true};  // the watch starts on a connected SDK
    std::atomic<uint32_t> drops_{0};
    std::atomic<double> longestDown_{0};
    std::thread thread_;
};

camsim::SimOptions cameraOptions(const FaultRow& row, const RowPlace& place) {
    camsim::SimOptions o;
    o.bindAddress = place.address;
    o.announce = false;
    o.scene.name = "room";  // a moving sphere: every frame differs from its neighbours
    o.seed = place.imagePort;
    o.config.maxFps = kFps;
    o.resetPauseSeconds = 1.0;
    row.inject(o);
    return o;
}

// Both sides' counters once nothing is in flight any more.
void settleAndCount(Movoda::MvSdk& sdk, RowResult& result) {
    Movoda::MvStreamStats s = sdk.getStreamStats();
    uint64_t lastDatagrams = ~uint64_t(0);
    waitUntil(
        [&] {
            s = sdk.getStreamStats();
            const bool quiet = s.udpDatagramsReceived == lastDatagrams;
            lastDatagrams = s.udpDatagramsReceived;
            // A completed frame reaches the intake a moment later (longer under a
            // sanitizer), and a taken one the callback later still.
            const uint64_t handled =
                s.framesDelivered + s.rawDiscarded + s.imageDiscarded + s.framesWithheld;
            return quiet && s.framesAccepted + s.framesRejected == s.udpFramesCompleted &&
                   handled == s.framesAccepted;
        },
        5s);
    result.completed = s.udpFramesCompleted;
    result.broken = s.udpFramesBroken;
    result.evicted = s.udpFramesEvicted;
    result.pending = s.udpFramesPending;
    result.lateChunks = s.udpChunksLate;
    result.duplicateChunks = s.udpChunksDuplicate;
    result.accepted = s.framesAccepted;
    result.rejected = s.framesRejected;
    result.delivered = s.framesDelivered;
    result.discarded = s.rawDiscarded + s.imageDiscarded;
    result.withheld = s.framesWithheld;
}

}  // namespace

RowResult runFaultRow(const FaultRow& row, const RowPlace& place) {
    RowResult result;
    result.name = row.name;
    const camsim::SimOptions options = cameraOptions(row, place);
    camsim::CameraSim camera(options);
    std::string error;
    if (!camera.start(&error)) {
        result.problems.push_back("camera: " + error);
        return result;
    }

    FrameKeeper frames;
    std::atomic<bool> followUpDone{false};
    auto sdk = std::make_unique<Movoda::MvSdk>("faults-" + row.name, kLogDirectory);
    sdk->setCallback(
        [&](const std::shared_ptr<const Movoda::CBEventData>& event) {
            if (event && event->eventName == Movoda::kEventSdkState &&
                event->cmdId == Movoda::kEventIdFirstConnected) {
                followUpDone.store(true);
            }
        },
        [&](const std::shared_ptr<const Movoda::Frame>& frame) {
            if (frame) frames.take(*frame);
        });
    if (options.legacy) sdk->setEndianFlag(true);
    sdk->setUdpDestIp(place.address, place.imagePort);
    sdk->setConnectAddress(place.address);
    sdk->startup();
    result.connected = waitUntil([&] { return followUpDone.load(); }, 20s);
    if (!result.connected) result.problems.push_back("no connection");

    std::unique_ptr<LinkWatch> watch;
    if (result.connected) {
        watch = std::make_unique<LinkWatch>(*sdk);
        // A busy camera may have refused the follow-up's stream destination.
        if (!askUntilDone([&] { return sdk->setUdpDestIp(place.address, place.imagePort); }))
            result.problems.push_back("stream destination refused");
        if (!askUntilDone([&] { return sdk->start(Movoda::IMG_AMPLITUDE, false); }))
            result.problems.push_back("start refused");
    }
    const auto began = Clock::now();
    const auto end = began + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(place.seconds));
    if (result.connected && row.resetDuringRun) {
        std::this_thread::sleep_until(began +
                                      std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(kResetAfterSeconds)));
        if (!sdk->resetDev()) result.problems.push_back("reset refused");
        // The camera stops streaming when it restarts: start again once it is back.
        if (waitUntil([&] { return watch->drops() > 0 && sdk->isConnected(); }, 10s)) {
            if (!askUntilDone([&] { return sdk->start(Movoda::IMG_AMPLITUDE, false); }))
                result.problems.push_back("start after reset refused");
        } else {
            result.problems.push_back("not connected again after the reset");
        }
    }
    std::this_thread::sleep_until(end);  // the row's streaming time

    if (watch) {
        watch->stop();
        result.linkDrops = watch->drops();
        result.longestDownSeconds = watch->longestDownSeconds();
        result.connectedAtEnd = sdk->isConnected();
    }
    // The camera stops first, so that the SDK's counters can settle on a known total.
    camera.stop();
    const camsim::SimCounters counters = camera.counters();
    result.sent = counters.stream.datagrams.frames;
    result.linksAccepted = counters.linksAccepted;
    result.linksClosed = counters.linksClosedByFault + (row.resetDuringRun ? 1 : 0);
    settleAndCount(*sdk, result);
    sdk->setCallback(nullptr, nullptr);
    sdk.reset();

    SceneReference reference(options);
    for (const std::vector<uint8_t>& packet : frames.kept()) {
        ++result.checked;
        const std::string difference =
            reference.mismatch(packet, camera.identity(), camera.config());
        if (difference.empty()) continue;
        ++result.corrupted;
        if (result.firstCorruption.empty()) result.firstCorruption = difference;
    }
    return result;
}

}  // namespace faults
