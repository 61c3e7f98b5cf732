#include "OrganizedOutlierRemoval.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Movoda::pclfilter {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define CLOUDFILTER_HOT __attribute__((target_clones("avx2", "default")))
#else
#define CLOUDFILTER_HOT
#endif

// Squared distance between points a and b; NaN (no point) becomes infinity.
inline float gap2(const float* __restrict x, const float* __restrict y, const float* __restrict z,
                  size_t a, size_t b) {
    const float dx = x[b] - x[a], dy = y[b] - y[a], dz = z[b] - z[a];
    const float d2 = dx * dx + dy * dy + dz * dz;
    return d2 == d2 ? d2 : kInfinity;
}

// Scores one row. In each of the four grid directions the nearer neighbour counts; the
// score is the mean of the two smallest of those four distances over the point's range,
// so a point on a surface's edge or convex corner, which still has its surface in two
// directions, scores like the surface. Infinity: neighbours in fewer than two directions;
// NaN: no point.
CLOUDFILTER_HOT void scoreRow(const float* __restrict x, const float* __restrict y,
                              const float* __restrict z, size_t first, size_t stride, int width,
                              const float* __restrict range, float* __restrict score) {
    for (int i = 0; i < width; ++i) {
        const size_t a = first + static_cast<size_t>(i);
        // Unrolled by hand: a loop over the four steps keeps the row loop from the vectoriser.
        auto nearer = [&](size_t step) {
            const float ahead = gap2(x, y, z, a, a + step), behind = gap2(x, y, z, a, a - step);
            return ahead < behind ? ahead : behind;
        };
        const float n0 = nearer(1), n1 = nearer(stride), n2 = nearer(stride + 1),
                    n3 = nearer(stride - 1);
        // The two smallest of four.
        const float lo01 = std::min(n0, n1), hi01 = std::max(n0, n1);
        const float lo23 = std::min(n2, n3), hi23 = std::max(n2, n3);
        const float first2 = std::min(lo01, lo23);
        const float second2 = std::min(std::max(lo01, lo23), std::min(hi01, hi23));
        const float r = range[i];
        const float mean = 0.5f * (std::sqrt(first2) + std::sqrt(second2)) / r;
        score[i] = r != r ? kNaN : second2 < kInfinity ? mean : kInfinity;
    }
}

// Adds, per point of one row, whether the point at the offset lies within its radius.
CLOUDFILTER_HOT void countRow(const float* __restrict x, const float* __restrict y,
                              const float* __restrict z, size_t first, ptrdiff_t offset, int width,
                              const float* __restrict radius2, uint8_t* __restrict count) {
    for (int i = 0; i < width; ++i) {
        const size_t a = first + static_cast<size_t>(i);
        const size_t b = static_cast<size_t>(static_cast<ptrdiff_t>(a) + offset);
        count[i] = static_cast<uint8_t>(count[i] + (gap2(x, y, z, a, b) <= radius2[i] ? 1 : 0));
    }
}

}  // namespace

void OrganizedOutlierRemoval::loadPlanes(const Cloud& cloud) {
    const int w = static_cast<int>(cloud.width), h = static_cast<int>(cloud.height);
    if (w != width_ || h != height_) {
        width_ = w;
        height_ = h;
        stride_ = static_cast<size_t>(w) + 2 * kPad;
        const size_t padded = stride_ * (static_cast<size_t>(h) + 2 * kPad);
        // The border stays NaN; the inside is overwritten by every cloud.
        x_.assign(padded, kNaN);
        y_.assign(padded, kNaN);
        z_.assign(padded, kNaN);
        range_.resize(static_cast<size_t>(w) * h);
        score_.resize(static_cast<size_t>(w) * h);
        count_.resize(static_cast<size_t>(w));
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const pcl::PointXYZI& q = cloud.points[static_cast<size_t>(y) * w + x];
            const size_t i = paddedIndex(x, y);
            // A point is there only when all three coordinates are.
            const bool finite = std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
            x_[i] = finite ? q.x : kNaN;
            y_[i] = finite ? q.y : kNaN;
            z_[i] = finite ? q.z : kNaN;
            range_[static_cast<size_t>(y) * w + x] =
                finite ? std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z) : kNaN;
        }
    }
}

size_t OrganizedOutlierRemoval::classify(const Cloud& cloud, const Config& config,
                                         std::vector<uint8_t>& removed) {
    loadPlanes(cloud);
    removed.assign(static_cast<size_t>(width_) * height_, 0);
    return config.method == kMethodRadius ? radius(config, removed) : statistical(config, removed);
}

size_t OrganizedOutlierRemoval::statistical(const Config& config, std::vector<uint8_t>& removed) {
    const size_t w = static_cast<size_t>(width_);
    double sum = 0, sumSquares = 0;
    size_t scored = 0;
    for (int y = 0; y < height_; ++y) {
        float* score = score_.data() + static_cast<size_t>(y) * w;
        scoreRow(x_.data(), y_.data(), z_.data(), paddedIndex(0, y), stride_, width_,
                 range_.data() + static_cast<size_t>(y) * w, score);
        for (size_t x = 0; x < w; ++x) {
            if (!std::isfinite(score[x])) continue;
            sum += score[x];
            sumSquares += static_cast<double>(score[x]) * score[x];
            ++scored;
        }
    }
    double threshold = kInfinity;
    if (scored > 1) {
        const double mean = sum / static_cast<double>(scored);
        const double variance =
            std::max(0.0, (sumSquares - sum * mean) / static_cast<double>(scored - 1));
        threshold = mean + config.stddevMultiplier * std::sqrt(variance);
    }
    size_t count = 0;
    for (size_t i = 0; i < score_.size(); ++i) {
        // NaN (no point) fails the comparison; infinity (no neighbour) passes it.
        const bool out = score_[i] > threshold;
        removed[i] = out ? 1 : 0;
        count += out ? 1 : 0;
    }
    return count;
}

size_t OrganizedOutlierRemoval::radius(const Config& config, std::vector<uint8_t>& removed) {
    const size_t w = static_cast<size_t>(width_);
    const ptrdiff_t stride = static_cast<ptrdiff_t>(stride_);
    size_t count = 0;
    for (int y = 0; y < height_; ++y) {
        const float* range = range_.data() + static_cast<size_t>(y) * w;
        // The squared radius of each point of the row, kept in the score plane.
        float* radius2 = score_.data() + static_cast<size_t>(y) * w;
        for (size_t x = 0; x < w; ++x) {
            const float r = config.radiusPerMetre * range[x];
            radius2[x] = r * r;
        }
        std::fill(count_.begin(), count_.end(), 0);
        for (int dy = -kPad; dy <= kPad; ++dy) {
            for (int dx = -kPad; dx <= kPad; ++dx) {
                if (dx == 0 && dy == 0) continue;
                countRow(x_.data(), y_.data(), z_.data(), paddedIndex(0, y), dy * stride + dx,
                         width_, radius2, count_.data());
            }
        }
        for (size_t x = 0; x < w; ++x) {
            const bool out = range[x] == range[x] && count_[x] < config.minNeighbours;
            removed[static_cast<size_t>(y) * w + x] = out ? 1 : 0;
            count += out ? 1 : 0;
        }
    }
    return count;
}

}  // namespace Movoda::pclfilter
