// Cost per frame of everything the measurement panels compute on a full 320 x 240 frame:
// statistics of three planes, the temporal noise window (add and map, 50 frames), a
// histogram and the percentile range. The target is under 1 ms in total.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/AutoRange.h"
#include "analysis/Histogram.h"
#include "analysis/PlaneStats.h"
#include "analysis/TemporalNoise.h"

namespace va = vantory::analysis;

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr std::size_t kPixels = std::size_t(kWidth) * kHeight;
constexpr int kFrameSet = 8;  // distinct frames cycled so the noise window sees change

struct Frames {
    std::vector<std::vector<std::uint32_t>> distance;
    std::vector<std::uint16_t> amplitude;
    std::vector<float> reflectivity;
};

const Frames& frames() {
    static const Frames f = [] {
        Frames out;
        std::mt19937 rng(3);
        std::normal_distribution<double> noise(0.0, 4.0);
        out.amplitude.resize(kPixels);
        out.reflectivity.resize(kPixels);
        for (std::size_t i = 0; i < kPixels; ++i) {
            out.amplitude[i] = static_cast<std::uint16_t>(200 + i % 3000);
            out.reflectivity[i] = 20.0f + float(i % 60);
        }
        for (int k = 0; k < kFrameSet; ++k) {
            std::vector<std::uint32_t> d(kPixels);
            for (std::size_t i = 0; i < kPixels; ++i) {
                d[i] = i % 97 == 0 ? Movoda::kDistanceCodeOffset + va::kCodeNoSignal
                                   : static_cast<std::uint32_t>(1500 + (i % 320) * 5 + noise(rng));
            }
            out.distance.push_back(std::move(d));
        }
        return out;
    }();
    return f;
}

void BM_PanelsPerFrame(benchmark::State& state) {
    const Frames& f = frames();
    va::TemporalNoise noise(50);
    std::vector<float> map;
    const va::Roi roi{80, 60, 160, 120};
    int k = 0;
    for (auto _ : state) {
        const std::vector<std::uint32_t>& d = f.distance[k++ % kFrameSet];
        benchmark::DoNotOptimize(va::planeStats(d.data(), kWidth, kHeight, roi));
        benchmark::DoNotOptimize(
            va::planeStats(f.amplitude.data(), kWidth, kHeight, roi, va::kAmplitudeInvalidFrom));
        benchmark::DoNotOptimize(va::planeStats(f.reflectivity.data(), kWidth, kHeight, roi));
        noise.add(d.data(), kWidth, kHeight);
        noise.map(map);
        benchmark::DoNotOptimize(noise.roiMean(roi));
        benchmark::DoNotOptimize(va::histogramOf(d.data(), kWidth, kHeight, {},
                                                 va::kDefaultHistogramBins, {0, 5000},
                                                 f.amplitude.data()));
        benchmark::DoNotOptimize(va::percentileRange(f.amplitude.data(), kPixels, 0.01, 0.99,
                                                     va::kAmplitudeInvalidFrom));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PanelsPerFrame)->Unit(benchmark::kMicrosecond);

// The parts on their own, the whole frame as the rectangle (the worst case).
void BM_DistanceStats(benchmark::State& state) {
    const Frames& f = frames();
    for (auto _ : state)
        benchmark::DoNotOptimize(va::planeStats(f.distance[0].data(), kWidth, kHeight, {}));
}
BENCHMARK(BM_DistanceStats)->Unit(benchmark::kMicrosecond);

void BM_AmplitudeStats(benchmark::State& state) {
    const Frames& f = frames();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            va::planeStats(f.amplitude.data(), kWidth, kHeight, {}, va::kAmplitudeInvalidFrom));
    }
}
BENCHMARK(BM_AmplitudeStats)->Unit(benchmark::kMicrosecond);

void BM_ReflectivityStats(benchmark::State& state) {
    const Frames& f = frames();
    for (auto _ : state)
        benchmark::DoNotOptimize(va::planeStats(f.reflectivity.data(), kWidth, kHeight, {}));
}
BENCHMARK(BM_ReflectivityStats)->Unit(benchmark::kMicrosecond);

void BM_TemporalNoiseAddMap(benchmark::State& state) {
    const Frames& f = frames();
    va::TemporalNoise noise(50);
    std::vector<float> map;
    int k = 0;
    for (auto _ : state) {
        noise.add(f.distance[k++ % kFrameSet].data(), kWidth, kHeight);
        noise.map(map);
    }
}
BENCHMARK(BM_TemporalNoiseAddMap)->Unit(benchmark::kMicrosecond);

}  // namespace
