// Cost of each frame filter on a 320 x 240 frame on one core, of the whole chain with every
// filter on (through the SDK's chain and the built library), and the heap allocations per
// frame once the first frame has sized the buffers.
#include <benchmark/benchmark.h>

#include <functional>

#include "AllocationCounter.h"
#include "FilterBenchFrames.h"
#include "QuietStdout.h"
#include "SdkFilter.h"
#include "cloud/FilterChain.h"

namespace {

using Movoda::sdkfilter::SdkFilter;
using Apply = void (SdkFilter::*)(const Movoda::ISdkFilter::FramePtr&);
using vantory_bench::SceneFrames;

// Runs one frame through `step` per iteration; each iteration gets the next noisy frame.
void perFrame(benchmark::State& state, SceneFrames& scene, const std::function<void()>& step) {
    int k = 0;
    scene.load(k);
    step();  // the first frame sizes the buffers
    const size_t before = vantory_bench::allocations();
    for (auto _ : state) {
        state.PauseTiming();
        scene.load(++k);
        state.ResumeTiming();
        step();
        benchmark::ClobberMemory();
    }
    state.counters["allocs_per_frame"] = benchmark::Counter(
        double(vantory_bench::allocations() - before), benchmark::Counter::kAvgIterations);
}

void filterBench(benchmark::State& state, std::function<bool(SdkFilter&)> configure, Apply apply) {
    SceneFrames scene;
    SdkFilter filter(nullptr);
    if (!configure(filter)) state.SkipWithError("settings refused");
    auto frame = scene.frame();
    perFrame(state, scene, [&] { (filter.*apply)(frame); });
}

const float kDivisor = 5.0f;
const uint8_t kOn = 1;
const int kIterations = 2, kDelta = 70;
const float kAlpha = 0.7f;
const float kBandLower = 1.0f, kBandUpper = 48.0f;

BENCHMARK_CAPTURE(
    filterBench, edge, [](SdkFilter& f) { return f.setEdgeParams(200); }, &SdkFilter::applyEdge)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, median3, [](SdkFilter& f) { return f.setMedianParams(3); },
    &SdkFilter::applyMedian)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, median5, [](SdkFilter& f) { return f.setMedianParams(5); },
    &SdkFilter::applyMedian)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, kalman, [](SdkFilter& f) { return f.setKalmanParams(300, 300, 2000); },
    &SdkFilter::applyKalman)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, average4, [](SdkFilter& f) { return f.setAverageParams(4, 2000); },
    &SdkFilter::applyAverage)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, dust2, [](SdkFilter& f) { return f.setDustParams(2000, 2, 100, 3000); },
    &SdkFilter::applyDust)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, dust9, [](SdkFilter& f) { return f.setDustParams(2000, 9, 100, 3000); },
    &SdkFilter::applyDust)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, reflectivity,
    [](SdkFilter& f) { return f.setReflectivityParams(&kBandLower, &kBandUpper); },
    &SdkFilter::applyReflectivity)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, smooth2,
    [](SdkFilter& f) { return f.setSmoothParams(&kIterations, &kDelta, &kAlpha); },
    &SdkFilter::applySmooth)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, cloudErosion, [](SdkFilter& f) { return f.setCloudParams(&kDivisor, &kOn, 9, 5); },
    &SdkFilter::applyCloudFirstPass)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    filterBench, cloudMotion9, [](SdkFilter& f) { return f.setCloudParams(&kDivisor, &kOn, 9, 5); },
    &SdkFilter::applyCloudSecondPass)
    ->Unit(benchmark::kMicrosecond);

// Every filter on, through the chain and the library as the SDK runs them.
void BM_WholeChain(benchmark::State& state) {
    std::unique_ptr<Movoda::FilterChain> chain;
    {
        vantory_bench::QuietStdout quiet;
        chain = std::make_unique<Movoda::FilterChain>(VANTORY_SDKFILTER_PATH);
    }
    if (!chain->libraryLoaded()) state.SkipWithError("filter library not loaded");
    chain->setEdgeFilter(200);
    chain->setMedianFilter(5);
    chain->setKalmanFilter(300, 300, 2000);
    chain->setAverageFilter(4, 2000);
    chain->setDustFilter(2000, 2, 3000, 100);
    chain->setCloudFilter(&kDivisor, &kOn, 9, 5);
    chain->setReflectivityFilter(&kBandLower, &kBandUpper);
    chain->setSmoothFilter(&kIterations, &kDelta, &kAlpha);
    if (chain->enableMask() != 0xFF) state.SkipWithError("a filter stayed off");
    SceneFrames scene;
    auto frame = scene.frame();
    perFrame(state, scene, [&] { chain->applyFilters(frame); });
}
BENCHMARK(BM_WholeChain)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
