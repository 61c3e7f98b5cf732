// Recording and playback through the real SDK:
//  - BM_RecordFromSimulator: the simulated camera (in this process on 127.0.0.136, image
//    port 8136) streams distance + amplitude + grayscale at 50 frames/s; the frame callback
//    hands every frame to the recorder. Each iteration is one frame, timed by the recorder's
//    cost on the frame thread. Counters: frames delivered, files on disk, dropped, median.
//  - BM_PlaybackRate/N: 1000 record files played at N files per second; frames per second
//    that reach the frame callback.
// Set VANTORY_RECORD_SECONDS to record for another length than 60 s.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "BenchFrames.h"
#include "CameraSim.h"
#include "Playback.h"
#include "QuietStdout.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"
#include "records/RecordFormat.h"
#include "records/Recorder.h"

namespace {

namespace fs = std::filesystem;
namespace mr = Movoda::records;
using Clock = std::chrono::steady_clock;

constexpr const char* kCameraAddress = "127.0.0.136";
constexpr std::uint16_t kImagePort = 8136;

struct TempDir {
    TempDir() {
        char pattern[] = "/tmp/vantory-records-bench-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string path;
};

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void BM_RecordFromSimulator(benchmark::State& state) {
    const char* secondsText = std::getenv("VANTORY_RECORD_SECONDS");
    const int seconds = secondsText != nullptr ? std::max(1, std::atoi(secondsText)) : 60;
    TempDir exports;
    camsim::SimOptions sim;
    sim.bindAddress = kCameraAddress;
    sim.announce = false;
    sim.scene.name = "room";
    sim.config.maxFps = 50;
    sim.config.grayscalePlane = true;
    camsim::CameraSim camera(sim);
    vantory_bench::QuietStdout quiet;
    Movoda::MvSdk sdk("", "mvlog-bench");
    mr::Recorder recorder(mr::Recorder::Hooks{}, exports.path);
    std::mutex mutex;
    std::vector<double> costs;
    std::atomic<int> delivered{0};
    std::atomic<bool> recording{false};
    std::atomic<int> planes{0};
    sdk.setCallback(nullptr, [&](const std::shared_ptr<const Movoda::Frame>& frame) {
        if (!recording.load()) return;
        planes.store(frame->dataFlags());
        delivered.fetch_add(1);
        const auto start = Clock::now();
        recorder.recordFrame(frame->version(), frame->packet());
        const std::chrono::duration<double> spent = Clock::now() - start;
        std::lock_guard<std::mutex> lock(mutex);
        costs.push_back(spent.count());
    });
    sdk.setUdpDestIp("127.0.0.1", kImagePort);
    sdk.setConnectAddress(kCameraAddress);
    std::string error;
    if (!camera.start(&error) ||
        (sdk.startup(), !waitFor([&] { return sdk.isConnected(); }, std::chrono::seconds(20)))) {
        state.SkipWithError("the simulated camera did not connect");
        return;
    }
    sdk.start(Movoda::IMG_AMPLITUDE, false);
    std::this_thread::sleep_for(std::chrono::seconds(2));  // stream settles
    recorder.setNoLimit(true);
    recorder.start({}, mr::kDefaultFrameLimit);
    recording.store(true);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    recording.store(false);
    recorder.stop();
    sdk.stop();
    recorder.waitIdle(60000);
    std::vector<double> times;
    {
        std::lock_guard<std::mutex> lock(mutex);
        times = costs;
    }
    size_t next = 0;
    for (auto _ : state) state.SetIterationTime(times.empty() ? 0.0 : times[next++ % times.size()]);
    std::sort(times.begin(), times.end());
    const mr::RecordingCounts c = recorder.counts();
    size_t files = 0;
    if (!c.directory.empty()) {
        for (const auto& e : fs::directory_iterator(c.directory))
            files += e.path().extension() == ".xbin";
    }
    state.counters["delivered"] = delivered.load();
    state.counters["files"] = double(files);
    state.counters["dropped"] = c.dropped;
    state.counters["failed"] = c.failed;
    state.counters["planes"] = planes.load();
    state.counters["median_us"] = times.empty() ? 0 : times[times.size() / 2] * 1e6;
    state.counters["p99_us"] = times.empty() ? 0 : times[times.size() * 99 / 100] * 1e6;
}
BENCHMARK(BM_RecordFromSimulator)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

void BM_PlaybackRate(benchmark::State& state) {
    constexpr int kFiles = 1000;
    TempDir dir;
    // Distance + amplitude + grayscale frames of the full sensor, one file each.
    vantory_test::PacketPlan plan = vantory_bench::benchPlan(1 | 2 | 8);
    std::vector<std::string> paths;
    for (int k = 0; k < kFiles; ++k) {
        plan.frameNumber = static_cast<uint16_t>(k);
        const auto frame = vantory_test::makeFrame(plan, vantory_test::buildInner(plan));
        const std::vector<uint8_t>& packet = frame->packet();
        mr::RecordFileLayout layout =
            mr::recordFileLayout(frame->version(), packet.data(), packet.size(), {}, {});
        paths.push_back(dir.path + "/" + std::to_string(k) + ".xbin");
        std::ofstream out(paths.back(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(layout.header.data()), long(layout.header.size()));
        out.write(reinterpret_cast<const char*>(packet.data()), long(packet.size()));
    }
    vantory_bench::QuietStdout quiet;
    Movoda::MvSdk sdk("", "mvlog-bench");
    std::atomic<int> delivered{0};
    Clock::time_point first{}, last{};
    sdk.setCallback(nullptr, [&](const std::shared_ptr<const Movoda::Frame>&) {
        const auto now = Clock::now();
        if (delivered.fetch_add(1) == 0) first = now;
        last = now;
    });
    sdk.setConnectAddress("127.0.0.137");  // nothing listens: playback only
    sdk.startup();
    sdk.setPlaybackMode(1);
    vantory::records::PlaybackHooks hooks;
    hooks.playbackMode = [&] { return sdk.getPlaybackMode() != 0; };
    hooks.replayFrame = [&](const std::vector<uint8_t>& payload, const std::string& tag) {
        return sdk.replayFrame(payload, tag);
    };
    hooks.waitDelivered = [&](int ms) {
        waitFor(
            [&] {
                const Movoda::MvStreamStats s = sdk.getStreamStats();
                return s.framesDelivered + s.rawDiscarded + s.imageDiscarded + s.framesWithheld >=
                       s.framesAccepted;
            },
            std::chrono::milliseconds(ms));
    };
    vantory::records::Playback playback(hooks);
    playback.setPlayFps(static_cast<int>(state.range(0)));  // 100: the play-rate box's highest
    playback.setLoop(false);
    for (auto _ : state) {
        const auto start = Clock::now();
        playback.start(paths);
        waitFor([&] { return delivered.load() >= kFiles || !playback.running(); },
                std::chrono::seconds(60));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    playback.stop();
    const double span = std::chrono::duration<double>(last - first).count();
    state.counters["delivered"] = delivered.load();
    state.counters["frames_per_s"] = span > 0 ? (delivered.load() - 1) / span : 0;
}
// 100 is the fastest the window offers; 1000 shows how fast the path behind it can go.
BENCHMARK(BM_PlaybackRate)
    ->Arg(100)
    ->Arg(1000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
