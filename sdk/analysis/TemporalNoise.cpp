#include "analysis/TemporalNoise.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/PlaneRules.h"

namespace vantory::analysis {
namespace {

constexpr std::uint32_t kNotMeasured = std::numeric_limits<std::uint32_t>::max();

}  // namespace

TemporalNoise::TemporalNoise(int depth) : depth_(std::clamp(depth, kMinDepth, kMaxDepth)) {}

void TemporalNoise::reset() {
    frames_ = 0;
    next_ = 0;
    std::fill(sum_.begin(), sum_.end(), 0);
    std::fill(sumSq_.begin(), sumSq_.end(), 0);
    std::fill(unmeasured_.begin(), unmeasured_.end(), 0);
}

void TemporalNoise::setDepth(int depth) {
    depth_ = std::clamp(depth, kMinDepth, kMaxDepth);
    startOver(width_, height_);
}

void TemporalNoise::startOver(int width, int height) {
    width_ = width;
    height_ = height;
    pixels_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    ring_.assign(pixels_ * static_cast<std::size_t>(depth_), kNotMeasured);
    sum_.assign(pixels_, 0);
    sumSq_.assign(pixels_, 0);
    unmeasured_.assign(pixels_, 0);
    frames_ = 0;
    next_ = 0;
}

void TemporalNoise::add(const std::uint16_t* distance, int width, int height) {
    addPlane(distance, width, height, kRawDistanceInvalidFrom);
}

void TemporalNoise::add(const std::uint32_t* distance, int width, int height) {
    addPlane(distance, width, height, kDistanceInvalidFrom);
}

template <typename T>
void TemporalNoise::addPlane(const T* distance, int width, int height, std::uint32_t invalidFrom) {
    if (distance == nullptr || width <= 0 || height <= 0) return;
    if (width != width_ || height != height_ || ring_.empty()) startOver(width, height);

    std::uint32_t* slot = ring_.data() + static_cast<std::size_t>(next_) * pixels_;
    const bool full = frames_ == depth_;
    for (std::size_t i = 0; i < pixels_; ++i) {
        if (full) {
            const std::uint32_t old = slot[i];
            if (old == kNotMeasured) {
                --unmeasured_[i];
            } else {
                sum_[i] -= old;
                sumSq_[i] -= std::uint64_t{old} * old;
            }
        }
        const T v = distance[i];
        if (isMeasured(v, invalidFrom, true)) {
            const std::uint32_t value = static_cast<std::uint32_t>(v);
            slot[i] = value;
            sum_[i] += value;
            sumSq_[i] += std::uint64_t{value} * value;
        } else {
            slot[i] = kNotMeasured;
            ++unmeasured_[i];
        }
    }
    next_ = (next_ + 1) % depth_;
    if (!full) ++frames_;
}

double TemporalNoise::pixelStddev(std::size_t i) const {
    if (unmeasured_[i] != 0) return std::numeric_limits<double>::quiet_NaN();
    // Exact: n * sumSq - sum^2 stays below 2^54 for values below 2^20 and n <= 100.
    const std::uint64_t n = static_cast<std::uint64_t>(frames_);
    const std::uint64_t spread = n * sumSq_[i] - sum_[i] * sum_[i];
    return std::sqrt(static_cast<double>(spread)) / static_cast<double>(n);
}

void TemporalNoise::map(std::vector<float>& out) const {
    out.resize(pixels_);
    if (frames_ < 2) {
        std::fill(out.begin(), out.end(), std::numeric_limits<float>::quiet_NaN());
        return;
    }
    for (std::size_t i = 0; i < pixels_; ++i) out[i] = static_cast<float>(pixelStddev(i));
}

double TemporalNoise::roiMean(Roi roi) const {
    const double none = std::numeric_limits<double>::quiet_NaN();
    if (frames_ < 2 || pixels_ == 0) return none;
    const Roi r = clampRoi(roi, width_, height_);
    if (isEmpty(r)) return none;
    double sum = 0;
    std::size_t count = 0;
    for (int y = r.y; y < r.y + r.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
        for (int x = r.x; x < r.x + r.width; ++x) {
            const double s = pixelStddev(row + static_cast<std::size_t>(x));
            if (std::isnan(s)) continue;
            sum += s;
            ++count;
        }
    }
    return count == 0 ? none : sum / static_cast<double>(count);
}

}  // namespace vantory::analysis
