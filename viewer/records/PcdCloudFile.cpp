#include "PcdCloudFile.h"

#include <pcl/io/pcd_io.h>

namespace vantory::records {

cloudview::CloudPtr readPcdCloud(const std::string& path) {
    auto cloud = std::make_shared<cloudview::Cloud>();
    pcl::PCDReader reader;
    if (reader.read(path, *cloud) < 0) return nullptr;
    return cloud;
}

}  // namespace vantory::records
