// Colour range that follows the picture: the frame's low and high percentiles of the
// measured values, smoothed over frames so the colours do not flicker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "analysis/PlaneRules.h"

namespace vantory::analysis {

// low and high are NaN when the range is unknown (no measured pixel).
struct ValueRange {
    double low = 0;
    double high = 0;
};

constexpr double kDefaultLowShare = 0.01;
constexpr double kDefaultHighShare = 0.99;

bool isKnown(const ValueRange& range);

// Nearest-rank percentiles of the measured values of a plane of `count` values: low is the
// smallest value with at least lowShare of the values at or below it, high likewise. The
// rules of measured values are those of planeStats. NaN bounds when nothing is measured.
ValueRange percentileRange(const std::uint16_t* plane, std::size_t count, double lowShare,
                           double highShare, std::uint16_t invalidFrom, bool zeroIsInvalid = false);
ValueRange percentileRange(const std::uint32_t* plane, std::size_t count, double lowShare,
                           double highShare, std::uint32_t invalidFrom = kDistanceInvalidFrom,
                           bool zeroIsInvalid = true);

// Exponential smoothing of successive frame ranges: each update moves the range by
// `factor` (0..1] of the way to the frame's range; the first known range is taken as it is.
class AutoRange {
public:
    static constexpr double kDefaultFactor = 0.2;

    explicit AutoRange(double factor = kDefaultFactor) { setFactor(factor); }

    // An unknown frame range leaves the range as it is. Returns the smoothed range (unknown
    // until a known frame range arrived).
    ValueRange update(const ValueRange& frameRange);
    void setFactor(double factor);
    double factor() const { return factor_; }
    void reset() {
        current_ = kUnknown;
        known_ = false;
    }
    bool known() const { return known_; }
    const ValueRange& current() const { return current_; }

private:
    double factor_ = kDefaultFactor;
    static constexpr ValueRange kUnknown{std::numeric_limits<double>::quiet_NaN(),
                                         std::numeric_limits<double>::quiet_NaN()};
    ValueRange current_ = kUnknown;
    bool known_ = false;
};

}  // namespace vantory::analysis
