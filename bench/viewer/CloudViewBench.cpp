// showFrameCloud on a 320 x 240 frame: the frame thread's cost of the point-cloud
// window (distance culling, intensity, publishing), and the allocations it makes per
// frame once warm. Also the window thread's colour scalars for comparison.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "BenchFrames.h"
#include "CloudColorScalars.h"
#include "CloudViewShared.h"
#include "QuietStdout.h"
#include "cloud/PointCloudProcessor.h"

namespace {
std::atomic<long long> g_allocations{0};
// Kept out of line: the compiler then does not pair this free() with the new-expressions
// of the program and warn about a mismatch.
[[gnu::noinline]] void release(void* p) noexcept {
    std::free(p);
}
}  // namespace

// Counts every allocation of the process; the benchmarks read it around their loops.
void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}

namespace {

using vantory::cloudview::CloudViewShared;

// A decoded distance + amplitude frame with its cloud, as the frame callback receives it.
std::shared_ptr<Movoda::Frame> cloudFrame() {
    const vantory_test::PacketPlan plan = vantory_bench::benchPlan(1 | 2);
    auto frame = vantory_test::decodeFrame(plan);
    Movoda::PointCloudProcessor processor;
    vantory_bench::QuietStdout quiet;
    processor.setLensParams(frame->lensParams());
    processor.generateCloud(*frame);
    return frame;
}

void showFrameCloudBench(benchmark::State& state, int renderType, bool windowTakes) {
    const auto frame = cloudFrame();
    CloudViewShared shared;
    shared.setRunning(true);
    shared.display.renderType = renderType;
    shared.display.reflectivityAuto = true;
    shared.display.minDistanceMm = 0;
    shared.display.maxDistanceMm = 1250;
    // Warm: every buffer has been filled once.
    for (int k = 0; k < 4; ++k) {
        shared.showFrameCloud(*frame, 160, 120);
        shared.takeNewCloud();
    }
    const long long before = g_allocations.load();
    for (auto _ : state) {
        shared.showFrameCloud(*frame, 160, 120);
        if (windowTakes) benchmark::DoNotOptimize(shared.takeNewCloud());
    }
    state.counters["allocs_per_frame"] =
        benchmark::Counter(double(g_allocations.load() - before) / double(state.iterations()));
    state.SetItemsProcessed(state.iterations() * 320 * 240);
}

void BM_ShowFrameCloudReflectivity(benchmark::State& state) {
    showFrameCloudBench(state, 2, true);
}
BENCHMARK(BM_ShowFrameCloudReflectivity)->Unit(benchmark::kMicrosecond);

void BM_ShowFrameCloudAmplitude(benchmark::State& state) {
    showFrameCloudBench(state, 1, true);
}
BENCHMARK(BM_ShowFrameCloudAmplitude)->Unit(benchmark::kMicrosecond);

// The window busy elsewhere: clouds replace each other without being taken.
void BM_ShowFrameCloudWindowBusy(benchmark::State& state) {
    showFrameCloudBench(state, 0, false);
}
BENCHMARK(BM_ShowFrameCloudWindowBusy)->Unit(benchmark::kMicrosecond);

void BM_ColorScalarsDistance(benchmark::State& state) {
    const auto frame = cloudFrame();
    CloudViewShared shared;
    shared.setRunning(true);
    shared.showFrameCloud(*frame, 0, 0);
    const auto cloud = shared.takeNewCloud();
    vantory::cloudview::DisplayValues display;
    std::vector<float> scalars;
    for (auto _ : state) {
        vantory::cloudview::colorScalars(*cloud, display, scalars);
        benchmark::DoNotOptimize(scalars.data());
    }
}
BENCHMARK(BM_ColorScalarsDistance)->Unit(benchmark::kMicrosecond);

}  // namespace
