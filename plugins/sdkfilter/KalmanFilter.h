// Per-pixel temporal filter in the steady state of a Kalman filter: the estimate moves
// towards each new measurement by a fixed gain. A measurement that differs from the
// estimate by more than the reset threshold (something moved) replaces the estimate at
// once. Beyond the reference distance the threshold grows in proportion to the distance,
// as the noise of a time-of-flight depth does. Pixels without a measurement stay so and
// keep their estimate for the next frame.
#pragma once

#include <cstdint>
#include <vector>

#include "FrameView.h"

namespace Movoda::sdkfilter {

struct KalmanSettings {
    float gain = 0;                 // (0, 1]
    float resetThresholdMm = 0;     // > 0
    float referenceDistanceMm = 0;  // 0: the threshold does not grow
};

class KalmanFilter {
public:
    void configure(const KalmanSettings& settings) { settings_ = settings; }
    void apply(FrameView& view);
    void reset() { estimate_.clear(); }

private:
    KalmanSettings settings_;
    std::vector<float> estimate_;  // NaN: no estimate yet
};

}  // namespace Movoda::sdkfilter
