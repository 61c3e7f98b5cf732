// Colourising one 320 x 240 distance + amplitude frame into the two display images,
// beside the usual OpenCV route (scale to 8 bit, then the JET colour map).
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <vector>

#include "ColorImageBuilder.h"
#include "ImageColorizer.h"

using namespace vantory::colorizer;

namespace {

constexpr int kW = 320;
constexpr int kH = 240;
constexpr size_t kN = size_t(kW) * kH;

// A tilted floor with a box, some invalid pixels and amplitude falling with distance.
struct SyntheticFrame {
    std::vector<uint32_t> distance = std::vector<uint32_t>(kN);
    std::vector<uint16_t> amplitude = std::vector<uint16_t>(kN);

    SyntheticFrame()
    {
        uint32_t noise = 12345;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                noise = noise * 1103515245u + 12345u;
                const size_t i = size_t(y) * kW + x;
                uint32_t d = 800 + uint32_t(y) * 20 + (noise >> 28);
                if (x > 100 && x < 180 && y > 60 && y < 140)
                    d = 1200;
                if ((noise >> 20) % 37 == 0)
                    d = 964001;
                distance[i] = d;
                amplitude[i] = uint16_t(d >= 964000 ? 64001 : 3000000 / (d + 500));
            }
        }
    }
};

const SyntheticFrame& frame()
{
    static const SyntheticFrame f;
    return f;
}

void BM_ColorizerPanes(benchmark::State& state)
{
    const SyntheticFrame& f = frame();
    PaneInput in;
    in.width = kW;
    in.height = kH;
    in.distance = {f.distance.data(), f.distance.size()};
    in.amplitude = {f.amplitude.data(), f.amplitude.size()};
    in.distanceRange = {kDefaultDistanceLower, kDefaultDistanceUpper};
    in.amplitudeRange = {kDefaultAmplitudeLower, kDefaultAmplitudeUpper};
    ImageColorizer distanceColorizer;
    ImageColorizer amplitudeColorizer;
    QImage distanceImage;
    QImage amplitudeImage;
    for (auto _ : state) {
        buildPaneImages(in, distanceColorizer, amplitudeColorizer, distanceImage, amplitudeImage);
        benchmark::DoNotOptimize(distanceImage.constBits());
        benchmark::DoNotOptimize(amplitudeImage.constBits());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kN));
}
BENCHMARK(BM_ColorizerPanes)->Unit(benchmark::kNanosecond);

void BM_OpenCvConvertAndJet(benchmark::State& state)
{
    const SyntheticFrame& f = frame();
    // Distances stay below 2^31, so the plane can be read as signed 32-bit.
    const cv::Mat distance(kH, kW, CV_32SC1, const_cast<uint32_t*>(f.distance.data()));
    const cv::Mat amplitude(kH, kW, CV_16UC1, const_cast<uint16_t*>(f.amplitude.data()));
    cv::Mat distance8, amplitude8, distanceColor, amplitudeColor;
    for (auto _ : state) {
        distance.convertTo(distance8, CV_8U, 255.0 / kDefaultDistanceUpper);
        amplitude.convertTo(amplitude8, CV_8U, 255.0 / kDefaultAmplitudeUpper);
        cv::applyColorMap(distance8, distanceColor, cv::COLORMAP_JET);
        cv::applyColorMap(amplitude8, amplitudeColor, cv::COLORMAP_JET);
        benchmark::DoNotOptimize(distanceColor.data);
        benchmark::DoNotOptimize(amplitudeColor.data);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kN));
}
BENCHMARK(BM_OpenCvConvertAndJet)->Unit(benchmark::kNanosecond);

// The same on one OpenCV thread, to compare like with like.
void BM_OpenCvConvertAndJetOneThread(benchmark::State& state)
{
    const int threads = cv::getNumThreads();
    cv::setNumThreads(1);
    BM_OpenCvConvertAndJet(state);
    cv::setNumThreads(threads);
}
BENCHMARK(BM_OpenCvConvertAndJetOneThread)->Unit(benchmark::kNanosecond);

// Changing a range rebuilds the lookup tables: the cost of one slider movement.
void BM_ColorizerRangeChange(benchmark::State& state)
{
    ImageColorizer colorizer;
    int upper = 5000;
    for (auto _ : state) {
        colorizer.setRange(0, ++upper);
        benchmark::DoNotOptimize(colorizer.lookup16(kModeColor));
    }
}
BENCHMARK(BM_ColorizerRangeChange)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
