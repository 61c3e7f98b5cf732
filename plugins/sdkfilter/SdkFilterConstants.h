// Codes, marks and limits of the frame filter library.
#pragma once

#include <cstdint>

namespace Movoda::sdkfilter {

constexpr const char* kVersionText = "mvsdk_shared 1.0.0";
constexpr const char* kLogTag = "Movoda::SdkFilter";

// Distance codes of pixels a filter removed. They lie above the camera's own codes
// (964000 to 965535), so a reader can tell which stage dropped a pixel; like every
// distance from 964000 on they carry no measurement.
constexpr uint32_t kRemovedFlyingPixel = 966001;
constexpr uint32_t kRemovedNearEdge = 966002;
constexpr uint32_t kRemovedDust = 966003;
constexpr uint32_t kRemovedReflectivity = 966004;

// Pixel marks written with the codes above when option bit kOptionMarkRemoved is set.
constexpr uint8_t kMarkFlyingPixel = 1;
constexpr uint8_t kMarkNearEdge = 2;
constexpr uint8_t kMarkDust = 3;
constexpr uint8_t kMarkReflectivity = 4;
constexpr uint64_t kOptionMarkRemoved = 1;

// Accepted settings.
constexpr uint16_t kMaxGainPerMille = 1000;
constexpr uint16_t kMaxTemporalWindow = 32;
constexpr uint16_t kMaxDustFrames = 16;
constexpr uint16_t kDustTypeStep = 10000;
constexpr uint16_t kMaxPercent = 100;
constexpr int kMaxSmoothIterations = 8;
constexpr float kMaxErosionDivisor = 100.0f;

// Largest erosion radius of the near-range pass, in pixels.
constexpr int kMaxErosionRadius = 3;
// A pixel counts as moving when it leaves its window mean by more than this share of its
// distance, and at least by the floor (well above the noise of a still pixel).
constexpr float kMotionShare = 0.02f;
constexpr float kMotionFloorMm = 20.0f;

}  // namespace Movoda::sdkfilter
