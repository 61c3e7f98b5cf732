// mvpcl_filter on a 320 x 240 organised cloud, called through the built library as the
// viewer calls it, with PCL's own statistical filter on the same cloud for comparison.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <pcl/console/print.h>
#include <pcl/filters/statistical_outlier_removal.h>

#include <cmath>
#include <random>

#include "AllocationCounter.h"
#include "mvpclfilter/MvPclFilter.h"

namespace {

namespace pf = Movoda::pclfilter;

// A wall 1.5 m away with 4 mm depth noise and a box 0.6 m in front of it.
pf::CloudPtr wallCloud() {
    auto cloud = pcl::make_shared<pf::Cloud>(320, 240);
    std::mt19937 rng(9);
    std::normal_distribution<float> noise(0.0f, 0.004f);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const bool box = x >= 100 && x < 200 && y >= 60 && y < 160;
            const float z = (box ? 0.9f : 1.5f) + noise(rng);
            pcl::PointXYZI& p = (*cloud)(x, y);
            p.x = (x - 160) / 210.0f * z;
            p.y = (y - 120) / 210.0f * z;
            p.z = (x * 7 + y * 13) % 97 == 0 ? std::nanf("") : z;
            p.intensity = 30.0f;
        }
    }
    cloud->is_dense = false;
    return cloud;
}

struct Library {
    void* module = ::dlopen(VANTORY_CLOUDFILTER_PATH, RTLD_NOW | RTLD_LOCAL);
    pf::FilterFunction filter =
        module ? reinterpret_cast<pf::FilterFunction>(::dlsym(module, pf::kFilterSymbol)) : nullptr;
    pf::SetConfigFunction setConfig =
        module ? reinterpret_cast<pf::SetConfigFunction>(::dlsym(module, pf::kSetConfigSymbol))
               : nullptr;
    ~Library() {
        if (module) ::dlclose(module);
    }
};

// range(0): method; range(1): 1 when the caller reuses one target cloud, 0 when it hands
// a new empty cloud every frame.
void BM_MvpclFilter(benchmark::State& state) {
    Library lib;
    if (!lib.filter || !lib.setConfig) {
        state.SkipWithError("library not loaded");
        return;
    }
    pf::Config config;
    config.method = static_cast<int32_t>(state.range(0));
    lib.setConfig(&config);
    pf::CloudPtr source = wallCloud();
    auto reused = pcl::make_shared<pf::Cloud>();
    lib.filter(&source, reused);  // the first frame sizes the buffers
    const bool reuse = state.range(1) != 0;
    const size_t before = vantory_bench::allocations();
    for (auto _ : state) {
        pf::CloudPtr target = reuse ? reused : pcl::make_shared<pf::Cloud>();
        if (reuse) target->clear();
        lib.filter(&source, target);
        benchmark::DoNotOptimize(target->points.data());
    }
    state.counters["allocs_per_frame"] = benchmark::Counter(
        double(vantory_bench::allocations() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MvpclFilter)
    ->ArgNames({"method", "reuse"})
    ->Args({pf::kMethodStatistical, 0})
    ->Args({pf::kMethodRadius, 0})
    ->Args({pf::kMethodStatistical, 1})
    ->Args({pf::kMethodRadius, 1})
    ->Unit(benchmark::kMillisecond);

// PCL's statistical filter on the same organised cloud (it searches it with OrganizedNeighbor).
void BM_PclStatisticalOutlierRemoval(benchmark::State& state) {
    pcl::console::setVerbosityLevel(pcl::console::L_ERROR);
    pf::CloudPtr source = wallCloud();
    for (auto _ : state) {
        pcl::StatisticalOutlierRemoval<pcl::PointXYZI> filter;
        filter.setInputCloud(source);
        filter.setMeanK(8);
        filter.setStddevMulThresh(3.0);
        filter.setKeepOrganized(true);
        pf::Cloud target;
        filter.filter(target);
        benchmark::DoNotOptimize(target.points.data());
    }
}
BENCHMARK(BM_PclStatisticalOutlierRemoval)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
