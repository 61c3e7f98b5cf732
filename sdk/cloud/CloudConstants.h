// Constants of the point-cloud processor: sensor grids, the alternate lens, the default
// IMU extrinsic and the thresholds of the per-frame checks.
#pragma once

#include <cstdint>

#include "mvsdk/MvTypes.h"

namespace Movoda::cloud_constants {

constexpr uint32_t kFullGridWidth = 320;
constexpr uint32_t kFullGridHeight = 240;
constexpr uint32_t kSmallGridWidth = 160;
constexpr uint32_t kSmallGridHeight = 60;

// A frame with fewer pixels than this (halved per camera binning direction) is taken to
// come from the small sensor.
constexpr uint32_t kSmallSensorPixels = 9700;
constexpr uint32_t kSmallSensorPixelsColumnBinned = 4850;

// Corner radius: 0 or above this switches the cut off; divided on the small sensor.
constexpr uint32_t kMaxCornerRadius = 201;
constexpr uint32_t kSmallSensorRadiusDivisor = 4;

// Amplitude code that the amplitude floor always removes.
constexpr uint16_t kAmplitudeFloorCode = 64007;

// Data type whose frames carry amplitude and reflectivity.
constexpr uint16_t kDataTypeDistanceAmplitude = 0;

// The lens in use before any calibration arrives, and for a calibration that is unusable.
inline LensParams defaultLens() { return LensParams{}; }

inline LensParams alternateLens() {
    LensParams p;
    p.fx = 78.212524f;
    p.fy = 79.05553f;
    p.cx = 80.70197f;
    p.cy = 26.804274f;
    p.k1 = -0.30247f;
    p.k2 = 0.074865f;
    p.k3 = 0.0f;
    p.p1 = -0.002307f;
    p.p2 = -0.0014f;
    return p;
}

inline ImuExtrinsic defaultExtrinsic() {
    ImuExtrinsic e;
    e.qw = 0.0f;
    e.qx = 0.7071068f;
    e.qy = 0.0f;
    e.qz = 0.7071068f;
    e.tx = -0.02932f;
    e.ty = 0.023823f;
    e.tz = -0.001697f;
    return e;
}

}  // namespace Movoda::cloud_constants
