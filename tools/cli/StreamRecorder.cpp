#include "StreamRecorder.h"

#include <utility>

namespace vantory_cli {

namespace {
void keepBounded(std::vector<double>& values, double value) {
    if (values.size() < StreamRecorder::kMaxTotalSamples) values.push_back(value);
}
}  // namespace

void StreamRecorder::record(const FrameSample& sample) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) return;
    const uint32_t missing = gaps_.observe(sample.frameNumber);
    ++interval_.received;
    ++totals_.received;
    interval_.lost += missing;
    totals_.lost += missing;
    if (sample.latencyMs) {
        interval_.latenciesMs.push_back(*sample.latencyMs);
        keepBounded(totals_.latenciesMs, *sample.latencyMs);
    }
    if (sample.centralZ) {
        interval_.centralZ.push_back(*sample.centralZ);
        keepBounded(totals_.centralZ, *sample.centralZ);
    }
}

IntervalReport StreamRecorder::takeInterval() {
    std::lock_guard<std::mutex> lock(mutex_);
    IntervalReport taken = std::move(interval_);
    interval_ = IntervalReport{};
    return taken;
}

void StreamRecorder::restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    gaps_.reset();
    interval_ = IntervalReport{};
    totals_ = IntervalReport{};
    finished_ = false;
}

StreamRecorder::Final StreamRecorder::finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    Final result{std::move(interval_), totals_};
    interval_ = IntervalReport{};
    return result;
}

IntervalReport StreamRecorder::totals() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return totals_;
}

}  // namespace vantory_cli
