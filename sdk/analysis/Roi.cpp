#include "analysis/Roi.h"

#include <algorithm>
#include <cstdint>

namespace vantory::analysis {

Roi clampRoi(Roi roi, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (roi.width <= 0 || roi.height <= 0) return Roi{0, 0, width, height};
    // 64-bit edges: x + width of a hostile rectangle may not fit an int.
    const int64_t x0 = std::clamp<int64_t>(roi.x, 0, width);
    const int64_t y0 = std::clamp<int64_t>(roi.y, 0, height);
    const int64_t x1 = std::clamp<int64_t>(int64_t{roi.x} + roi.width, 0, width);
    const int64_t y1 = std::clamp<int64_t>(int64_t{roi.y} + roi.height, 0, height);
    if (x1 <= x0 || y1 <= y0) return Roi{static_cast<int>(x0), static_cast<int>(y0), 0, 0};
    return Roi{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
               static_cast<int>(y1 - y0)};
}

}  // namespace vantory::analysis
