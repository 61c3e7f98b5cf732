#include "FilterSender.h"

#include <algorithm>
#include <cmath>

#include "mvsdk/MvSdk.h"

namespace vantory::filters {
namespace {

// Values the filters take when a control is unticked, and the fixed companions.
constexpr uint16_t kKalmanOnMode = 2000, kKalmanOffMode = 300;
constexpr uint16_t kDustOnMode = 3000, kDustOffMode = 300, kDustRange = 100;
constexpr uint16_t kDustOffFrames = 4;
constexpr int kDustTypeStep = 10000;
constexpr uint16_t kAverageRestart = 2000;
constexpr uint32_t kCloudOffWindow = 9;
constexpr uint8_t kCloudOffMotion = 5;
constexpr int kSmoothOffIterations = 1;

uint16_t u16(long value) {
    return static_cast<uint16_t>(std::clamp<long>(value, 0, 0xFFFF));
}

// The factor as shown (two decimals) times 1000, truncated. The small lift keeps a shown
// 0.29 from becoming 289 through its binary representation.
uint16_t kalmanGain(double factor) {
    return u16(static_cast<long>(std::floor(factor * 1000.0 + 1e-6)));
}

}  // namespace

FilterControls controlsFromValues(const FilterValues& v, bool pclFilterOn, FilterControls c) {
    if (v.medianSize) {
        c.medianOn = *v.medianSize >= 1;
        c.median5 = *v.medianSize == 5;
    }
    c.kalmanOn = v.kalmanEnable.value_or(c.kalmanOn);
    c.kalmanFactor = v.kalmanFactor.value_or(c.kalmanFactor);
    c.kalmanThreshold = v.kalmanThreshold.value_or(c.kalmanThreshold);
    c.edgeOn = v.edgeEnable.value_or(c.edgeOn);
    c.edgeThreshold = v.edgeThreshold.value_or(c.edgeThreshold);
    c.dustOn = v.dustEnable.value_or(c.dustOn);
    c.dustThreshold = v.dustThreshold.value_or(c.dustThreshold);
    c.dustFrames = v.dustFrames.value_or(c.dustFrames);
    c.dustType = 0;
    c.reflectivityOn = v.reflectiveEnable.value_or(c.reflectivityOn);
    c.reflectivityMin = v.refThMin.value_or(c.reflectivityMin);
    c.reflectivityMax = v.refThMax.value_or(c.reflectivityMax);
    c.cloudFilterOn = pclFilterOn;
    c.distanceDivisor = v.postprocessThreshold.value_or(c.distanceDivisor);
    c.dynamicsOn = v.dynamicsEnabled.value_or(c.dynamicsOn);
    c.windowSize = v.dynamicsWinsize.value_or(c.windowSize);
    c.motionSize = v.dynamicsMotionsize.value_or(c.motionSize);
    c.smoothOn = v.spatialEnable.value_or(c.smoothOn);
    c.smoothIterations = v.spatialIterations.value_or(c.smoothIterations);
    c.smoothDelta = v.spatialDelta.value_or(c.smoothDelta);
    c.smoothAlpha = v.spatialAlpha.value_or(c.smoothAlpha);
    c.averageOn = v.averageEnable.value_or(c.averageOn);
    c.averageSize = v.averageSize.value_or(c.averageSize);
    return c;
}

FilterValues valuesOfControls(const FilterControls& c) {
    FilterValues v;
    v.medianSize = !c.medianOn ? 0 : (c.median5 ? 5 : 3);
    v.kalmanEnable = c.kalmanOn;
    v.kalmanFactor = c.kalmanFactor;
    v.kalmanThreshold = c.kalmanThreshold;
    v.edgeEnable = c.edgeOn;
    v.edgeThreshold = c.edgeThreshold;
    v.dustEnable = c.dustOn;
    v.dustThreshold = c.dustThreshold;
    v.dustFrames = c.dustFrames;
    v.postprocessThreshold = c.distanceDivisor;
    v.dynamicsEnabled = c.dynamicsOn;
    v.dynamicsWinsize = c.windowSize;
    v.dynamicsMotionsize = c.motionSize;
    v.reflectiveEnable = c.reflectivityOn;
    v.refThMin = c.reflectivityMin;
    v.refThMax = c.reflectivityMax;
    v.spatialEnable = c.smoothOn;
    v.spatialAlpha = c.smoothAlpha;
    v.spatialDelta = c.smoothDelta;
    v.spatialIterations = c.smoothIterations;
    v.averageEnable = c.averageOn;
    v.averageSize = c.averageSize;
    return v;
}

void MvSdkFilterSink::setKalmanFilter(uint16_t factor, uint16_t threshold, uint16_t mode) {
    sdk_.setKalmanFilter(factor, threshold, mode);
}
void MvSdkFilterSink::setAverageFilter(uint16_t windowSize, uint16_t mode) {
    sdk_.setAverageFilter(windowSize, mode);
}
void MvSdkFilterSink::setEdgeFilter(uint16_t threshold) {
    sdk_.setEdgeFilter(threshold);
}
void MvSdkFilterSink::setMedianFilter(uint16_t kernelSize) {
    sdk_.setMedianFilter(kernelSize);
}
void MvSdkFilterSink::setDustFilter(uint16_t threshold, uint16_t frames, uint16_t mode,
                                    uint16_t range) {
    sdk_.setDustFilter(threshold, frames, mode, range);
}
void MvSdkFilterSink::setCloudFilter(float divisor, uint8_t enabled, uint32_t window,
                                     uint8_t motion) {
    sdk_.setCloudFilter(&divisor, &enabled, window, motion);
}
void MvSdkFilterSink::setReflectivityFilter(float lower, float upper) {
    sdk_.setReflectivityFilter(&lower, &upper);
}
void MvSdkFilterSink::setSmoothFilter(int iterations, int delta, float alpha) {
    sdk_.setSmoothFilter(&iterations, &delta, &alpha);
}

void sendEdge(FilterSink& sink, const FilterControls& c) {
    sink.setEdgeFilter(c.edgeOn ? u16(c.edgeThreshold) : 0);
}

void sendMedian(FilterSink& sink, const FilterControls& c) {
    sink.setMedianFilter(!c.medianOn ? 0 : (c.median5 ? 5 : 3));
}

void sendKalman(FilterSink& sink, const FilterControls& c) {
    if (c.kalmanOn) {
        sink.setKalmanFilter(kalmanGain(c.kalmanFactor), u16(c.kalmanThreshold), kKalmanOnMode);
    } else {
        sink.setKalmanFilter(0, 0, kKalmanOffMode);
    }
}

void sendDust(FilterSink& sink, const FilterControls& c) {
    if (c.dustOn) {
        sink.setDustFilter(u16(c.dustThreshold + kDustTypeStep * long{c.dustType}),
                           u16(c.dustFrames), kDustOnMode, kDustRange);
    } else {
        sink.setDustFilter(0, kDustOffFrames, kDustOffMode, kDustRange);
    }
}

void sendReflectivityBand(FilterSink& sink, const FilterControls& c) {
    if (!c.reflectivityOn) {
        sink.setReflectivityFilter(0.0f, 0.0f);
        return;
    }
    const float lower = static_cast<float>(c.reflectivityMin);
    const float upper = std::max(lower, static_cast<float>(c.reflectivityMax));
    sink.setReflectivityFilter(lower, upper);
}

void sendCloudFilters(FilterSink& sink, const FilterControls& c) {
    const float divisor = static_cast<float>(c.distanceDivisor);
    const auto window = static_cast<uint32_t>(std::max(0, c.windowSize));
    const auto motion = static_cast<uint8_t>(std::clamp(c.motionSize, 0, 255));
    sink.setCloudFilter(divisor, c.dynamicsOn ? 1 : 0, window, motion);
    if (!c.cloudFilterOn) {
        sink.setCloudFilter(divisor, 0, kCloudOffWindow, kCloudOffMotion);
        sink.setAverageFilter(0, kAverageRestart);
        sink.setSmoothFilter(kSmoothOffIterations, 0, 0.0f);
        return;
    }
    if (c.smoothOn) {
        sink.setSmoothFilter(c.smoothIterations, c.smoothDelta, static_cast<float>(c.smoothAlpha));
    } else {
        sink.setSmoothFilter(kSmoothOffIterations, 0, 0.0f);
    }
    sink.setAverageFilter(c.averageOn ? u16(c.averageSize) : 0, kAverageRestart);
    sink.setCloudFilter(divisor, c.dynamicsOn ? 1 : 0, window, motion);
}

void applySdkFilters(FilterSink& sink, const FilterControls& c) {
    sendMedian(sink, c);
    sendKalman(sink, c);
    sendEdge(sink, c);
    sendDust(sink, c);
    sendReflectivityBand(sink, c);
    sendCloudFilters(sink, c);
}

}  // namespace vantory::filters
