#include "analysis/AutoRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/RankSelect.h"

namespace vantory::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Rank (0-based) of the nearest-rank percentile `share` among n values.
std::uint64_t nearestRank(double share, std::uint64_t n) {
    const double wanted = std::ceil(std::clamp(share, 0.0, 1.0) * static_cast<double>(n));
    return std::clamp<std::uint64_t>(static_cast<std::uint64_t>(wanted), 1, n) - 1;
}

template <typename T>
ValueRange rangeOf(const T* plane, std::size_t count, double lowShare, double highShare,
                   std::uint32_t invalidFrom, bool zeroIsInvalid) {
    if (plane == nullptr || std::isnan(lowShare) || std::isnan(highShare)) return {kNaN, kNaN};
    auto forEachMeasured = [&](auto&& fn) {
        for (std::size_t i = 0; i < count; ++i) {
            if (isMeasured(plane[i], invalidFrom, zeroIsInvalid))
                fn(static_cast<std::uint32_t>(plane[i]));
        }
    };
    std::uint64_t n = 0;
    std::uint32_t lo = std::numeric_limits<std::uint32_t>::max(), hi = 0;
    forEachMeasured([&](std::uint32_t v) {
        ++n;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    });
    if (n == 0) return {kNaN, kNaN};
    std::uint64_t ranks[2] = {nearestRank(lowShare, n), nearestRank(highShare, n)};
    if (ranks[0] > ranks[1]) std::swap(ranks[0], ranks[1]);
    std::uint32_t values[2] = {lo, hi};
    if (lo != hi) detail::valuesAtRanks(forEachMeasured, lo, hi, ranks, 2, values);
    return {double(values[0]), double(values[1])};
}

}  // namespace

bool isKnown(const ValueRange& range) {
    return !std::isnan(range.low) && !std::isnan(range.high);
}

ValueRange percentileRange(const std::uint16_t* plane, std::size_t count, double lowShare,
                           double highShare, std::uint16_t invalidFrom, bool zeroIsInvalid) {
    return rangeOf(plane, count, lowShare, highShare, invalidFrom, zeroIsInvalid);
}

ValueRange percentileRange(const std::uint32_t* plane, std::size_t count, double lowShare,
                           double highShare, std::uint32_t invalidFrom, bool zeroIsInvalid) {
    return rangeOf(plane, count, lowShare, highShare, invalidFrom, zeroIsInvalid);
}

void AutoRange::setFactor(double factor) {
    factor_ = std::isnan(factor) ? kDefaultFactor : std::clamp(factor, 0.001, 1.0);
}

ValueRange AutoRange::update(const ValueRange& frameRange) {
    if (!isKnown(frameRange)) return current_;
    if (!known_) {
        current_ = frameRange;
        known_ = true;
        return current_;
    }
    current_.low += factor_ * (frameRange.low - current_.low);
    current_.high += factor_ * (frameRange.high - current_.high);
    return current_;
}

}  // namespace vantory::analysis
