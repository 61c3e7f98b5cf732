// The frame path's colourising of one 320 x 240 distance + amplitude frame with the
// viewer's measurements off (what every frame pays while the panels are closed) and with
// all of them on at 50 fps (ROI statistics and histograms ten times a second, the noise
// map over 50 frames and the auto range of both panes).
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "ColorImageBuilder.h"
#include "FrameMeasures.h"
#include "ImageColorizer.h"

using namespace vantory;

namespace {

constexpr int kW = 320;
constexpr int kH = 240;
constexpr std::size_t kN = std::size_t(kW) * kH;
constexpr int kNoiseDepth = 50;

// A tilted floor with a box, some pixels without a measurement, amplitude falling with
// distance, and per-frame noise so that the temporal figures have work to do.
struct SyntheticFrames {
    static constexpr int kCount = 8;
    std::vector<std::vector<std::uint32_t>> distance;
    std::vector<std::vector<std::uint16_t>> amplitude;

    SyntheticFrames() {
        std::uint32_t noise = 12345;
        for (int n = 0; n < kCount; ++n) {
            std::vector<std::uint32_t> d(kN);
            std::vector<std::uint16_t> a(kN);
            for (int y = 0; y < kH; ++y) {
                for (int x = 0; x < kW; ++x) {
                    noise = noise * 1103515245u + 12345u;
                    const std::size_t i = std::size_t(y) * kW + std::size_t(x);
                    std::uint32_t v = 800 + std::uint32_t(y) * 20 + (noise >> 28);
                    if (x > 100 && x < 180 && y > 60 && y < 140) v = 1200 + (noise >> 29);
                    if ((noise >> 20) % 37 == 0) v = 964001;
                    d[i] = v;
                    a[i] = std::uint16_t(v >= 964000 ? 64001 : 3000000 / (v + 500));
                }
            }
            distance.push_back(std::move(d));
            amplitude.push_back(std::move(a));
        }
    }
};

const SyntheticFrames& frames() {
    static const SyntheticFrames f;
    return f;
}

void runFramePath(benchmark::State& state, measure::FrameMeasures& measures) {
    const SyntheticFrames& f = frames();
    ImageColorizer distanceColorizer;
    ImageColorizer amplitudeColorizer;
    QImage distanceImage;
    QImage amplitudeImage;
    std::chrono::steady_clock::time_point now{};
    int n = 0;
    const auto frame = [&]() {
        colorizer::PaneInput in;
        in.width = kW;
        in.height = kH;
        in.distance = {f.distance[n].data(), kN};
        in.amplitude = {f.amplitude[n].data(), kN};
        // What FramePath::buildImages does around the colourising.
        const bool measuring = measures.active();
        if (measuring) {
            measure::FramePlanes planes;
            planes.width = kW;
            planes.height = kH;
            planes.distance = in.distance.data;
            planes.amplitude = in.amplitude.data;
            measures.feed(planes, now);
            measures.adjustRanges(in.distanceRange, in.amplitudeRange);
        }
        colorizer::buildPaneImages(in, distanceColorizer, amplitudeColorizer, distanceImage, amplitudeImage);
        if (measuring) measures.paintNoiseMap(distanceImage);
        benchmark::DoNotOptimize(distanceImage.constBits());
        benchmark::ClobberMemory();
        n = (n + 1) % SyntheticFrames::kCount;
        now += std::chrono::milliseconds(20);  // 50 fps: the figures are due every fifth frame
    };
    // The noise window's buffers are allocated and filled once, when a panel opens: the
    // steady state is what every later frame pays.
    for (int i = 0; i < kNoiseDepth; ++i) frame();
    for (auto _ : state) frame();
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_FramePathMeasuresOff(benchmark::State& state) {
    measure::FrameMeasures measures;
    runFramePath(state, measures);
}
BENCHMARK(BM_FramePathMeasuresOff)->Unit(benchmark::kMicrosecond);

// Argument: the measurements on, as bits (statistics, histograms, noise map, auto range).
enum : int { kStatistics = 1, kHistograms = 2, kNoiseMap = 4, kAutoRange = 8, kAll = 15 };

void BM_FramePathMeasuresOn(benchmark::State& state) {
    const auto on = static_cast<int>(state.range(0));
    measure::FrameMeasures measures;
    measures.setNoiseDepth(kNoiseDepth);
    measures.setStatisticsWanted(on & kStatistics);
    measures.setHistogramsWanted(on & kHistograms);
    measures.setNoiseMap(on & kNoiseMap);
    measures.setAutoRange(measure::Pane::Distance, on & kAutoRange);
    measures.setAutoRange(measure::Pane::Amplitude, on & kAutoRange);
    runFramePath(state, measures);
}
BENCHMARK(BM_FramePathMeasuresOn)
    ->Arg(kStatistics)
    ->Arg(kHistograms)
    ->Arg(kNoiseMap)
    ->Arg(kAutoRange)
    ->Arg(kAll)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
