// Per-frame cost of decoding, binning, the point cloud, the lens-table rebuild and the
// filter chain without a library, beside a plain copy of the same packet.
#include <benchmark/benchmark.h>

#include <cstring>

#include "BenchFrames.h"
#include "QuietStdout.h"
#include "cloud/FilterChain.h"
#include "cloud/PointCloudProcessor.h"
#include "frame/FrameSettings.h"

namespace {

using Movoda::Frame;
using vantory_bench::benchPlan;
using vantory_bench::QuietStdout;
using vantory_test::buildInner;
using vantory_test::makeFrame;
using vantory_test::PacketPlan;

constexpr uint8_t kDistAmp = 1 | 2;
constexpr uint8_t kDistAmpGrayHdr = 1 | 2 | 4 | 8;

// A frame as the frame path hands it to decoding: header and stored packet, planes
// allocated. Built outside the timed region is wrong: allocation is part of each frame.
std::shared_ptr<Frame> freshFrame(const PacketPlan& s, const std::vector<uint8_t>& inner,
                                  const std::vector<uint8_t>& wire) {
    auto f = std::make_shared<Frame>(s.dataType, s.frameNumber, s.width, s.height);
    f->loadHeader(inner.data(), inner.size());
    f->allocatePlanes();
    f->parse(wire);
    return f;
}

void BM_MemcpyPacket(benchmark::State& state) {
    const PacketPlan s = benchPlan(kDistAmp);
    const auto inner = buildInner(s);
    std::vector<uint8_t> copy(inner.size() + 12);
    for (auto _ : state) {
        std::memcpy(copy.data() + 8, inner.data(), inner.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * inner.size()));
}
BENCHMARK(BM_MemcpyPacket);

void parseBench(benchmark::State& state, uint8_t flags, uint16_t bin) {
    Movoda::frame_settings::setSdkBinning(bin, bin);
    const PacketPlan s = benchPlan(flags);
    const auto inner = buildInner(s);
    auto wireFrame = makeFrame(s, inner);
    const std::vector<uint8_t> wire = wireFrame->packet();
    for (auto _ : state) {
        auto f = freshFrame(s, inner, wire);
        benchmark::DoNotOptimize(f->distanceData());
    }
    Movoda::frame_settings::setSdkBinning(0, 0);
}

void BM_ParseDistAmp(benchmark::State& state) { parseBench(state, kDistAmp, 0); }
BENCHMARK(BM_ParseDistAmp);

void BM_ParseDistAmpGrayHdr(benchmark::State& state) { parseBench(state, kDistAmpGrayHdr, 0); }
BENCHMARK(BM_ParseDistAmpGrayHdr);

void BM_ParseDistAmpBinning2x2(benchmark::State& state) { parseBench(state, kDistAmp, 2); }
BENCHMARK(BM_ParseDistAmpBinning2x2);

struct CloudFixture {
    CloudFixture() : plan(benchPlan(kDistAmp)), inner(buildInner(plan)) {
        auto f = makeFrame(plan, inner);
        wire = f->packet();
        QuietStdout quiet;
        processor.setLensParams(f->lensParams());
    }
    PacketPlan plan;
    std::vector<uint8_t> inner;
    std::vector<uint8_t> wire;
    Movoda::PointCloudProcessor processor;
};

void BM_GenerateCloud(benchmark::State& state) {
    CloudFixture fx;
    auto f = freshFrame(fx.plan, fx.inner, fx.wire);
    fx.processor.generateCloud(*f);  // first frame of this size sizes the cloud
    for (auto _ : state) {
        fx.processor.generateCloud(*f);
        benchmark::DoNotOptimize(f->cloudData());
    }
}
BENCHMARK(BM_GenerateCloud);

// With the corner cut and the amplitude floor on: the points they remove are rewritten
// after the row kernel. Each iteration decodes the frame again, since both change its
// distance plane; the decoding alone is BM_ParseDistAmp.
void BM_ParseAndCloudCutAndFloor(benchmark::State& state) {
    CloudFixture fx;
    {
        QuietStdout quiet;  // the corner cut prints the share of removed pixels
        fx.processor.setCutCorner(150);
    }
    fx.processor.setSdkMinAmplitude(100);
    for (auto _ : state) {
        auto f = freshFrame(fx.plan, fx.inner, fx.wire);
        fx.processor.generateCloud(*f);
        benchmark::DoNotOptimize(f->cloudData());
    }
}
BENCHMARK(BM_ParseAndCloudCutAndFloor);

void BM_ParseAndCloud(benchmark::State& state) {
    CloudFixture fx;
    for (auto _ : state) {
        auto f = freshFrame(fx.plan, fx.inner, fx.wire);
        fx.processor.generateCloud(*f);
        benchmark::DoNotOptimize(f->cloudData());
    }
}
BENCHMARK(BM_ParseAndCloud);

void BM_LensTableRebuild(benchmark::State& state) {
    Movoda::PointCloudProcessor processor;
    Movoda::LensParams a;
    a.fx = 210.5f;
    a.k1 = -0.12f;
    a.k2 = 0.03f;
    Movoda::LensParams b = a;
    b.fx = 211.5f;
    bool flip = false;
    QuietStdout quiet;  // every rebuild prints the new parameters
    for (auto _ : state) {
        processor.setLensParams(flip ? a : b);
        flip = !flip;
    }
}
BENCHMARK(BM_LensTableRebuild)->Unit(benchmark::kMicrosecond);

void BM_ApplyFiltersNoLibrary(benchmark::State& state) {
    QuietStdout quiet;
    Movoda::FilterChain chain("/nonexistent/libmvsdk_shared.so");
    const PacketPlan s = benchPlan(kDistAmp);
    const auto inner = buildInner(s);
    auto f = makeFrame(s, inner);
    f->decode();
    for (auto _ : state) {
        chain.applyFilters(f);
        benchmark::DoNotOptimize(f.get());
    }
}
BENCHMARK(BM_ApplyFiltersNoLibrary);

}  // namespace

namespace {

// The part of each parse that only sets up a new frame: construction and zeroed planes.
void BM_FrameAllocation(benchmark::State& state) {
    for (auto _ : state) {
        auto f = std::make_shared<Frame>(0, 1, 320, 240);
        f->allocatePlanes();
        benchmark::DoNotOptimize(f->distanceData());
    }
}
BENCHMARK(BM_FrameAllocation);

}  // namespace
