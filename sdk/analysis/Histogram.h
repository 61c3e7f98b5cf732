// Histogram of a plane inside a rectangle, with the shares of saturated and of weak
// (low-amplitude) pixels that a user checks before trusting the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/AutoRange.h"
#include "analysis/PlaneRules.h"
#include "analysis/Roi.h"

namespace vantory::analysis {

// bins split [low, high] evenly; measured values outside it count in the first or last
// bin. total: pixels of the rectangle; saturated: pixels the camera marked saturated;
// lowAmplitude: pixels marked "no signal" and measured pixels whose amplitude is below the
// threshold. A pixel is in at most one of the two.
struct Histogram {
    double low = 0;
    double high = 0;
    std::vector<std::uint32_t> bins;
    std::size_t total = 0;
    std::size_t saturated = 0;
    std::size_t lowAmplitude = 0;

    double saturatedShare() const;
    double lowAmplitudeShare() const;
    // Lower edge of bin i.
    double binLow(std::size_t i) const;
};

constexpr int kDefaultHistogramBins = 64;
constexpr int kMaxHistogramBins = 4096;

// A 16-bit plane (amplitude, or distance as the camera sends it): values >= invalidFrom
// are codes, 0 too with zeroIsInvalid. `amplitude` (may be the plane itself, or nullptr)
// decides the weak pixels: measured amplitudes below lowAmplitudeBelow, and the
// saturated ones: amplitude codes. binCount is clamped to 1..kMaxHistogramBins; an
// unknown or empty range becomes the measured values' own range.
Histogram histogramOf(const std::uint16_t* plane, int width, int height, Roi roi, int binCount,
                      ValueRange range, std::uint16_t invalidFrom = kAmplitudeInvalidFrom,
                      bool zeroIsInvalid = false, const std::uint16_t* amplitude = nullptr,
                      std::uint16_t lowAmplitudeBelow = kDefaultLowAmplitudeBelow);

// The SDK's 32-bit distance plane (codes from kDistanceInvalidFrom, and 0, not measured),
// with its amplitude plane (may be nullptr: then only the distance codes decide).
Histogram histogramOf(const std::uint32_t* distance, int width, int height, Roi roi, int binCount,
                      ValueRange range, const std::uint16_t* amplitude = nullptr,
                      std::uint16_t lowAmplitudeBelow = kDefaultLowAmplitudeBelow);

}  // namespace vantory::analysis
