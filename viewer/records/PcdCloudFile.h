// PCD files (binary or text, as the point-cloud library writes them) read into the
// display cloud for playback.
#pragma once

#include <string>

#include "CloudTypes.h"

namespace vantory::records {

// Empty when the reader rejects the file.
cloudview::CloudPtr readPcdCloud(const std::string& path);

}  // namespace vantory::records
