// Erodes the rims of measured regions near the camera. Close to the lens an object's rim
// spans more pixels, and the pixels there mix object and background; the radius, in
// pixels, is the distance divisor over the pixel's distance in metres (at most
// kMaxErosionRadius), so far pixels are left alone. A pixel is removed when a gap lies
// within its radius (the square window round it). A gap is a pixel without a measurement
// next to another one (background, or the flying pixels the edge filter took); a single
// missing pixel inside a surface is no rim, and neither is the image border.
#pragma once

#include <cstdint>
#include <vector>

#include "FrameView.h"

namespace Movoda::sdkfilter {

class NearRangeErosion {
public:
    // 0 switches the erosion off.
    void setDivisor(float divisor) { divisor_ = divisor; }
    // Returns the number of pixels removed.
    size_t apply(FrameView& view);

private:
    float divisor_ = 0;
    std::vector<uint8_t> missing_;  // 1 for an unmeasured pixel, with a measured border
    std::vector<uint8_t> gap_;      // per pixel: 1 for a gap
    std::vector<uint8_t> rowGap_;   // per pixel: columns to the nearest gap in its row
    std::vector<uint8_t> window_;   // one row: square-window distance to the nearest gap
};

}  // namespace Movoda::sdkfilter
