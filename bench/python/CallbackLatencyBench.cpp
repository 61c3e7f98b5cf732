// How long a 320 x 240 frame takes from the module's SDK frame callback (the moment it is
// queued, as CameraCore::onFrame does) until Python code holds it: the callback thread
// wakes, takes the GIL, wraps the frame, calls the Python function, which reads the
// distance view and reports its arrival. The interpreter's main thread is idle, as in a
// program that waits for frames or sleeps; a main thread busy with Python code delays
// callbacks by up to sys.getswitchinterval() (5 ms) more.
#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "BenchFrames.h"
#include "CallbackRunner.h"
#include "FrameQueue.h"
#include "ModuleParts.h"

namespace py = pybind11;

namespace {

struct ArrivalProbe {
    std::mutex mutex;
    std::condition_variable arrived;
    int64_t arrivedNs = 0;
};
ArrivalProbe probe;

}  // namespace

PYBIND11_EMBEDDED_MODULE(vantory, m) {
    vantory_py::defineModule(m);
}

PYBIND11_EMBEDDED_MODULE(latency_probe, m) {
    m.def("arrived", [] {
        {
            std::lock_guard<std::mutex> lock(probe.mutex);
            probe.arrivedNs = vantory_py::monotonicNs();
        }
        probe.arrived.notify_one();
    });
}

namespace {

constexpr char kCallback[] = R"(
import latency_probe
def on_frame(frame):
    frame.distance
    latency_probe.arrived()
)";

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(share * double(values.size() - 1))];
}

void BM_FrameReachesPythonCallback(benchmark::State& state) {
    py::dict scope;
    py::exec(kCallback, scope);
    const auto frame = vantory_test::decodeFrame(
        vantory_bench::benchPlan(Movoda::kPlaneDistance | Movoda::kPlaneAmplitude));
    vantory_py::CallbackRunner runner(scope["on_frame"].cast<py::function>(), 8);
    std::vector<double> micros;
    // One frame handed over; the time until the callback reported it, or a negative value.
    const auto handOver = [&runner, &frame]() -> int64_t {
        std::unique_lock<std::mutex> lock(probe.mutex);
        probe.arrivedNs = 0;
        const int64_t handed = vantory_py::monotonicNs();
        runner.queue()->push({frame, handed});
        if (!probe.arrived.wait_for(lock, std::chrono::seconds(5),
                                    [] { return probe.arrivedNs != 0; })) {
            return -1;
        }
        return probe.arrivedNs - handed;
    };
    {
        py::gil_scoped_release release;
        handOver();  // the first call imports NumPy
        for (auto _ : state) {
            const int64_t ns = handOver();
            if (ns < 0) {
                state.SkipWithError("the callback did not run within 5 s");
                break;
            }
            const double seconds = double(ns) / 1e9;
            state.SetIterationTime(seconds);
            micros.push_back(seconds * 1e6);
        }
    }
    runner.stop();
    state.counters["p50_us"] = percentile(micros, 0.50);
    state.counters["p99_us"] = percentile(micros, 0.99);
    state.counters["max_us"] = percentile(micros, 1.0);
}
BENCHMARK(BM_FrameReachesPythonCallback)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    py::scoped_interpreter interpreter;
    py::module_::import("vantory");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
