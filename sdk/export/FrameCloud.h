// A frame's point cloud as a PCL cloud, and writing clouds through PCL's writers.
#pragma once

#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include <functional>
#include <string>

namespace Movoda {
class Frame;
}

namespace Movoda::exporters {

using Cloud = pcl::PointCloud<pcl::PointXYZI>;
using CloudPtr = Cloud::Ptr;
using CloudConstPtr = Cloud::ConstPtr;

// Applied to a cloud before it is written (for example an outlier filter); returns the
// cloud to write. Empty: the cloud is written as it is.
using CloudFilter = std::function<CloudConstPtr(const CloudConstPtr&)>;

enum class CloudFormat { PcdBinary, PlyBinary };

// Organised like the frame (width x height), one point per pixel; points without a finite
// position are NaN, intensity as the frame computed it. Empty, with `why`, when the frame
// carries no cloud.
CloudPtr frameCloud(const Frame& frame, std::string& why);

// False, with `why`, when the writer failed (PCL's errors and exceptions both count).
bool writeCloud(const Cloud& cloud, const std::string& path, CloudFormat format, std::string& why);

// The filter's cloud when there is a filter, else the cloud itself; an empty result is
// taken as "the filter failed" and reported.
CloudConstPtr applyCloudFilter(const CloudFilter& filter, const CloudConstPtr& cloud,
                               std::string& why);

}  // namespace Movoda::exporters
