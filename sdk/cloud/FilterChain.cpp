#include "cloud/FilterChain.h"

namespace Movoda {

namespace {
// Dust values at or below this still let the reflectivity filter run (-1: not measured).
constexpr int32_t kMaxDustForReflectivity = 15;
}  // namespace

FilterChain::FilterChain(const std::string& libraryName) : library_(libraryName) {}

template <typename Call>
void FilterChain::updateBit(uint16_t bit, Call call) {
    std::lock_guard<std::mutex> lock(mutex_);
    mask_ = static_cast<uint16_t>(mask_ & ~bit);
    ISdkFilter* filter = library_.filter();
    if (filter != nullptr && call(*filter)) mask_ = static_cast<uint16_t>(mask_ | bit);
}

bool FilterChain::setKalmanFilter(uint16_t factor, uint16_t threshold, uint16_t third) {
    updateBit(kFilterKalman,
              [&](ISdkFilter& f) { return f.setKalmanParams(factor, threshold, third); });
    return true;
}

bool FilterChain::setAverageFilter(uint16_t windowSize, uint16_t second) {
    updateBit(kFilterAverage, [&](ISdkFilter& f) { return f.setAverageParams(windowSize, second); });
    return true;
}

bool FilterChain::setEdgeFilter(uint16_t threshold) {
    updateBit(kFilterEdge, [&](ISdkFilter& f) { return f.setEdgeParams(threshold); });
    return true;
}

bool FilterChain::setMedianFilter(uint16_t kernel) {
    updateBit(kFilterMedian, [&](ISdkFilter& f) { return f.setMedianParams(kernel); });
    return true;
}

bool FilterChain::setDustFilter(uint16_t threshold, uint16_t frames, uint16_t third,
                                uint16_t fourth) {
    updateBit(kFilterDust,
              [&](ISdkFilter& f) { return f.setDustParams(threshold, frames, fourth, third); });
    return true;
}

void FilterChain::setCloudFilter(const float* distanceDivisor, const uint8_t* on,
                                 uint32_t windowSize, uint8_t motionSize) {
    updateBit(kFilterCloud, [&](ISdkFilter& f) {
        return f.setCloudParams(distanceDivisor, on, windowSize, motionSize);
    });
}

bool FilterChain::setReflectivityFilter(const float* lower, const float* upper) {
    updateBit(kFilterReflectivity,
              [&](ISdkFilter& f) { return f.setReflectivityParams(lower, upper); });
    return true;
}

bool FilterChain::setSmoothFilter(const int* iterations, const int* delta, const float* alpha) {
    updateBit(kFilterSmooth,
              [&](ISdkFilter& f) { return f.setSmoothParams(iterations, delta, alpha); });
    return true;
}

void FilterChain::setFilterOption(uint64_t option) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ISdkFilter* filter = library_.filter()) filter->setOption(option);
}

uint16_t FilterChain::enableMask() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return mask_;
}

void FilterChain::applyFilters(const std::shared_ptr<Frame>& frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    ISdkFilter* filter = library_.filter();
    if (filter == nullptr || !frame) return;
    const ISdkFilter::FramePtr f = frame;
    const uint16_t m = mask_;

    if (frame->version() > 2) filter->setModel(frame->modelText().c_str());
    if ((m & kFilterReflectivity) && frame->dustValue() <= kMaxDustForReflectivity) {
        filter->applyReflectivity(f);
    }
    if (m & kFilterEdge) filter->applyEdge(f);
    if (m & kFilterCloud) filter->applyCloudFirstPass(f);
    if (m & kFilterDust) filter->applyDust(f);
    if (m & kFilterCloud) filter->applyCloudSecondPass(f);
    if (m & kFilterMedian) filter->applyMedian(f);
    if (m & kFilterKalman) filter->applyKalman(f);
    if (m & kFilterAverage) filter->applyAverage(f);
    if (m & kFilterSmooth) filter->applySmooth(f);
    if (m & kFilterEdge) filter->applyEdge(f);
}

}  // namespace Movoda
