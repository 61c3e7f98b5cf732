#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sys/stat.h>

#include "CameraSession.h"
#include "CliConstants.h"
#include "Commands.h"
#include "SnapshotFiles.h"
#include "StreamSetup.h"

namespace vantory_cli {

namespace {

// Holds the first frame that carries a point cloud.
class FirstFrame {
public:
    void offer(const std::shared_ptr<const Movoda::Frame>& frame) {
        if (!frame->hasCloud()) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (frame_) return;
        frame_ = frame;
        cv_.notify_all();
    }
    std::shared_ptr<const Movoda::Frame> wait(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait_for(lock, timeout, [this] { return frame_ != nullptr; });
        return frame_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::shared_ptr<const Movoda::Frame> frame_;
};

bool ensureDirectory(const std::string& dir, std::string& why) {
    struct stat info {};
    if (::stat(dir.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return true;
        why = dir + " is not a directory";
        return false;
    }
    if (::mkdir(dir.c_str(), 0755) == 0) return true;
    why = "cannot create " + dir + ": " + std::strerror(errno);
    return false;
}

}  // namespace

int runSnapshot(const CliOptions& options, const LineSink& out) {
    std::string why;
    if (!ensureDirectory(options.outDir, why)) {
        std::cerr << "vantory-cli: " << why << std::endl;
        return kExitWriteFailed;
    }
    FirstFrame first;
    CameraSession session(
        [&first](const std::shared_ptr<const Movoda::Frame>& frame) { first.offer(frame); });
    if (const int connected = session.connectOrReport(options, true); connected != kExitOk)
        return connected;
    CliOptions streaming = options;
    streaming.type = Movoda::IMG_POINTCLOUDAMP;
    if (!startStreaming(session, streaming, why)) {
        std::cerr << "vantory-cli: " << why << std::endl;
        return kExitCommandFailed;
    }
    const auto frame = first.wait(std::chrono::milliseconds(kSnapshotFrameTimeoutMs));
    session.command([](Movoda::MvSdk& s) { return s.stop(); });
    if (!frame) {
        std::cerr << "vantory-cli: no frame with a point cloud arrived within "
                  << kSnapshotFrameTimeoutMs / 1000 << " s" << std::endl;
        return kExitNoFrames;
    }

    const std::string stem = options.outDir + "/frame_" + std::to_string(frame->frameId());
    const std::string pcdPath = stem + ".pcd";
    const std::string csvPath = stem + ".csv";
    if (!writeCloudPcd(*frame, pcdPath, why)) {
        std::cerr << "vantory-cli: " << why << std::endl;
        return kExitWriteFailed;
    }
    std::ofstream csv(csvPath, std::ios::binary | std::ios::trunc);
    if (!csv || !writeDistanceCsv(csv, frame->distancePlane(), frame->pixelCount(), frame->width(),
                                  frame->height())) {
        std::cerr << "vantory-cli: cannot write " << csvPath << std::endl;
        return kExitWriteFailed;
    }
    out("pcd: " + pcdPath);
    out("csv: " + csvPath);
    return kExitOk;
}

}  // namespace vantory_cli
