// Erodes the rims of measured regions near the camera. Close to the lens an object's rim
// spans more pixels, and the pixels there mix object and background; the radius, in
// pixels, is the distance divisor over the pixel's distance in metres (at most
// kMaxErosionRadius), so far pixels are left alone. A pixel is removed when a pixel
// without a measurement lies within its radius (the square window round it); the image
// border is not a rim.
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
    std::vector<uint8_t> rowGap_;  // per pixel: columns to the nearest unmeasured pixel in its row
};

}  // namespace Movoda::sdkfilter
