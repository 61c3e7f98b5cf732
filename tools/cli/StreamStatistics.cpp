#include "StreamStatistics.h"

#include <algorithm>
#include <cmath>

#include "CliConstants.h"
#include "analysis/LinkHealth.h"

namespace vantory_cli {

std::optional<double> median(std::vector<double> values) {
    if (values.empty()) return std::nullopt;
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + mid, values.end());
    const double upper = values[mid];
    if (values.size() % 2 == 1) return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + mid);
    return (lower + upper) / 2.0;
}

std::optional<double> percentile(std::vector<double> values, double p) {
    if (values.empty() || !std::isfinite(p)) return std::nullopt;
    p = std::clamp(p, 0.0, 100.0);
    const size_t n = values.size();
    size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(n)));
    rank = std::clamp<size_t>(rank, 1, n);
    std::nth_element(values.begin(), values.begin() + (rank - 1), values.end());
    return values[rank - 1];
}

std::optional<double> centralMedianZ(const float* cloud, size_t pointCount, size_t stride,
                                     uint16_t width, uint16_t height, uint16_t window) {
    if (cloud == nullptr || width == 0 || height == 0 || window == 0 || stride < 3) {
        return std::nullopt;
    }
    if (pointCount < static_cast<size_t>(width) * height) return std::nullopt;
    const int half = window / 2;
    const int cx = width / 2;
    const int cy = height / 2;
    const int x0 = std::max(0, cx - half);
    const int x1 = std::min<int>(width - 1, cx - half + window - 1);
    const int y0 = std::max(0, cy - half);
    const int y1 = std::min<int>(height - 1, cy - half + window - 1);

    std::vector<double> depths;
    depths.reserve(static_cast<size_t>(window) * window);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const size_t point = static_cast<size_t>(y) * width + static_cast<size_t>(x);
            const float z = cloud[point * stride + 2];
            if (std::isfinite(z)) depths.push_back(z);
        }
    }
    return median(std::move(depths));
}

uint32_t FrameGapCounter::observe(uint32_t frameNumber) {
    frameNumber %= kFrameNumberModulus;
    if (!havePrevious_) {
        havePrevious_ = true;
        previous_ = frameNumber;
        return 0;
    }
    const uint32_t step = (frameNumber + kFrameNumberModulus - previous_) % kFrameNumberModulus;
    if (step == 0) return 0;  // the same frame again
    if (step >= kFrameNumberModulus - kLateFrameWindow) return 0;  // late: counted already
    previous_ = frameNumber;
    if (step >= kMaxPlausibleGap) return 0;  // the camera restarted its numbering
    totalMissing_ += step - 1;
    return step - 1;
}

void FrameGapCounter::reset() {
    havePrevious_ = false;
    previous_ = 0;
    totalMissing_ = 0;
}

}  // namespace vantory_cli

namespace vantory_cli {

std::optional<double> binnedPercentile(const std::vector<uint64_t>& counts, double binWidth,
                                       double p) {
    const double value =
        vantory::analysis::binnedPercentile(counts.data(), counts.size(), binWidth, p);
    if (std::isnan(value)) return std::nullopt;
    return value;
}

}  // namespace vantory_cli
