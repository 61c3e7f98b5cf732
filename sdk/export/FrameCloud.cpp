// The only exporter source that includes PCL's writers: their headers are heavy.
#include "export/FrameCloud.h"

#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

#include <cmath>
#include <limits>

#include "mvsdk/Frame.h"

namespace Movoda::exporters {

CloudPtr frameCloud(const Frame& frame, std::string& why) {
    const size_t width = frame.width();
    const size_t height = frame.height();
    const float* data = frame.cloudData();
    if (!frame.hasCloud() || data == nullptr || width == 0 ||
        frame.cloudPointCount() < width * height) {
        why = "the frame carries no point cloud";
        return nullptr;
    }
    auto cloud = std::make_shared<Cloud>();
    cloud->width = static_cast<uint32_t>(width);
    cloud->height = static_cast<uint32_t>(height);
    cloud->is_dense = false;
    cloud->header.frame_id = "sensor_frame";
    cloud->points.resize(width * height);
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    for (size_t i = 0; i < width * height; ++i) {
        const float* p = data + i * Frame::kCloudStride;
        pcl::PointXYZI& point = cloud->points[i];
        const bool valid = std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
        point.x = valid ? p[0] : kNaN;
        point.y = valid ? p[1] : kNaN;
        point.z = valid ? p[2] : kNaN;
        point.intensity = std::isfinite(p[3]) ? p[3] : 0.0f;
    }
    return cloud;
}

bool writeCloud(const Cloud& cloud, const std::string& path, CloudFormat format, std::string& why) {
    int status = -1;
    try {
        status = format == CloudFormat::PcdBinary ? pcl::io::savePCDFileBinary(path, cloud)
                                                  : pcl::io::savePLYFileBinary(path, cloud);
    } catch (const std::exception& e) {  // PCL throws when the file cannot be opened
        why = "cannot write " + path + ": " + e.what();
        return false;
    }
    if (status != 0) {
        why = "cannot write " + path;
        return false;
    }
    return true;
}

CloudConstPtr applyCloudFilter(const CloudFilter& filter, const CloudConstPtr& cloud,
                               std::string& why) {
    if (!filter || !cloud) return cloud;
    CloudConstPtr filtered = filter(cloud);
    if (!filtered) why = "the cloud filter returned no cloud";
    return filtered;
}

}  // namespace Movoda::exporters
