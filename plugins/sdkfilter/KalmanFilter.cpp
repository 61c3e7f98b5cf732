#include "KalmanFilter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "LaneVector.h"

namespace Movoda::sdkfilter {

namespace {

// Written without branches so that it runs eight pixels at a time.
SDKFILTER_HOT void kalmanPixels(uint32_t* distance, float* estimate, size_t n, KalmanSettings s) {
    const float growth = s.referenceDistanceMm > 0 ? 1.0f / s.referenceDistanceMm : 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t d = distance[i];
        const bool measured = isMeasured(d);
        const float z = static_cast<float>(d);
        const float previous = estimate[i];
        const float threshold = s.resetThresholdMm * std::max(1.0f, z * growth);
        // A NaN estimate fails the comparison and is replaced.
        const bool follow = std::fabs(z - previous) <= threshold;
        const float next = follow ? previous + s.gain * (z - previous) : z;
        estimate[i] = measured ? next : previous;
        // Distances are positive: adding one half and truncating rounds to nearest.
        distance[i] = measured ? static_cast<uint32_t>(next + 0.5f) : d;
    }
}

}  // namespace

void KalmanFilter::apply(FrameView& view) {
    if (view.empty() || settings_.gain <= 0) return;
    if (estimate_.size() != view.pixels()) {
        estimate_.assign(view.pixels(), std::numeric_limits<float>::quiet_NaN());
    }
    kalmanPixels(view.distance, estimate_.data(), view.pixels(), settings_);
}

}  // namespace Movoda::sdkfilter
