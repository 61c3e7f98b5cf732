// Statistics of one pixel plane inside a rectangle: how many pixels carry a measurement,
// and mean, median, standard deviation and extremes of those that do.
#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/PlaneRules.h"
#include "analysis/Roi.h"

namespace vantory::analysis {

// pixels: inside the (clamped) rectangle; valid: of those, the measured ones. Without a
// measured pixel every figure from mean on is NaN. stddev is the population standard
// deviation; median of an even count is the mean of the two middle values.
struct PlaneStats {
    std::size_t pixels = 0;
    std::size_t valid = 0;
    double validShare = 0;
    double mean = 0;
    double median = 0;
    double stddev = 0;
    double min = 0;
    double max = 0;
};

// A 16-bit plane of width x height values, row after row (amplitude, grayscale, distance as
// the camera sends it). Values >= invalidFrom are codes; with zeroIsInvalid so is 0.
PlaneStats planeStats(const std::uint16_t* plane, int width, int height, Roi roi,
                      std::uint16_t invalidFrom, bool zeroIsInvalid = false);

// The SDK's 32-bit distance plane: by default codes from kDistanceInvalidFrom up and 0 are
// not measured.
PlaneStats planeStats(const std::uint32_t* plane, int width, int height, Roi roi,
                      std::uint32_t invalidFrom = kDistanceInvalidFrom, bool zeroIsInvalid = true);

// A float plane (reflectivity): NaN, infinite and values <= 0 are not measured.
PlaneStats planeStats(const float* plane, int width, int height, Roi roi);

}  // namespace vantory::analysis
