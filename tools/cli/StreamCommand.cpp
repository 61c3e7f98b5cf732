#include <chrono>
#include <cmath>
#include <iostream>
#include <thread>

#include "CameraSession.h"
#include "CliConstants.h"
#include "Commands.h"
#include "StreamReport.h"
#include "StreamSetup.h"

namespace vantory_cli {

namespace {
constexpr auto kReportInterval = std::chrono::seconds(1);
constexpr auto kPollStep = std::chrono::milliseconds(20);

using Clock = std::chrono::steady_clock;

// Sleeps until `until` unless interrupted first.
void waitUntil(Clock::time_point until, const std::atomic<bool>& interrupted) {
    while (!interrupted.load() && Clock::now() < until) {
        std::this_thread::sleep_for(std::min<Clock::duration>(kPollStep, until - Clock::now()));
    }
}

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// True when every frame past the SDK's intake has left its pipeline: handed to the
// callback, replaced by a newer frame or withheld.
bool pipelineDrained(const Movoda::MvStreamStats& s) {
    return s.framesDelivered + s.rawDiscarded + s.imageDiscarded + s.framesWithheld >=
           s.framesAccepted;
}

// The SDK's counters once the datagrams still on their way after the stop are counted
// and the frames they made have reached the callback: reassembly unchanged over one poll
// step with the pipeline drained, or after kSettleLimit.
Movoda::MvStreamStats settledStats(Movoda::MvSdk& sdk) {
    constexpr auto kSettleLimit = std::chrono::seconds(1);
    const Clock::time_point until = Clock::now() + kSettleLimit;
    Movoda::MvStreamStats last = sdk.getStreamStats();
    for (;;) {
        std::this_thread::sleep_for(kPollStep * 3);
        const Movoda::MvStreamStats now = sdk.getStreamStats();
        const bool settled = now.udpFramesCompleted == last.udpFramesCompleted &&
                             now.udpFramesEvicted == last.udpFramesEvicted &&
                             now.udpChunksLate == last.udpChunksLate &&
                             now.udpChunksDuplicate == last.udpChunksDuplicate &&
                             pipelineDrained(now);
        last = now;
        if (settled || Clock::now() >= until) return last;
    }
}
}  // namespace

int runStream(const CliOptions& options, const LineSink& out,
              const std::atomic<bool>& interrupted) {
    StreamRecorder recorder;
    CameraSession session([&recorder](const std::shared_ptr<const Movoda::Frame>& frame) {
        recorder.record(measureFrame(*frame, std::chrono::system_clock::now()));
    });
    std::string why;
    if (const int connected = session.connectOrReport(options, true); connected != kExitOk)
        return connected;
    Movoda::MvSdk& sdk = session.sdk();
    // Taken before the start, so that the summary accounts for every frame the camera sent.
    const Movoda::MvStreamStats atStart = sdk.getStreamStats();
    if (!startStreaming(session, options, why)) {
        std::cerr << "vantory-cli: " << why << std::endl;
        return kExitCommandFailed;
    }

    const bool cloud = isCloudType(options.type);
    Movoda::MvStreamStats before = sdk.getStreamStats();
    recorder.restart();  // frames that arrived before the start count nowhere

    const Clock::time_point begin = Clock::now();
    const Clock::time_point end = begin + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(options.seconds));
    Clock::time_point intervalStart = begin;
    IntervalReport totals;
    SdkFigures total;
    double elapsed = 0.0;
    // The last line also holds the frames still on their way when the camera is told to
    // stop, so that the lines add up to the summary.
    for (uint64_t second = 1;; ++second) {
        waitUntil(std::min(intervalStart + kReportInterval, end), interrupted);
        const bool last = interrupted.load() || Clock::now() >= end;
        if (!last) {
            const Movoda::MvStreamStats after = sdk.getStreamStats();
            const Clock::time_point now = Clock::now();
            out(intervalLine(second, secondsBetween(intervalStart, now), recorder.takeInterval(),
                             figuresBetween(before, after, sdk.getFrameRate()), cloud));
            before = after;
            intervalStart = now;
            continue;
        }
        const uint32_t lastRate = sdk.getFrameRate();
        if (!session.command([](Movoda::MvSdk& s) { return s.stop(); })) {
            std::cerr << "vantory-cli: the camera did not confirm stop" << std::endl;
        }
        const Movoda::MvStreamStats settled = settledStats(sdk);
        const Clock::time_point now = Clock::now();
        StreamRecorder::Final final = recorder.finish();
        out(intervalLine(second, secondsBetween(intervalStart, now), final.lastInterval,
                         figuresBetween(before, settled, lastRate), cloud));
        totals = std::move(final.totals);
        total = figuresBetween(atStart, settled, lastRate);
        elapsed = secondsBetween(begin, now);
        break;
    }
    out(summaryLine(elapsed, totals, total, cloud));
    return totals.received > 0 ? kExitOk : kExitNoFrames;
}

}  // namespace vantory_cli
