// How much of a core the simulated camera needs per frame. At 50 frames per second a
// frame may take at most 20 ms of one core; the counters report the share directly.
#include <benchmark/benchmark.h>

#include "DatagramPlanner.h"
#include "FrameBuilder.h"

using namespace camsim;

namespace {

AcquisitionConfig configFor(int planesCase) {
    AcquisitionConfig c;
    if (planesCase >= 1) c.grayscalePlane = true;
    if (planesCase >= 2) {
        c.hdrMode = 1;
        c.intTimes = {1000, 300, 0, 0, 0};
        c.rawDcsPlane = true;
    }
    return c;
}

void reportCoreShare(benchmark::State& state) {
    // Share of one core at 50 frames per second.
    // Inverting (iterations x 1/50) per second of CPU gives 50 x CPU seconds per frame.
    state.counters["core_share_at_50fps"] = benchmark::Counter(
        1.0 / 50.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

// Arg: 0 distance and amplitude, 1 plus grayscale, 2 every plane (HDR, raw DCS).
static void BM_BuildFrame(benchmark::State& state) {
    SceneOptions scene;
    scene.name = state.range(1) ? "room" : "wall";
    FrameBuilder builder(makeScene(scene), FrameOptions{1.0, 1});
    const Identity identity;
    const AcquisitionConfig config = configFor(int(state.range(0)));
    FrameContext ctx;
    std::vector<uint8_t> packet;
    for (auto _ : state) {
        builder.build(identity, config, ctx, packet);
        ++ctx.frameNumber;
        ctx.sceneTime += 0.02;
        benchmark::DoNotOptimize(packet.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(packet.size()));
    reportCoreShare(state);
}
BENCHMARK(BM_BuildFrame)->Args({0, 0})->Args({2, 0})->Args({2, 1})->Unit(benchmark::kMillisecond);

static void BM_CutIntoDatagrams(benchmark::State& state) {
    FrameBuilder builder(makeScene(SceneOptions{}), FrameOptions{1.0, 1});
    std::vector<uint8_t> packet;
    builder.build(Identity{}, configFor(2), FrameContext{}, packet);
    DatagramPlanner planner(1);
    DatagramFaults faults;
    faults.drop = double(state.range(0)) / 100.0;
    size_t bytes = 0;
    for (auto _ : state) {
        planner.sendFrame(packet, 1, false, faults, [&](const uint8_t* d, size_t n) {
            benchmark::DoNotOptimize(d);
            bytes += n;
        });
    }
    state.SetBytesProcessed(int64_t(bytes));
    reportCoreShare(state);
}
BENCHMARK(BM_CutIntoDatagrams)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond);
