// A frame's point cloud turned into the display cloud: points outside the distance window
// along the forward axis are dropped (NaN), the intensity is chosen by the render type,
// and the brightest reflectivity is tracked for the automatic maximum.
#pragma once

#include <cstdint>

#include "CloudTypes.h"
#include "DisplaySettings.h"

namespace Movoda {
class Frame;
}

namespace vantory::cloudview {

// Fills `cloud` with the frame's width x height points and returns the largest
// intensity below the reflectivity ceiling (kReflectAutoStart when none is larger, or
// when the automatic maximum does not apply). Reuses the cloud's storage.
int buildFrameCloud(const Movoda::Frame& frame, const DisplayValues& display, Cloud& cloud);

// The automatic reflectivity maximum: r stays while it lies within 90 %..170 % of the
// peak m, else becomes 130 % of m; never above kReflectAutoCap. Integer arithmetic.
int reflectivityAutoMax(int r, int m);

// Index of the selected pixel in a width x height cloud; a column or row outside the
// frame counts as 0.
std::int32_t pickedPointIndex(int column, int row, int width, int height);

// The frame's capture time in microseconds (the cloud header's stamp).
std::uint64_t captureStampUs(const Movoda::Frame& frame);

}  // namespace vantory::cloudview
