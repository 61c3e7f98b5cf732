#include "StreamReport.h"

#include "CliConstants.h"
#include "JsonLine.h"

namespace vantory_cli {

namespace {

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
        .add("latencyP99Ms", percentile(report.latenciesMs, kLatencyPercentile), 3);
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
