// Converting 1000 record files (320 x 240, distance + amplitude) with the batch conversion
// that vantory-cli convert runs. Each iteration converts the whole set; counters give files
// per second of wall time and the process CPU time per file. Arguments: format, threads.
// Set VANTORY_CONVERT_FILES for another number of files.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>

#include "BenchFrames.h"
#include "QuietStdout.h"
#include "RecordFileFixture.h"
#include "export/BatchConvert.h"

namespace {

namespace ex = Movoda::exporters;
namespace fs = std::filesystem;

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// The record files are written once for all runs.
const std::vector<std::string>& recordFiles(const std::string& dir) {
    static std::vector<std::string> files;
    if (!files.empty()) return files;
    const char* countText = std::getenv("VANTORY_CONVERT_FILES");
    const int count = countText != nullptr ? std::max(1, std::atoi(countText)) : 1000;
    fs::create_directories(dir);
    vantory_test::PacketPlan plan = vantory_bench::benchPlan(3);
    for (int k = 0; k < count; ++k) {
        plan.frameNumber = static_cast<uint16_t>(k);
        files.push_back(dir + "/" + std::to_string(k) + ".xbin");
        vantory_test::writeRecordFileOf(plan, files.back());
    }
    return files;
}

void BM_Convert(benchmark::State& state) {
    static vantory_test::TempDir work;
    const auto format = static_cast<ex::OutputFormat>(state.range(0));
    ex::ConvertJob job;
    job.files = recordFiles(work.path + "/rec");
    job.format = format;
    job.threads = static_cast<unsigned>(state.range(1));
    size_t failed = 0;
    double cpu = 0;
    int round = 0;
    for (auto _ : state) {
        job.outDir = work.path + "/out" + std::to_string(round++);
        const double cpuBefore = cpuSeconds();
        vantory_bench::QuietStdout quiet;  // the cloud step prints its lens once per thread
        const ex::ConvertSummary summary = ex::convertRecordFiles(job);
        cpu += cpuSeconds() - cpuBefore;
        failed += summary.failures.size();
        state.PauseTiming();
        fs::remove_all(job.outDir);
        state.ResumeTiming();
    }
    const double files = static_cast<double>(job.files.size() * state.iterations());
    state.counters["files_per_s"] = benchmark::Counter(files, benchmark::Counter::kIsRate);
    state.counters["cpu_ms_per_file"] = 1000.0 * cpu / files;
    state.counters["failed"] = static_cast<double>(failed);
}

// Format (0 pcd, 2 png16) and threads.
BENCHMARK(BM_Convert)
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({2, 1})
    ->Args({2, 2})
    ->ArgNames({"format", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace
