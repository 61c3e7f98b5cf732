#include "analysis/LinkHealth.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "link/UdpReassembler.h"

namespace vantory::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kLatencyBinMs = Movoda::kSdkLatencyBinMicros / 1000.0;
constexpr double kMedianPercent = 50.0;
constexpr double kTailPercent = 99.0;

std::uint64_t delta(std::uint64_t before, std::uint64_t after) {
    return after >= before ? after - before : after;
}

}  // namespace

double binnedPercentile(const std::uint64_t* counts, std::size_t count, double binWidth, double p) {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < count; ++i) total += counts[i];
    if (total == 0 || std::isnan(p)) return kNaN;
    const double wanted = std::ceil(std::clamp(p, 0.0, 100.0) / 100.0 * static_cast<double>(total));
    const std::uint64_t rank = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(wanted));
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < count; ++i) {
        seen += counts[i];
        if (seen >= rank) return binWidth * static_cast<double>(i + 1 == count ? i : i + 1);
    }
    return binWidth * static_cast<double>(count - 1);
}

void LinkHealth::add(std::chrono::steady_clock::time_point now,
                     const Movoda::MvStreamStats& snapshot) {
    if (samples_.size() >= 2 && now - samples_[samples_.size() - 2].at < kMinSpacing) {
        samples_.back() = Sample{now, snapshot};
    } else {
        samples_.push_back(Sample{now, snapshot});
    }
    // Keep one snapshot at least a window old as the base of the differences.
    while (samples_.size() > 2 && now - samples_[1].at >= kWindow) samples_.pop_front();
}

LinkHealthFigures LinkHealth::figures() const {
    LinkHealthFigures f;
    f.latencyMedianMs = f.latencyP99Ms = kNaN;
    if (samples_.size() < 2) return f;
    const Sample& first = samples_.front();
    const Sample& last = samples_.back();
    const Movoda::MvStreamStats& a = first.stats;
    const Movoda::MvStreamStats& b = last.stats;
    f.seconds = std::chrono::duration<double>(last.at - first.at).count();

    const std::uint64_t delivered = delta(a.framesDelivered, b.framesDelivered);
    if (f.seconds > 0) f.fps = static_cast<double>(delivered) / f.seconds;
    f.framesBroken = delta(a.udpFramesBroken, b.udpFramesBroken);
    f.framesEvicted = delta(a.udpFramesEvicted, b.udpFramesEvicted);
    f.framesLate = delta(a.udpChunksLate, b.udpChunksLate);
    f.queueDrops =
        delta(a.rawDiscarded, b.rawDiscarded) + delta(a.imageDiscarded, b.imageDiscarded);

    // Lost datagrams from the bytes that evicted frames never received, divided by the
    // mean payload of the datagrams that did arrive.
    const std::uint64_t datagrams = delta(a.udpDatagramsReceived, b.udpDatagramsReceived);
    const std::uint64_t bytes = delta(a.udpBytesReceived, b.udpBytesReceived);
    const std::uint64_t missing = delta(a.udpBytesMissing, b.udpBytesMissing);
    const std::uint64_t headers = datagrams * Movoda::udpchunk::kHeaderSize;
    if (datagrams > 0 && bytes > headers && missing > 0) {
        const double payload =
            static_cast<double>(bytes - headers) / static_cast<double>(datagrams);
        f.datagramsLost =
            static_cast<std::uint64_t>(std::llround(static_cast<double>(missing) / payload));
    }
    if (f.datagramsLost + datagrams > 0) {
        f.lossShare =
            static_cast<double>(f.datagramsLost) / static_cast<double>(f.datagramsLost + datagrams);
    }
    f.amber = f.lossShare > kAmberLossShare;

    Movoda::SdkLatencyHistogram latency{};
    for (std::size_t i = 0; i < latency.size(); ++i)
        latency[i] = delta(a.sdkLatency[i], b.sdkLatency[i]);
    f.latencyMedianMs =
        binnedPercentile(latency.data(), latency.size(), kLatencyBinMs, kMedianPercent);
    f.latencyP99Ms = binnedPercentile(latency.data(), latency.size(), kLatencyBinMs, kTailPercent);
    return f;
}

}  // namespace vantory::analysis
