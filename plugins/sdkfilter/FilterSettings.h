// What the values of the filter chain's setters mean to this library. Each function turns
// the values one setter receives into the settings of its filter, or into nothing when
// they switch the filter off or cannot be used (the chain then keeps that filter off).
#pragma once

#include <cstdint>
#include <optional>

#include "DustFilter.h"
#include "EdgePreservingSmoother.h"
#include "KalmanFilter.h"
#include "RunningWindowFilter.h"

namespace Movoda::sdkfilter {

// Threshold in mm; 0 is off.
std::optional<uint32_t> edgeSettings(uint16_t threshold);

// Kernel 3 or 5; anything else is off.
std::optional<int> medianSettings(uint16_t kernel);

// Gain in thousandths (1 .. 1000), reset threshold in mm (> 0), and the distance in mm
// beyond which the threshold grows with the distance (0: it never does).
std::optional<KalmanSettings> kalmanSettings(uint16_t gainPerMille, uint16_t thresholdMm,
                                             uint16_t referenceMm);

// Window in frames (0 is off); a pixel that leaves its mean by more than restartMm starts
// its window again (0: never).
std::optional<WindowSettings> averageSettings(uint16_t window, uint16_t restartMm);

// Tolerance in mm plus 10000 times the dust type (only type 0, "similar over several
// frames", exists), the frames remembered, the share of them that must agree in per cent,
// and the range in mm up to which pixels are checked (0: all).
std::optional<DustSettings> dustSettings(uint16_t toleranceAndType, uint16_t frames,
                                         uint16_t validPercent, uint16_t rangeMm);

// The cloud passes: near-range erosion by the distance divisor, then a motion-adaptive
// window of `window` frames that shrinks to `motion` frames where the pixel moves. The
// switch turns both off; a window of 0 leaves only the erosion.
struct CloudSettings {
    float erosionDivisor = 0;
    WindowSettings motion;
};
std::optional<CloudSettings> cloudSettings(const float* distanceDivisor, const uint8_t* on,
                                           uint32_t window, uint8_t motion);

struct ReflectivitySettings {
    float lower = 0;
    float upper = 0;
};
// Band in per cent: 0 <= lower <= upper, upper > 0.
std::optional<ReflectivitySettings> reflectivitySettings(const float* lower, const float* upper);

// Iterations (1 .. kMaxSmoothIterations), delta in mm (> 0), alpha in (0, 1].
std::optional<SmoothSettings> smoothSettings(const int* iterations, const int* delta,
                                             const float* alpha);

}  // namespace Movoda::sdkfilter
