// Interface of the frame filter object that the optional filter library provides.
// The library exports an extern "C" function named kCreateBaseFilterSymbol with the
// signature CreateBaseFilterFunction; the SDK calls it once, calls initialise() once and
// deletes the object (virtual destructor) before it unloads the library.
//
// The order of the virtual operations is part of the binary interface with libraries
// built separately: do not reorder, insert or remove entries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mvsdk/IFrame.h"

namespace Movoda {

// Log function handed to the library: (tag, message).
using FilterLogFunction = void (*)(const std::string& tag, const std::string& message);

class ISdkFilter {
public:
    using FramePtr = std::shared_ptr<IFrame>;

    // Version text of the library; the SDK does not call it.
    virtual const char* versionText() const = 0;

    // Setters return true when the library accepts the values (the filter is then on).
    virtual bool setDustParams(uint16_t threshold, uint16_t frames, uint16_t fourth,
                               uint16_t third) = 0;
    virtual bool setEdgeParams(uint16_t threshold) = 0;
    virtual bool setKalmanParams(uint16_t factor, uint16_t threshold, uint16_t third) = 0;
    virtual bool setMedianParams(uint16_t kernel) = 0;
    virtual bool setCloudParams(const float* distanceDivisor, const uint8_t* on,
                                uint32_t windowSize, uint8_t motionSize) = 0;
    virtual bool setReflectivityParams(const float* lower, const float* upper) = 0;
    virtual bool setModel(const char* modelText) = 0;
    virtual bool setAverageParams(uint16_t windowSize, uint16_t second) = 0;
    virtual bool setSmoothParams(const int* iterations, const int* delta, const float* alpha) = 0;
    virtual void setOption(uint64_t option) = 0;

    // Apply operations change the frame in place through IFrame.
    virtual void applyDust(const FramePtr& frame) = 0;
    virtual void applyMedian(const FramePtr& frame) = 0;
    virtual void applyKalman(const FramePtr& frame) = 0;
    virtual void applyAverage(const FramePtr& frame) = 0;
    virtual void applyEdge(const FramePtr& frame) = 0;
    // Drops the temporal filters' history; the SDK does not call it.
    virtual void resetHistory() = 0;
    virtual void applyCloudSecondPass(const FramePtr& frame) = 0;
    virtual void applyCloudFirstPass(const FramePtr& frame) = 0;
    virtual void applyReflectivity(const FramePtr& frame) = 0;
    virtual void applySmooth(const FramePtr& frame) = 0;

    virtual void initialise() = 0;

    virtual ~ISdkFilter() = default;
};

using CreateBaseFilterFunction = ISdkFilter* (*)(FilterLogFunction log);
constexpr const char* kCreateBaseFilterSymbol = "createBaseFilter";
// File name of the frame filter library, looked up beside the program first.
constexpr const char* kSdkFilterLibraryName = "libmvsdk_shared.so";

}  // namespace Movoda
