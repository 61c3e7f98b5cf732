// The only source file that includes PCL: its headers are heavy.
#include <pcl/io/pcd_io.h>
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include <cmath>
#include <limits>

#include "SnapshotFiles.h"
#include "mvsdk/Frame.h"

namespace vantory_cli {

bool writeCloudPcd(const Movoda::Frame& frame, const std::string& path, std::string& why) {
    const size_t width = frame.width();
    const size_t height = frame.height();
    const float* data = frame.cloudData();
    if (!frame.hasCloud() || data == nullptr || width == 0 ||
        frame.cloudPointCount() < width * height) {
        why = "the frame carries no point cloud";
        return false;
    }
    pcl::PointCloud<pcl::PointXYZI> cloud;
    cloud.width = static_cast<uint32_t>(width);
    cloud.height = static_cast<uint32_t>(height);
    cloud.is_dense = false;
    cloud.header.frame_id = "sensor_frame";
    cloud.points.resize(width * height);
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    for (size_t i = 0; i < width * height; ++i) {
        const float* p = data + i * Movoda::Frame::kCloudStride;
        pcl::PointXYZI& point = cloud.points[i];
        const bool valid = std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
        point.x = valid ? p[0] : kNaN;
        point.y = valid ? p[1] : kNaN;
        point.z = valid ? p[2] : kNaN;
        point.intensity = std::isfinite(p[3]) ? p[3] : 0.0f;
    }
    try {
        if (pcl::io::savePCDFileBinary(path, cloud) == 0) return true;
    } catch (const std::exception& e) {  // PCL throws when the file cannot be opened
        why = "cannot write " + path + ": " + e.what();
        return false;
    }
    why = "cannot write " + path;
    return false;
}

}  // namespace vantory_cli
