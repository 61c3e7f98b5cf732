// Writing one frame to disk: distances as CSV, the point cloud as a binary PCD.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace Movoda {
class Frame;
}

namespace vantory_cli {

// One line per image row, values separated by commas, in millimetres; camera codes (no
// measurement) are written as 0. False when the plane is missing or smaller than the image.
bool writeDistanceCsv(std::ostream& out, const uint32_t* distances, size_t count, uint16_t width,
                      uint16_t height);

// Organised XYZI cloud (one point per pixel, dropped points NaN), binary PCD. False with
// `why` set when the frame has no cloud or the file cannot be written.
bool writeCloudPcd(const Movoda::Frame& frame, const std::string& path, std::string& why);

}  // namespace vantory_cli
