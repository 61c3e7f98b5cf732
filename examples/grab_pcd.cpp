// Streams 100 point-cloud frames from one camera and writes the middle one (the 50th) as
// a binary PCD file.
//
//   grab_pcd ADDRESS [OUT.pcd] [IMAGE_PORT]    (defaults: frame.pcd, 7687)
#include <pcl/io/pcd_io.h>
#include <pcl/point_types.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "CameraConnection.h"

namespace {

constexpr int kFrames = 100;
constexpr int kKept = kFrames / 2;

// Counts the frames that carry a point cloud and keeps the middle one. Frames are handed
// over as shared pointers to constant objects, so keeping one is safe.
class FrameCollector {
public:
    void offer(const std::shared_ptr<const Movoda::Frame>& frame) {
        if (!frame || !frame->hasCloud()) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (++count_ == kKept) kept_ = frame;
        if (count_ == kFrames) done_.notify_all();
    }
    std::shared_ptr<const Movoda::Frame> wait(std::chrono::seconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait_for(lock, timeout, [this] { return count_ >= kFrames; });
        return count_ >= kFrames ? kept_ : nullptr;
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    int count_ = 0;
    std::shared_ptr<const Movoda::Frame> kept_;
};

// x, y, z and intensity per point; points the camera could not measure become NaN.
pcl::PointCloud<pcl::PointXYZI> toCloud(const Movoda::Frame& frame) {
    pcl::PointCloud<pcl::PointXYZI> cloud(frame.width(), frame.height());
    cloud.is_dense = false;
    const float* p = frame.cloudData();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (pcl::PointXYZI& point : cloud.points) {
        const bool valid = std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
        point.x = valid ? p[0] : nan;
        point.y = valid ? p[1] : nan;
        point.z = valid ? p[2] : nan;
        point.intensity = std::isfinite(p[3]) ? p[3] : 0.0f;
        p += Movoda::Frame::kCloudStride;
    }
    return cloud;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "Usage: %s ADDRESS [OUT.pcd] [IMAGE_PORT]\n", argv[0]);
        return 2;
    }
    const std::string out = argc > 2 ? argv[2] : "frame.pcd";
    const long port = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 7687;
    if (port < 1 || port > 9999) {
        std::fprintf(stderr, "the image port must be 1 to 9999\n");
        return 2;
    }

    FrameCollector collector;
    CameraConnection camera([&collector](const std::shared_ptr<const Movoda::Frame>& frame) {
        collector.offer(frame);
    });
    if (!camera.connect(argv[1], static_cast<uint16_t>(port), std::chrono::seconds(10))) {
        std::fprintf(stderr, "no camera answered at %s\n", argv[1]);
        return 1;
    }
    if (!camera.sdk().start(Movoda::IMG_POINTCLOUDAMP, false)) {
        std::fprintf(stderr, "the camera did not start streaming\n");
        return 1;
    }
    // 100 frames take 10 s at the camera's lowest usual rate of 10 frames a second.
    const auto frame = collector.wait(std::chrono::seconds(30));
    camera.sdk().stop();
    if (!frame || frame->cloudPointCount() < size_t(frame->width()) * frame->height()) {
        std::fprintf(stderr, "fewer than %d frames with a point cloud arrived\n", kFrames);
        return 1;
    }
    bool written = false;
    try {
        written = pcl::io::savePCDFileBinary(out, toCloud(*frame)) == 0;
    } catch (const pcl::IOException&) {  // thrown when the file cannot be opened
    }
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("frame number %llu (frame %d of %d) written to %s\n",
                static_cast<unsigned long long>(frame->frameId()), kKept, kFrames, out.c_str());
    return 0;
}
