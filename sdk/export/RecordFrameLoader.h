// A record file back to a decoded frame, without a camera or an SDK instance: the file is
// read through the record-file library, checked like a received frame, decoded, and given
// its point cloud with the lens the file carries (the information block, or the lens of an
// older file; the default lens otherwise).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mvsdk/Frame.h"

namespace Movoda {
class PointCloudProcessor;
}

namespace Movoda::records {
struct RecordReadResult;
}

namespace Movoda::exporters {

struct LoadedFrame {
    std::shared_ptr<Frame> frame;  // empty when the file could not be used
    std::string error;             // why not
};

// Keeps the point-cloud tables between files of one lens; one per thread.
class RecordFrameLoader {
public:
    RecordFrameLoader();
    ~RecordFrameLoader();
    RecordFrameLoader(const RecordFrameLoader&) = delete;
    RecordFrameLoader& operator=(const RecordFrameLoader&) = delete;

    // The frame is named after the file (base name without ".xbin").
    LoadedFrame load(const std::string& path);
    // The same from the bytes of a record file.
    LoadedFrame loadBytes(const std::vector<uint8_t>& bytes, const std::string& name);

private:
    LoadedFrame fromRead(const records::RecordReadResult& read, const std::string& name);

    std::unique_ptr<PointCloudProcessor> cloud_;
};

// Base name of a path without its directory and, when it ends so, without `suffix`.
std::string baseNameOf(const std::string& path, const std::string& suffix);

}  // namespace Movoda::exporters
