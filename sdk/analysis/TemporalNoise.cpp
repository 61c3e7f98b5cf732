#include "analysis/TemporalNoise.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/PlaneRules.h"

namespace vantory::analysis {
namespace {

constexpr std::uint32_t kNotMeasured = std::numeric_limits<std::uint32_t>::max();
// The exact integer variance below relies on measured distances staying under 2^20.
static_assert(kDistanceInvalidFrom <= (1u << 20), "distance codes moved");

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

    // One pass without branches: the frame leaving the window (none while it fills) is
    // taken out of the sums as the new one goes in.
    std::uint32_t* slot = ring_.data() + static_cast<std::size_t>(next_) * pixels_;
    const bool full = frames_ == depth_;
    for (std::size_t i = 0; i < pixels_; ++i) {
        const std::uint32_t old = slot[i];
        const bool oldMeasured = full && old != kNotMeasured;
        const bool oldUnmeasured = full && old == kNotMeasured;
        const std::uint32_t oldValue = oldMeasured ? old : 0;
        const T v = distance[i];
        const bool measured = isMeasured(v, invalidFrom, true);
        const std::uint32_t value = measured ? static_cast<std::uint32_t>(v) : 0;
        slot[i] = measured ? value : kNotMeasured;
        sum_[i] = sum_[i] + value - oldValue;
        sumSq_[i] = sumSq_[i] + std::uint64_t{value} * value - std::uint64_t{oldValue} * oldValue;
        unmeasured_[i] = static_cast<std::uint8_t>(unmeasured_[i] + !measured - oldUnmeasured);
    }
    next_ = (next_ + 1) % depth_;
    if (!full) ++frames_;
}

double TemporalNoise::pixelStddev(std::size_t i) const {
    if (unmeasured_[i] != 0) return std::numeric_limits<double>::quiet_NaN();
    // Exact: n * sumSq - sum^2 stays below 2^54 for values below 2^20 and n <= 100.
    const std::uint64_t n = static_cast<std::uint64_t>(frames_);
    const std::uint64_t sum = sum_[i];
    const std::uint64_t spread = n * sumSq_[i] - sum * sum;
    return std::sqrt(static_cast<double>(spread)) / static_cast<double>(n);
}

void TemporalNoise::map(std::vector<float>& out) const {
    out.resize(pixels_);
    const float none = std::numeric_limits<float>::quiet_NaN();
    if (frames_ < 2) {
        std::fill(out.begin(), out.end(), none);
        return;
    }
    const std::uint64_t n = static_cast<std::uint64_t>(frames_);
    const double perFrame = 1.0 / static_cast<double>(n);
    for (std::size_t i = 0; i < pixels_; ++i) {
        const std::uint64_t sum = sum_[i];
        const auto spread = static_cast<std::int64_t>(n * sumSq_[i] - sum * sum);
        const float deviation =
            static_cast<float>(std::sqrt(static_cast<double>(spread)) * perFrame);
        out[i] = unmeasured_[i] != 0 ? none : deviation;
    }
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
