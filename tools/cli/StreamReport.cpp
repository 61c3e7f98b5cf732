#include "StreamReport.h"

#include "CliConstants.h"
#include "JsonLine.h"

namespace vantory_cli {

namespace {

constexpr double kSdkLatencyBinMs = Movoda::kSdkLatencyBinMicros / 1000.0;

uint64_t delta(uint64_t before, uint64_t after) { return after >= before ? after - before : after; }

void addCommon(JsonLine& line, double elapsedSeconds, const IntervalReport& report,
               const SdkFigures& sdk, bool cloud) {
    const double rate =
        elapsedSeconds > 0 ? static_cast<double>(report.received) / elapsedSeconds : 0.0;
    line.add("received", report.received)
        .add("lost", report.lost)
        .add("queueDropped", sdk.queueDropped)
        .add("framesRejected", sdk.framesRejected)
        .add("framesCompleted", sdk.framesCompleted)
        .add("framesEvicted", sdk.framesEvicted)
        .add("framesBroken", sdk.framesBroken)
        .add("framesPending", sdk.framesPending)
        .add("chunksDiscarded", sdk.chunksDiscarded)
        .add("chunksDuplicate", sdk.chunksDuplicate)
        .add("chunksLate", sdk.chunksLate)
        .add("datagramsDropped", sdk.datagramsDropped)
        .add("foreignDatagrams", sdk.foreignDatagrams)
        .add("fps", rate, 2)
        .add("sdkFps", sdk.sdkFrameRate)
        .add("latencyMedianMs", median(report.latenciesMs), 3)
        .add("latencyP99Ms", percentile(report.latenciesMs, kLatencyPercentile), 3)
        .add("sdkLatencyMedianMs", binnedPercentile(sdk.sdkLatency, kSdkLatencyBinMs, 50.0), 3)
        .add("sdkLatencyP99Ms",
             binnedPercentile(sdk.sdkLatency, kSdkLatencyBinMs, kLatencyPercentile), 3);
    const double megabytes = static_cast<double>(sdk.receivedBytes) / 1.0e6;
    std::optional<double> cpuPerMb, datagramsPerCall;
    if (megabytes > 0) cpuPerMb = static_cast<double>(sdk.receiveCpuNs) / 1.0e6 / megabytes;
    if (sdk.receiveCalls > 0) {
        datagramsPerCall =
            static_cast<double>(sdk.receivedDatagrams) / static_cast<double>(sdk.receiveCalls);
    }
    line.add("receiveMB", megabytes, 3)
        .add("receiveCpuMsPerMB", cpuPerMb, 3)
        .add("datagramsPerCall", datagramsPerCall, 2);
    if (cloud) line.add("centralZMedianM", median(report.centralZ), 4);
}

}  // namespace

SdkFigures figuresBetween(const Movoda::MvStreamStats& before, const Movoda::MvStreamStats& after,
                          uint32_t sdkFrameRate) {
    SdkFigures f;
    f.sdkFrameRate = sdkFrameRate;
    f.queueDropped = delta(before.rawDiscarded, after.rawDiscarded) +
                     delta(before.imageDiscarded, after.imageDiscarded);
    f.framesRejected = delta(before.framesRejected, after.framesRejected);
    f.framesCompleted = delta(before.udpFramesCompleted, after.udpFramesCompleted);
    f.framesEvicted = delta(before.udpFramesEvicted, after.udpFramesEvicted);
    f.framesBroken = delta(before.udpFramesBroken, after.udpFramesBroken);
    f.framesPending = after.udpFramesPending;
    f.chunksDiscarded = delta(before.udpChunksDiscarded, after.udpChunksDiscarded);
    f.chunksDuplicate = delta(before.udpChunksDuplicate, after.udpChunksDuplicate);
    f.chunksLate = delta(before.udpChunksLate, after.udpChunksLate);
    f.datagramsDropped = delta(before.udpDatagramsDropped, after.udpDatagramsDropped);
    f.foreignDatagrams = delta(before.udpForeignDatagrams, after.udpForeignDatagrams);
    f.sdkLatency.resize(after.sdkLatency.size());
    for (size_t i = 0; i < after.sdkLatency.size(); ++i)
        f.sdkLatency[i] = delta(before.sdkLatency[i], after.sdkLatency[i]);
    f.receivedBytes = delta(before.udpBytesReceived, after.udpBytesReceived);
    f.receivedDatagrams = delta(before.udpDatagramsReceived, after.udpDatagramsReceived);
    f.receiveCalls = delta(before.udpReceiveCalls, after.udpReceiveCalls);
    f.receiveCpuNs = delta(before.udpReceiveCpuNs, after.udpReceiveCpuNs);
    return f;
}

std::string intervalLine(uint64_t second, double elapsedSeconds, const IntervalReport& interval,
                         const SdkFigures& sdk, bool cloud) {
    JsonLine line;
    line.add("second", second);
    addCommon(line, elapsedSeconds, interval, sdk, cloud);
    return line.str();
}

std::string summaryLine(double elapsedSeconds, const IntervalReport& totals, const SdkFigures& sdk,
                        bool cloud) {
    JsonLine line;
    line.add("summary", true).add("seconds", elapsedSeconds, 2);
    addCommon(line, elapsedSeconds, totals, sdk, cloud);
    return line.str();
}

}  // namespace vantory_cli
