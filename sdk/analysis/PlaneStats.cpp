#include "analysis/PlaneStats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/RankSelect.h"

namespace vantory::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Values below 2^24 square below 2^48, so a row of up to 65535 of them sums in 64 bits.
constexpr std::uint32_t kExactSquareLimit = 1u << 24;
constexpr int kExactRowLimit = 65535;

PlaneStats emptyStats(std::size_t pixels) {
    PlaneStats s;
    s.pixels = pixels;
    s.mean = s.median = s.stddev = s.min = s.max = kNaN;
    return s;
}

// Variance from exact sums; never negative through rounding.
double populationStddev(long double sum, long double sumSq, std::size_t n) {
    const long double count = static_cast<long double>(n);
    const long double variance = (sumSq - sum * sum / count) / count;
    return variance > 0 ? static_cast<double>(std::sqrt(variance)) : 0.0;
}

template <typename T>
PlaneStats integerStats(const T* plane, int width, int height, Roi roi, std::uint32_t invalidFrom,
                        bool zeroIsInvalid) {
    if (plane == nullptr || width <= 0 || height <= 0) return emptyStats(0);
    const Roi r = clampRoi(roi, width, height);
    PlaneStats s = emptyStats(pixelCount(r));
    if (s.pixels == 0) return s;

    auto forEachMeasured = [&](auto&& fn) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            const T* row = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            for (int x = r.x; x < r.x + r.width; ++x) {
                const T v = row[x];
                if (isMeasured(v, invalidFrom, zeroIsInvalid)) fn(static_cast<std::uint32_t>(v));
            }
        }
    };

    // Sums without branches so that the loop vectorises; the squares are summed per row
    // in 64 bits (exact while a row's squares fit) and carried on in long double.
    std::uint64_t count = 0, sum = 0;
    long double sumSq = 0;
    std::uint32_t lo = std::numeric_limits<std::uint32_t>::max(), hi = 0;
    const bool rowSquaresFit = invalidFrom <= kExactSquareLimit && r.width <= kExactRowLimit;
    for (int y = r.y; y < r.y + r.height; ++y) {
        const T* row = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        std::uint64_t rowCount = 0, rowSum = 0, rowSq = 0;
        std::uint32_t rowLo = std::numeric_limits<std::uint32_t>::max(), rowHi = 0;
        for (int x = r.x; x < r.x + r.width; ++x) {
            const std::uint32_t v = row[x];
            const bool m = isMeasured(v, invalidFrom, zeroIsInvalid);
            const std::uint64_t kept = m ? v : 0;
            rowCount += m;
            rowSum += kept;
            rowLo = std::min(rowLo, m ? v : std::numeric_limits<std::uint32_t>::max());
            rowHi = std::max(rowHi, m ? v : 0u);
            if (rowSquaresFit) {
                rowSq += kept * kept;
            } else {
                sumSq += static_cast<long double>(kept) * static_cast<long double>(kept);
            }
        }
        count += rowCount;
        sum += rowSum;
        sumSq += static_cast<long double>(rowSq);
        lo = std::min(lo, rowLo);
        hi = std::max(hi, rowHi);
    }
    s.valid = static_cast<std::size_t>(count);
    s.validShare = static_cast<double>(count) / static_cast<double>(s.pixels);
    if (count == 0) return s;

    s.mean = static_cast<double>(sum) / static_cast<double>(count);
    s.stddev =
        populationStddev(static_cast<long double>(sum), static_cast<long double>(sumSq), s.valid);
    s.min = lo;
    s.max = hi;
    if (lo == hi) {
        s.median = lo;
    } else {
        const std::uint64_t ranks[2] = {(count - 1) / 2, count / 2};
        std::uint32_t middle[2] = {0, 0};
        detail::valuesAtRanks(forEachMeasured, lo, hi, ranks, 2, middle);
        s.median = (double(middle[0]) + double(middle[1])) / 2.0;
    }
    return s;
}

// Median of `count` float values in [lo, hi], lo < hi: the values are counted into bins
// linear in the value (few enough to stay in the first-level cache), then only the values
// of the bins holding the two middle ranks are copied out and partly sorted.
template <typename Visit>
double floatMedian(const Visit& visit, float lo, float hi, std::size_t count) {
    constexpr std::size_t kBins = 4096;
    const double scale = double(kBins) / (double(hi) - double(lo));
    auto binOf = [&](float v) {
        return std::min(kBins - 1, static_cast<std::size_t>((double(v) - lo) * scale));
    };
    std::vector<std::uint32_t>& bins = detail::coarseScratch();
    bins.assign(kBins, 0);
    visit([&](float v) { ++bins[binOf(v)]; });

    const std::size_t ranks[2] = {(count - 1) / 2, count / 2};
    std::size_t before = 0, bin = 0;
    while (before + bins[bin] <= ranks[0]) before += bins[bin++];
    std::size_t lastBin = bin, throughLast = before + bins[bin];
    while (throughLast <= ranks[1]) throughLast += bins[++lastBin];

    thread_local std::vector<float> chosen;
    chosen.clear();
    visit([&](float v) {
        const std::size_t b = binOf(v);
        if (b >= bin && b <= lastBin) chosen.push_back(v);
    });
    const auto nth = [&](std::size_t rank) {
        const auto at = chosen.begin() + static_cast<std::ptrdiff_t>(rank - before);
        std::nth_element(chosen.begin(), at, chosen.end());
        return double(*at);
    };
    const double upper = nth(ranks[1]);
    const double lower = ranks[0] == ranks[1] ? upper : nth(ranks[0]);
    return (lower + upper) / 2.0;
}

}  // namespace

namespace detail {

std::vector<std::uint32_t>& coarseScratch() {
    thread_local std::vector<std::uint32_t> bins;
    return bins;
}

std::vector<std::uint32_t>& fineScratch() {
    thread_local std::vector<std::uint32_t> bins;
    return bins;
}

}  // namespace detail

PlaneStats planeStats(const std::uint16_t* plane, int width, int height, Roi roi,
                      std::uint16_t invalidFrom, bool zeroIsInvalid) {
    return integerStats(plane, width, height, roi, invalidFrom, zeroIsInvalid);
}

PlaneStats planeStats(const std::uint32_t* plane, int width, int height, Roi roi,
                      std::uint32_t invalidFrom, bool zeroIsInvalid) {
    return integerStats(plane, width, height, roi, invalidFrom, zeroIsInvalid);
}

PlaneStats planeStats(const float* plane, int width, int height, Roi roi) {
    if (plane == nullptr || width <= 0 || height <= 0) return emptyStats(0);
    const Roi r = clampRoi(roi, width, height);
    PlaneStats s = emptyStats(pixelCount(r));
    if (s.pixels == 0) return s;

    auto measured = [](float v) { return v > 0 && v <= std::numeric_limits<float>::max(); };
    auto forEachMeasured = [&](auto&& fn) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            const float* row =
                plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            for (int x = r.x; x < r.x + r.width; ++x) {
                if (measured(row[x])) fn(row[x]);
            }
        }
    };

    std::size_t count = 0;
    long double sum = 0, sumSq = 0;
    float lo = std::numeric_limits<float>::max(), hi = 0;
    for (int y = r.y; y < r.y + r.height; ++y) {
        const float* row = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        // Four independent sums keep the additions from waiting on each other.
        double rowSum[4] = {0, 0, 0, 0}, rowSq[4] = {0, 0, 0, 0};
        for (int x = r.x; x < r.x + r.width; ++x) {
            const float v = row[x];
            const bool m = measured(v);
            const double kept = m ? v : 0.0;
            count += m;
            rowSum[x & 3] += kept;
            rowSq[x & 3] += kept * kept;
            lo = std::min(lo, m ? v : std::numeric_limits<float>::max());
            hi = std::max(hi, m ? v : 0.0f);
        }
        sum += (rowSum[0] + rowSum[1]) + (rowSum[2] + rowSum[3]);
        sumSq += (rowSq[0] + rowSq[1]) + (rowSq[2] + rowSq[3]);
    }
    s.valid = count;
    s.validShare = static_cast<double>(count) / static_cast<double>(s.pixels);
    if (count == 0) return s;

    s.mean = static_cast<double>(sum / static_cast<long double>(count));
    s.stddev = populationStddev(sum, sumSq, count);
    s.min = lo;
    s.max = hi;
    s.median = lo == hi ? double(lo) : floatMedian(forEachMeasured, lo, hi, count);
    return s;
}

}  // namespace vantory::analysis
