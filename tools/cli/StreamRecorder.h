// Collects what the frame callback measures (on an SDK thread) for the reporting thread,
// per one-second interval and for the whole run.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "StreamStatistics.h"

namespace vantory_cli {

struct FrameSample {
    uint32_t frameNumber = 0;
    std::optional<double> latencyMs;  // empty when the frame carries no capture time
    std::optional<double> centralZ;   // empty unless the frame carries a cloud
};

struct IntervalReport {
    uint64_t received = 0;
    uint64_t lost = 0;  // frame numbers that never reached the callback
    std::vector<double> latenciesMs;
    std::vector<double> centralZ;
};

class StreamRecorder {
public:
    // Latencies and depths kept for the whole-run summary; beyond this the summary's
    // order statistics cover the first samples only, so memory stays bounded.
    static constexpr size_t kMaxTotalSamples = size_t{1} << 20;

    struct Final {
        IntervalReport lastInterval;
        IntervalReport totals;
    };

    // Ignored after finish().
    void record(const FrameSample& sample);
    // What arrived since the previous call; the run totals keep it.
    IntervalReport takeInterval();
    IntervalReport totals() const;
    // Forgets everything recorded so far (frames before the run's start count nowhere).
    void restart();
    // The last interval and the run totals taken together, after which nothing more is
    // recorded: the intervals reported add up to the totals exactly.
    Final finish();

private:
    mutable std::mutex mutex_;
    bool finished_ = false;
    FrameGapCounter gaps_;
    IntervalReport interval_;
    IntervalReport totals_;
};

}  // namespace vantory_cli
