// vantory-cli record: the viewer's recorder without the viewer. Frames go from the SDK's
// frame thread into the recorder's queue; its writer thread writes one record file each.
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>

#include "CameraSession.h"
#include "CliConstants.h"
#include "Commands.h"
#include "StreamSetup.h"
#include "records/Recorder.h"

namespace vantory_cli {

namespace {

namespace mr = Movoda::records;
using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(100);

// What the recorder reports, for the waiting main thread.
struct RecordWatch {
    std::mutex mutex;
    std::condition_variable changed;
    std::string failure;  // the recording stopped by itself
    Clock::time_point lastFrame = Clock::now();
    int lastWritten = 0;
};

mr::RecordInfo recordInfoOf(CameraSession& session) {
    mr::RecordInfo info;
    Movoda::DevInfo device;
    if (session.command([&device](Movoda::MvSdk& s) { return s.getDevInfo(device); })) {
        info.serial = device.sn;
        info.firmware = device.fwVersion;
    }
    return info;
}

}  // namespace

int runRecord(const CliOptions& options, const LineSink& out,
              const std::atomic<bool>& interrupted) {
    RecordWatch watch;
    CameraSession* sessionForLens = nullptr;
    mr::Recorder::Hooks hooks;
    hooks.queryLens = [&sessionForLens](Movoda::LensParams& lens) {
        return sessionForLens != nullptr && sessionForLens->command([&lens](Movoda::MvSdk& s) {
            return s.getLensCalidata(lens);
        });
    };
    hooks.countsChanged = [&watch] { watch.changed.notify_all(); };
    hooks.log = [](const std::string& line) { std::cerr << line << std::endl; };
    hooks.failed = [&watch](const std::string& title, const std::string& text) {
        {
            std::lock_guard<std::mutex> lock(watch.mutex);
            watch.failure = title + ": " + text;
        }
        watch.changed.notify_all();
    };
    mr::Recorder recorder(std::move(hooks), options.outDir);

    // Frames come from the SDK's tap, not the frame callback: every frame the camera sends
    // is recorded, also when decoding falls behind on a busy computer.
    CameraSession session(nullptr);
    session.sdk().setFrameTap([&recorder](const std::shared_ptr<const Movoda::Frame>& frame) {
        recorder.recordFrame(frame->version(), frame->packet());
    });
    sessionForLens = &session;
    std::string why;
    if (const int connected = session.connectOrReport(options, true); connected != kExitOk)
        return connected;
    const mr::RecordInfo info = recordInfoOf(session);
    recorder.setNoLimit(options.frames == 0);
    recorder.start(info, options.frames != 0 ? options.frames : mr::kDefaultFrameLimit);
    if (!startStreaming(session, options, why)) {
        recorder.stop();
        std::cerr << "vantory-cli: " << why << std::endl;
        return kExitCommandFailed;
    }

    const Clock::time_point started = Clock::now();
    const auto duration =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.seconds));
    bool stalled = false;
    {
        std::unique_lock<std::mutex> lock(watch.mutex);
        watch.lastFrame = started;
        for (;;) {
            if (interrupted.load() || !watch.failure.empty() || recorder.complete()) break;
            const Clock::time_point now = Clock::now();
            if (options.frames == 0 && now - started >= duration) break;
            const int written = recorder.counts().written;
            if (written != watch.lastWritten) {
                watch.lastWritten = written;
                watch.lastFrame = now;
            } else if (now - watch.lastFrame >=
                       std::chrono::milliseconds(kSnapshotFrameTimeoutMs)) {
                stalled = true;
                break;
            }
            watch.changed.wait_for(lock, kPollStep);
        }
    }
    session.command([](Movoda::MvSdk& s) { return s.stop(); });
    session.sdk().setFrameTap(nullptr);
    recorder.stop();
    recorder.waitIdle(kRecordDrainTimeoutMs);

    const mr::RecordingCounts counts = recorder.counts();
    std::string failure;
    {
        std::lock_guard<std::mutex> lock(watch.mutex);
        failure = watch.failure;
    }
    out("directory: " + (counts.directory.empty() ? std::string("(none)") : counts.directory));
    out("frames: " + std::to_string(counts.written) + " written, " +
        std::to_string(counts.dropped) + " dropped, " + std::to_string(counts.failed) + " failed");
    if (!failure.empty()) {
        std::cerr << "vantory-cli: " << failure << std::endl;
        return kExitWriteFailed;
    }
    if (counts.failed > 0) return kExitWriteFailed;
    if (interrupted.load()) return kExitInterrupted;
    if (stalled) {
        std::cerr << "vantory-cli: no frame arrived for " << kSnapshotFrameTimeoutMs / 1000 << " s"
                  << std::endl;
        return kExitNoFrames;
    }
    return counts.written > 0 ? kExitOk : kExitNoFrames;
}

}  // namespace vantory_cli
