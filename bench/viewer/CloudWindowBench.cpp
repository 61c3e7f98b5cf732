// The frame path of the real main window with the point-cloud window closed and open,
// fed at 30 frames/s of point cloud + amplitude by the simulated camera (in this process
// on 127.0.0.133, image port 8133). Each iteration is one frame; its time is the frame
// callback's time on the SDK frame thread. Counters: the median frame-path time and the
// window's drawn clouds and renders per second. Needs an X server (xvfb-run).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <vector>

#include "CameraSim.h"
#include "CloudViewController.h"
#include "FramePath.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "ViewerRig.h"
#include "X11Support.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace {

constexpr const char* kCameraAddress = "127.0.0.133";
constexpr std::uint16_t kImagePort = 8133;
constexpr int kFramesPerSecond = 30;
constexpr int kPointCloudAmpIndex = 4;
constexpr int kWaitMs = 20000;

// Frame-path times recorded by the wrapped frame callback (SDK frame thread).
struct Timings {
    std::mutex mutex;
    std::vector<double> seconds;
};

class Rig {
public:
    Rig() {
        camsim::SimOptions sim = viewertest::quietCameraAt(kCameraAddress);
        sim.scene.name = "room";
        sim.config.maxFps = kFramesPerSecond;
        const std::string failed = rig_.start({kCameraAddress, kImagePort, kPointCloudAmpIndex, {}}, sim, kWaitMs);
        ok_ = failed.empty();
        if (!ok_) {
            std::cerr << failed << "\n";
            return;
        }
        // From here on the frame callback is timed; connection events are no longer needed.
        vantory::FramePath* path = rig_.window().framePath();
        rig_.window().context()->sdk->setCallback(
            nullptr, [this, path](const std::shared_ptr<const Movoda::Frame>& f) {
                const auto start = std::chrono::steady_clock::now();
                path->onFrame(f);
                const std::chrono::duration<double> spent =
                    std::chrono::steady_clock::now() - start;
                std::lock_guard<std::mutex> lock(timings_.mutex);
                timings_.seconds.push_back(spent.count());
            });
        ui().pushBtn_start->click();
        ok_ = QTest::qWaitFor([&]() { return cloudWindow().cloudsDrawn() > 10; }, kWaitMs);
    }

    ~Rig() {
        if (rig_.hasWindow()) {
            ui().pushBtn_stop->click();
            rig_.window().releaseForExit();
        }
    }

    bool ok() const { return ok_; }
    Ui::MainWindow& ui() { return rig_.ui(); }
    vantory::cloudview::PointCloudViewer& cloudWindow() { return rig_.window().cloudView()->viewer(); }
    void openWindow() { rig_.window().cloudView()->start(); }

    // Waits (running the GUI) for the next timed frame; its time, or a negative value.
    double nextFrame(std::size_t& seen) {
        double result = -1.0;
        const bool arrived = QTest::qWaitFor(
            [&]() {
                std::lock_guard<std::mutex> lock(timings_.mutex);
                if (timings_.seconds.size() <= seen) return false;
                result = timings_.seconds[seen++];
                return true;
            },
            kWaitMs);
        return arrived ? result : -1.0;
    }
    std::size_t framesSoFar() {
        std::lock_guard<std::mutex> lock(timings_.mutex);
        return timings_.seconds.size();
    }

private:
    viewertest::ScratchDirectory work_;
    Timings timings_;  // written by the frame callback: outlives the window
    viewertest::ViewerRig rig_;
    bool ok_ = false;
};

Rig* g_rig = nullptr;

void framePathBench(benchmark::State& state, bool windowOpen) {
    Rig& rig = *g_rig;
    if (!rig.ok()) {
        state.SkipWithError("the simulated camera did not stream");
        return;
    }
    if (windowOpen) {
        rig.openWindow();
        if (!QTest::qWaitFor([&]() { return rig.cloudWindow().cloudsDrawn() > 10; }, kWaitMs)) {
            state.SkipWithError("the point-cloud window drew nothing");
            return;
        }
    } else {
        rig.cloudWindow().close();
    }
    QTest::qWait(1000);  // settle
    std::size_t seen = rig.framesSoFar();
    std::vector<double> times;
    const std::uint64_t cloudsBefore = rig.cloudWindow().cloudsDrawn();
    const std::uint64_t rendersBefore = rig.cloudWindow().renders();
    QElapsedTimer wall;
    wall.start();
    for (auto _ : state) {
        const double t = rig.nextFrame(seen);
        if (t < 0) {
            state.SkipWithError("no frame");
            return;
        }
        times.push_back(t);
        state.SetIterationTime(t);
    }
    const double seconds = wall.elapsed() / 1000.0;
    std::sort(times.begin(), times.end());
    state.counters["median_us"] = times[times.size() / 2] * 1e6;
    state.counters["p90_us"] = times[times.size() * 9 / 10] * 1e6;
    state.counters["frames_per_s"] = double(times.size()) / seconds;
    state.counters["clouds_drawn_per_s"] =
        double(rig.cloudWindow().cloudsDrawn() - cloudsBefore) / seconds;
    state.counters["renders_per_s"] = double(rig.cloudWindow().renders() - rendersBefore) / seconds;
}

void BM_FramePathCloudWindowClosed(benchmark::State& state) {
    framePathBench(state, false);
}
BENCHMARK(BM_FramePathCloudWindowClosed)
    ->UseManualTime()
    ->Iterations(600)
    ->Unit(benchmark::kMicrosecond);

void BM_FramePathCloudWindowOpen(benchmark::State& state) {
    framePathBench(state, true);
}
BENCHMARK(BM_FramePathCloudWindowOpen)
    ->UseManualTime()
    ->Iterations(600)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    vantory::cloudview::initialiseX11Threads();
    if (std::getenv("DISPLAY") == nullptr) {
        std::cerr << "bench_cloud_window needs an X server (run it under xvfb-run)\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    {
        Rig rig;
        g_rig = &rig;
        benchmark::RunSpecifiedBenchmarks();
        g_rig = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
