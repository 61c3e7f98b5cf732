// Version and limits of the point-cloud filter library.
#pragma once

#include "mvpclfilter/MvPclFilter.h"

namespace Movoda::pclfilter {

constexpr int32_t kVersionMajor = 1;
constexpr int32_t kVersionMinor = 0;
constexpr int32_t kVersionPatch = 0;

constexpr float kMaxStddevMultiplier = 100.0f;
constexpr float kMaxRadiusPerMetre = 1.0f;
// Points round a point in its 5 x 5 pixel window.
constexpr int32_t kWindowNeighbours = 24;
// Neighbours per point in PCL's statistical filter for clouds without a grid.
constexpr int kUnorganisedMeanK = 8;

inline Config defaultConfig() {
    Config c;
    c.versionMajor = kVersionMajor;
    c.versionMinor = kVersionMinor;
    c.versionPatch = kVersionPatch;
    return c;
}

}  // namespace Movoda::pclfilter
