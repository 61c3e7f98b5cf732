// Process-wide values that the frame decoder reads: SDK binning factors and the
// reflectivity limit.
// Atomics, so that the application thread may change them while frames are decoded.
#pragma once

#include <cstdint>

namespace Movoda::frame_settings {

// 0 or 1 leaves a direction unbinned. Taken by every frame constructed afterwards.
void setSdkBinning(uint16_t x, uint16_t y);
uint16_t sdkBinningX();
uint16_t sdkBinningY();

// 0 switches the limit off.
void setReflectivityLimit(uint32_t limit);
uint32_t reflectivityLimit();

}  // namespace Movoda::frame_settings
