#include "analysis/PlaneStats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/RankSelect.h"

namespace vantory::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

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

    std::uint64_t count = 0, sum = 0;
    unsigned __int128 sumSq = 0;  // exact: values up to 2^32 over any frame size
    std::uint32_t lo = std::numeric_limits<std::uint32_t>::max(), hi = 0;
    forEachMeasured([&](std::uint32_t v) {
        ++count;
        sum += v;
        sumSq += std::uint64_t{v} * v;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    });
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

    // The measured values are copied once (a per-thread buffer that keeps its capacity) for
    // the median's partial sort; the sums are taken on the way.
    thread_local std::vector<float> values;
    values.clear();
    long double sum = 0, sumSq = 0;
    float lo = std::numeric_limits<float>::infinity(), hi = -lo;
    for (int y = r.y; y < r.y + r.height; ++y) {
        const float* row = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = r.x; x < r.x + r.width; ++x) {
            const float v = row[x];
            if (!(v > 0) || !std::isfinite(v)) continue;
            values.push_back(v);
            sum += v;
            sumSq += static_cast<long double>(v) * v;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    s.valid = values.size();
    s.validShare = static_cast<double>(s.valid) / static_cast<double>(s.pixels);
    if (s.valid == 0) return s;

    s.mean = static_cast<double>(sum / static_cast<long double>(s.valid));
    s.stddev = populationStddev(sum, sumSq, s.valid);
    s.min = lo;
    s.max = hi;
    const std::size_t upper = s.valid / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(upper),
                     values.end());
    double median = values[upper];
    if (s.valid % 2 == 0) {
        median = (median + *std::max_element(values.begin(),
                                             values.begin() + static_cast<std::ptrdiff_t>(upper))) /
                 2.0;
    }
    s.median = median;
    return s;
}

}  // namespace vantory::analysis
