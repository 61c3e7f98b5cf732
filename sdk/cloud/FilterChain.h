// Runs the enabled filters of the optional filter library on each frame, in a fixed
// order, and forwards the filter settings to the library.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "cloud/LibHandler.h"
#include "mvsdk/Frame.h"

namespace Movoda {

// Enable-mask bits, one per filter.
enum FilterBit : uint16_t {
    kFilterKalman = 1,
    kFilterAverage = 2,
    kFilterEdge = 4,
    kFilterMedian = 8,
    kFilterDust = 16,
    kFilterCloud = 32,
    kFilterReflectivity = 64,
    kFilterSmooth = 128,
};

class FilterChain {
public:
    // Loads the filter library by name (see LibHandler) once for the chain's lifetime.
    explicit FilterChain(const std::string& libraryName = kSdkFilterLibraryName);

    void applyFilters(const std::shared_ptr<Frame>& frame);

    // Each clears its bit, hands the values to the library and sets the bit again only
    // when the library accepts them. A missing library accepts nothing.
    bool setKalmanFilter(uint16_t factor, uint16_t threshold, uint16_t third);
    bool setAverageFilter(uint16_t windowSize, uint16_t second);
    bool setEdgeFilter(uint16_t threshold);
    bool setMedianFilter(uint16_t kernel);
    // The library receives the values in the order first, second, fourth, third.
    bool setDustFilter(uint16_t threshold, uint16_t frames, uint16_t third, uint16_t fourth);
    void setCloudFilter(const float* distanceDivisor, const uint8_t* on, uint32_t windowSize,
                        uint8_t motionSize);
    bool setReflectivityFilter(const float* lower, const float* upper);
    bool setSmoothFilter(const int* iterations, const int* delta, const float* alpha);
    void setFilterOption(uint64_t option);

    uint16_t enableMask() const;
    bool libraryLoaded() const { return library_.loaded(); }

private:
    template <typename Call>
    void updateBit(uint16_t bit, Call call);

    mutable std::mutex mutex_;
    uint16_t mask_ = 0;
    LibHandler library_;
};

}  // namespace Movoda
