// The display cloud: XYZI points organised like the frame, dropped points NaN.
#pragma once

#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

namespace vantory::cloudview {

using Cloud = pcl::PointCloud<pcl::PointXYZI>;
using CloudPtr = Cloud::Ptr;
using CloudConstPtr = Cloud::ConstPtr;

}  // namespace vantory::cloudview
