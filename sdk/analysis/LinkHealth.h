// Health of the camera link over the last seconds, from successive snapshots of the SDK's
// cumulative stream counters: frame rate, loss, what reassembly and the queues gave up,
// and the capture-to-callback latency.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "mvsdk/MvSdk.h"

namespace vantory::analysis {

// Share of lost datagrams from which the link is shown as unhealthy.
constexpr double kAmberLossShare = 0.01;

struct LinkHealthFigures {
    double seconds = 0;               // time between the oldest and newest snapshot used
    double fps = 0;                   // frames handed to the frame callback per second
    double lossShare = 0;             // lost / (lost + received) image datagrams
    std::uint64_t datagramsLost = 0;  // estimated from the bytes incomplete frames lacked
    std::uint64_t framesBroken = 0;
    std::uint64_t framesEvicted = 0;
    std::uint64_t framesLate = 0;  // datagrams of frames that had already finished
    std::uint64_t queueDrops = 0;  // frames replaced by newer ones before decoding or delivery
    double latencyMedianMs = 0;    // last datagram read to frame callback; NaN without frames
    double latencyP99Ms = 0;
    bool amber = false;  // lossShare > kAmberLossShare
};

// Nearest-rank percentile (p in 0..100) of durations counted in `count` bins of binWidth
// starting at 0: the upper edge of the bin holding the rank (the last bin is open: its
// lower edge). NaN when nothing was counted.
double binnedPercentile(const std::uint64_t* counts, std::size_t count, double binWidth, double p);

class LinkHealth {
public:
    static constexpr std::chrono::seconds kWindow{10};

    // Takes a snapshot of the counters taken at `now` (times must not go back). Snapshots
    // closer together than kMinSpacing replace the newest one, so calling this for every
    // frame keeps the memory bounded.
    void add(std::chrono::steady_clock::time_point now, const Movoda::MvStreamStats& snapshot);
    // The change of the counters from the oldest snapshot of the window (the newest one at
    // least kWindow old, or the oldest kept) to the newest one. A counter that went back
    // (the SDK was created again) counts from zero.
    LinkHealthFigures figures() const;
    void reset() { samples_.clear(); }

    static constexpr std::chrono::milliseconds kMinSpacing{100};

private:
    struct Sample {
        std::chrono::steady_clock::time_point at;
        Movoda::MvStreamStats stats;
    };
    std::deque<Sample> samples_;
};

}  // namespace vantory::analysis
