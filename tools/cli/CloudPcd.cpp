// The snapshot's cloud goes through the shared exporters (PCL's binary PCD writer).
#include "SnapshotFiles.h"
#include "export/FrameCloud.h"
#include "mvsdk/Frame.h"

namespace vantory_cli {

bool writeCloudPcd(const Movoda::Frame& frame, const std::string& path, std::string& why) {
    namespace ex = Movoda::exporters;
    const ex::CloudPtr cloud = ex::frameCloud(frame, why);
    return cloud && ex::writeCloud(*cloud, path, ex::CloudFormat::PcdBinary, why);
}

}  // namespace vantory_cli
