// A frame's planes as image files through OpenCV: the distance plane as a lossless 16-bit
// PNG in millimetres, and 8-bit JPEG pictures of distance, amplitude and grayscale.
#pragma once

#include <string>
#include <vector>

namespace Movoda {
class Frame;
}

namespace Movoda::exporters {

// Pixels without a measurement (camera codes) and distances beyond 65535 mm are 0.
bool writeDistancePng16(const Frame& frame, const std::string& path, std::string& why);

// base + "_dist.jpg", "_amp.jpg", "_gs.jpg" for the planes the frame carries; the paths
// written go to `written`. False, with `why`, when the frame has none of them or a file
// could not be written.
bool writeFrameJpegs(const Frame& frame, const std::string& base, std::vector<std::string>& written,
                     std::string& why);

}  // namespace Movoda::exporters
