// vantory-cli stats: ROI statistics, temporal noise and, from a camera, link health, as one
// JSON line. Frames come from a camera (the first N) or from record files.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>

#include "CameraSession.h"
#include "CliConstants.h"
#include "Commands.h"
#include "ConvertFiles.h"
#include "StatsCollector.h"
#include "StreamSetup.h"
#include "export/RecordFrameLoader.h"

namespace vantory_cli {

namespace {

namespace va = vantory::analysis;
using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(100);

va::Roi roiOf(const CliOptions& options) {
    return va::Roi{options.roiX, options.roiY, options.roiWidth, options.roiHeight};
}

// The frames the SDK thread hands over, counted until enough arrived.
struct FrameFeed {
    std::mutex mutex;
    std::condition_variable arrived;
    StatsCollector collector;
    int wanted;
    FrameFeed(va::Roi roi, int frames) : collector(roi, frames), wanted(frames) {}
    bool full() const { return collector.frames() >= static_cast<std::size_t>(wanted); }
};

int statsOfCamera(const CliOptions& options, const LineSink& out,
                  const std::atomic<bool>& interrupted) {
    FrameFeed feed(roiOf(options), options.frames);
    CameraSession session([&feed](const std::shared_ptr<const Movoda::Frame>& frame) {
        {
            std::lock_guard<std::mutex> lock(feed.mutex);
            if (feed.full()) return;
            feed.collector.add(*frame);
        }
        feed.arrived.notify_all();
    });
    std::string why;
    if (const int connected = session.connectOrReport(options, true); connected != kExitOk)
        return connected;
    Movoda::MvSdk& sdk = session.sdk();
    va::LinkHealth link;
    link.add(Clock::now(), sdk.getStreamStats());
    if (!startStreaming(session, options, why)) {
        std::cerr << "vantory-cli: " << why << std::endl;
        return kExitCommandFailed;
    }

    // Waits for the frames; gives up when none has come for the frame time-out.
    bool stalled = false;
    {
        std::unique_lock<std::mutex> lock(feed.mutex);
        std::size_t seen = feed.collector.frames();
        Clock::time_point lastFrame = Clock::now();
        while (!feed.full() && !interrupted.load()) {
            feed.arrived.wait_for(lock, kPollStep);
            const Clock::time_point now = Clock::now();
            if (feed.collector.frames() != seen) {
                seen = feed.collector.frames();
                lastFrame = now;
            } else if (now - lastFrame >= std::chrono::milliseconds(kSnapshotFrameTimeoutMs)) {
                stalled = true;
                break;
            }
        }
    }
    // The counters at the moment the last frame was counted: the window the figures cover.
    link.add(Clock::now(), sdk.getStreamStats());
    if (!session.command([](Movoda::MvSdk& s) { return s.stop(); })) {
        std::cerr << "vantory-cli: the camera did not confirm stop" << std::endl;
    }
    std::lock_guard<std::mutex> lock(feed.mutex);
    if (feed.collector.frames() == 0) {
        std::cerr << "vantory-cli: no frame arrived" << std::endl;
        return kExitNoFrames;
    }
    out(feed.collector.json("camera", link.figures()));
    if (interrupted.load()) return kExitInterrupted;
    if (stalled) {
        std::cerr << "vantory-cli: no frame arrived for " << kSnapshotFrameTimeoutMs / 1000
                  << " s; the figures cover " << feed.collector.frames() << " frames" << std::endl;
        return kExitNoFrames;
    }
    return kExitOk;
}

int statsOfFiles(const CliOptions& options, const LineSink& out,
                 const std::atomic<bool>& interrupted) {
    std::vector<std::string> unusable;
    std::vector<std::string> files = expandRecordFiles(options.files, unusable);
    for (const std::string& entry : unusable)
        std::cerr << "vantory-cli: " << entry << ": no such file or directory" << std::endl;
    if (options.frames > 0 && files.size() > static_cast<std::size_t>(options.frames))
        files.resize(static_cast<std::size_t>(options.frames));
    if (files.empty()) {
        std::cerr << "vantory-cli: no record file to measure" << std::endl;
        return kExitNoFrames;
    }

    StatsCollector collector(roiOf(options), static_cast<int>(std::min<std::size_t>(
                                                 files.size(), va::TemporalNoise::kMaxDepth)));
    Movoda::exporters::RecordFrameLoader loader;
    std::size_t failed = 0;
    for (const std::string& file : files) {
        if (interrupted.load()) break;
        const Movoda::exporters::LoadedFrame loaded = loader.load(file);
        if (!loaded.frame) {
            std::cerr << "failed: " << file << ": " << loaded.error << std::endl;
            ++failed;
            continue;
        }
        collector.add(*loaded.frame);
    }
    if (collector.frames() == 0) {
        std::cerr << "vantory-cli: none of the files held a usable frame" << std::endl;
        return kExitNoFrames;
    }
    out(collector.json("files", std::nullopt));
    if (interrupted.load()) return kExitInterrupted;
    return failed > 0 || !unusable.empty() ? kExitConvertFailed : kExitOk;
}

}  // namespace

int runStats(const CliOptions& options, const LineSink& out, const std::atomic<bool>& interrupted) {
    return options.address.empty() ? statsOfFiles(options, out, interrupted)
                                   : statsOfCamera(options, out, interrupted);
}

}  // namespace vantory_cli
