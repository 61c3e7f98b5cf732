#include "FilterSettings.h"

#include <cmath>
#include <limits>

#include "SdkFilterConstants.h"

namespace Movoda::sdkfilter {

std::optional<uint32_t> edgeSettings(uint16_t threshold) {
    if (threshold == 0) return std::nullopt;
    return threshold;
}

std::optional<int> medianSettings(uint16_t kernel) {
    if (kernel != 3 && kernel != 5) return std::nullopt;
    return kernel;
}

std::optional<KalmanSettings> kalmanSettings(uint16_t gainPerMille, uint16_t thresholdMm,
                                             uint16_t referenceMm) {
    if (gainPerMille == 0 || gainPerMille > kMaxGainPerMille || thresholdMm == 0) {
        return std::nullopt;
    }
    KalmanSettings s;
    s.gain = static_cast<float>(gainPerMille) / 1000.0f;
    s.resetThresholdMm = thresholdMm;
    s.referenceDistanceMm = referenceMm;
    return s;
}

std::optional<WindowSettings> averageSettings(uint16_t window, uint16_t restartMm) {
    if (window == 0 || window > kMaxTemporalWindow) return std::nullopt;
    WindowSettings s;
    s.window = window;
    s.shortWindow = window;
    s.toleranceFloorMm =
        restartMm > 0 ? static_cast<float>(restartMm) : std::numeric_limits<float>::infinity();
    return s;
}

std::optional<DustSettings> dustSettings(uint16_t toleranceAndType, uint16_t frames,
                                         uint16_t validPercent, uint16_t rangeMm) {
    const int type = toleranceAndType / kDustTypeStep;
    const int tolerance = toleranceAndType % kDustTypeStep;
    if (type != 0 || tolerance == 0 || frames == 0 || frames > kMaxDustFrames ||
        validPercent == 0 || validPercent > kMaxPercent) {
        return std::nullopt;
    }
    DustSettings s;
    s.frames = frames;
    s.toleranceMm = tolerance;
    s.validPercent = validPercent;
    s.rangeMm = rangeMm;
    return s;
}

std::optional<CloudSettings> cloudSettings(const float* distanceDivisor, const uint8_t* on,
                                           uint32_t window, uint8_t motion) {
    if (distanceDivisor == nullptr || on == nullptr || *on == 0) return std::nullopt;
    const float divisor = *distanceDivisor;
    if (!(divisor >= 0.0f && divisor <= kMaxErosionDivisor) || window > kMaxTemporalWindow) {
        return std::nullopt;
    }
    if (divisor == 0.0f && window == 0) return std::nullopt;
    CloudSettings s;
    s.erosionDivisor = divisor;
    if (window > 0) {
        s.motion.window = static_cast<int>(window);
        s.motion.shortWindow =
            (motion == 0 || motion > window) ? static_cast<int>(window) : static_cast<int>(motion);
        s.motion.toleranceShare = kMotionShare;
        s.motion.toleranceFloorMm = kMotionFloorMm;
    }
    return s;
}

std::optional<ReflectivitySettings> reflectivitySettings(const float* lower, const float* upper) {
    if (lower == nullptr || upper == nullptr) return std::nullopt;
    // The comparisons also refuse NaN.
    if (!(*lower >= 0.0f && *upper >= *lower && *upper > 0.0f && std::isfinite(*upper))) {
        return std::nullopt;
    }
    return ReflectivitySettings{*lower, *upper};
}

std::optional<SmoothSettings> smoothSettings(const int* iterations, const int* delta,
                                             const float* alpha) {
    if (iterations == nullptr || delta == nullptr || alpha == nullptr) return std::nullopt;
    if (*iterations < 1 || *iterations > kMaxSmoothIterations || *delta <= 0 ||
        !(*alpha > 0.0f && *alpha <= 1.0f)) {
        return std::nullopt;
    }
    SmoothSettings s;
    s.iterations = *iterations;
    s.deltaMm = static_cast<float>(*delta);
    s.alpha = *alpha;
    return s;
}

}  // namespace Movoda::sdkfilter
