#include "SdkFilter.h"

#include <exception>
#include <sstream>

#include "FilterSettings.h"
#include "SdkFilterConstants.h"

namespace Movoda::sdkfilter {

bool SdkFilter::StreamShape::operator==(const StreamShape& o) const {
    return width == o.width && height == o.height && dataType == o.dataType && roiX0 == o.roiX0 &&
           roiY0 == o.roiY0 && binX == o.binX && binY == o.binY && dataFlags == o.dataFlags &&
           binningFlags == o.binningFlags;
}

const char* SdkFilter::versionText() const {
    return kVersionText;
}

void SdkFilter::initialise() {
    log("initialise", std::string(kVersionText) + " ready");
}

void SdkFilter::log(const std::string& operation, const std::string& message) const {
    if (log_ != nullptr) log_(std::string(kLogTag) + "::" + operation, message);
}

bool SdkFilter::report(const char* name, bool accepted, const std::string& values) const {
    log("set", std::string(name) + (accepted ? " on: " : " off: ") + values);
    return accepted;
}

namespace {
template <typename... Values>
std::string joined(const Values&... values) {
    std::ostringstream s;
    const char* separator = "";
    ((s << separator << values, separator = " "), ...);
    return s.str();
}
}  // namespace

// ---- Settings ----

bool SdkFilter::setEdgeParams(uint16_t threshold) {
    const auto s = edgeSettings(threshold);
    edge_.setThreshold(s.value_or(0));
    return report("edge", s.has_value(), joined(threshold));
}

bool SdkFilter::setMedianParams(uint16_t kernel) {
    const auto s = medianSettings(kernel);
    median_.setKernel(s.value_or(0));
    return report("median", s.has_value(), joined(kernel));
}

bool SdkFilter::setKalmanParams(uint16_t gainPerMille, uint16_t threshold, uint16_t referenceMm) {
    const auto s = kalmanSettings(gainPerMille, threshold, referenceMm);
    kalman_.configure(s.value_or(KalmanSettings{}));
    kalman_.reset();
    return report("kalman", s.has_value(), joined(gainPerMille, threshold, referenceMm));
}

bool SdkFilter::setAverageParams(uint16_t windowSize, uint16_t restartMm) {
    const auto s = averageSettings(windowSize, restartMm);
    average_.configure(s.value_or(WindowSettings{}));
    average_.reset();
    return report("average", s.has_value(), joined(windowSize, restartMm));
}

bool SdkFilter::setDustParams(uint16_t toleranceAndType, uint16_t frames, uint16_t validPercent,
                              uint16_t rangeMm) {
    const auto s = dustSettings(toleranceAndType, frames, validPercent, rangeMm);
    dust_.configure(s.value_or(DustSettings{}));
    dust_.reset();
    return report("dust", s.has_value(), joined(toleranceAndType, frames, validPercent, rangeMm));
}

bool SdkFilter::setCloudParams(const float* distanceDivisor, const uint8_t* on, uint32_t windowSize,
                               uint8_t motionSize) {
    const auto s = cloudSettings(distanceDivisor, on, windowSize, motionSize);
    const CloudSettings settings = s.value_or(CloudSettings{});
    erosion_.setDivisor(settings.erosionDivisor);
    motion_.configure(settings.motion);
    motion_.reset();
    return report("cloud", s.has_value(),
                  joined(distanceDivisor ? *distanceDivisor : -1.0f, on ? unsigned(*on) : 0u,
                         windowSize, unsigned(motionSize)));
}

bool SdkFilter::setReflectivityParams(const float* lower, const float* upper) {
    const auto s = reflectivitySettings(lower, upper);
    const ReflectivitySettings band = s.value_or(ReflectivitySettings{});
    band_.setBand(band.lower, band.upper);
    return report("reflectivity", s.has_value(),
                  joined(lower ? *lower : -1.0f, upper ? *upper : -1.0f));
}

bool SdkFilter::setSmoothParams(const int* iterations, const int* delta, const float* alpha) {
    const auto s = smoothSettings(iterations, delta, alpha);
    smooth_.configure(s.value_or(SmoothSettings{}));
    return report(
        "smooth", s.has_value(),
        joined(iterations ? *iterations : -1, delta ? *delta : -1, alpha ? *alpha : -1.0f));
}

bool SdkFilter::setModel(const char* modelText) {
    if (modelText == nullptr) return false;
    // Another camera (a record played after live frames, say): its history is not ours.
    if (model_ != modelText) {
        resetHistory();
        model_ = modelText;
    }
    return true;
}

void SdkFilter::setOption(uint64_t option) {
    markRemoved_ = (option & kOptionMarkRemoved) != 0;
}

void SdkFilter::resetHistory() {
    kalman_.reset();
    average_.reset();
    dust_.reset();
    motion_.reset();
}

void SdkFilter::followStream(const IFrame& frame) {
    StreamShape shape;
    shape.width = frame.width();
    shape.height = frame.height();
    shape.dataType = frame.dataType();
    shape.roiX0 = frame.roiX0();
    shape.roiY0 = frame.roiY0();
    shape.binX = frame.binX();
    shape.binY = frame.binY();
    shape.dataFlags = frame.dataFlags();
    shape.binningFlags = frame.binningFlags();
    if (shape == shape_) return;
    shape_ = shape;
    resetHistory();
}

// ---- Filters ----

template <typename Run>
void SdkFilter::run(const FramePtr& frame, const char* name, bool temporal, Run filter) {
    if (!frame) return;
    // Nothing may escape into the SDK's frame thread; a failure costs this frame's filter.
    try {
        if (temporal) followStream(*frame);
        FrameView view = viewOf(*frame, markRemoved_);
        if (!view.empty()) filter(view);
    } catch (const std::exception& e) {
        log(name, e.what());
    }
}

void SdkFilter::applyEdge(const FramePtr& frame) {
    run(frame, "applyEdge", false, [&](FrameView& v) { edge_.apply(v); });
}

void SdkFilter::applyMedian(const FramePtr& frame) {
    run(frame, "applyMedian", false, [&](FrameView& v) { median_.apply(v); });
}

void SdkFilter::applyKalman(const FramePtr& frame) {
    run(frame, "applyKalman", true, [&](FrameView& v) { kalman_.apply(v); });
}

void SdkFilter::applyAverage(const FramePtr& frame) {
    run(frame, "applyAverage", true, [&](FrameView& v) { average_.apply(v); });
}

void SdkFilter::applyDust(const FramePtr& frame) {
    run(frame, "applyDust", true,
        [&](FrameView& v) { frame->setDustValue(dust_.apply(v).percent()); });
}

void SdkFilter::applyCloudFirstPass(const FramePtr& frame) {
    run(frame, "applyCloudFirstPass", false, [&](FrameView& v) { erosion_.apply(v); });
}

void SdkFilter::applyCloudSecondPass(const FramePtr& frame) {
    run(frame, "applyCloudSecondPass", true, [&](FrameView& v) { motion_.apply(v); });
}

void SdkFilter::applyReflectivity(const FramePtr& frame) {
    run(frame, "applyReflectivity", false, [&](FrameView& v) { band_.apply(v); });
}

void SdkFilter::applySmooth(const FramePtr& frame) {
    run(frame, "applySmooth", false, [&](FrameView& v) { smooth_.apply(v); });
}

}  // namespace Movoda::sdkfilter
