// The frame filter object of the library: it keeps each filter's settings and state and
// runs a filter on the frame the chain hands it, changing the frame in place.
// The chain serialises every call under its own lock, so the object needs none.
#pragma once

#include <string>

#include "DustFilter.h"
#include "EdgePreservingSmoother.h"
#include "FlyingPixelFilter.h"
#include "KalmanFilter.h"
#include "MedianFilter.h"
#include "NearRangeErosion.h"
#include "ReflectivityBand.h"
#include "RunningWindowFilter.h"
#include "mvsdk/ISdkFilter.h"

namespace Movoda::sdkfilter {

class SdkFilter final : public ISdkFilter {
public:
    explicit SdkFilter(FilterLogFunction log) : log_(log) {}

    const char* versionText() const override;

    bool setDustParams(uint16_t toleranceAndType, uint16_t frames, uint16_t validPercent,
                       uint16_t rangeMm) override;
    bool setEdgeParams(uint16_t threshold) override;
    bool setKalmanParams(uint16_t gainPerMille, uint16_t threshold, uint16_t referenceMm) override;
    bool setMedianParams(uint16_t kernel) override;
    bool setCloudParams(const float* distanceDivisor, const uint8_t* on, uint32_t windowSize,
                        uint8_t motionSize) override;
    bool setReflectivityParams(const float* lower, const float* upper) override;
    bool setModel(const char* modelText) override;
    bool setAverageParams(uint16_t windowSize, uint16_t restartMm) override;
    bool setSmoothParams(const int* iterations, const int* delta, const float* alpha) override;
    void setOption(uint64_t option) override;

    void applyDust(const FramePtr& frame) override;
    void applyMedian(const FramePtr& frame) override;
    void applyKalman(const FramePtr& frame) override;
    void applyAverage(const FramePtr& frame) override;
    void applyEdge(const FramePtr& frame) override;
    void resetHistory() override;
    void applyCloudSecondPass(const FramePtr& frame) override;
    void applyCloudFirstPass(const FramePtr& frame) override;
    void applyReflectivity(const FramePtr& frame) override;
    void applySmooth(const FramePtr& frame) override;

    void initialise() override;

private:
    // What temporal state belongs to: a frame of another size or mode starts it anew.
    struct StreamShape {
        uint16_t width = 0, height = 0, dataType = 0, roiX0 = 0, roiY0 = 0, binX = 0, binY = 0;
        uint8_t dataFlags = 0, binningFlags = 0;
        bool operator==(const StreamShape& o) const;
    };

    // Runs one filter on the frame's view; temporal filters first follow the stream.
    template <typename Run>
    void run(const FramePtr& frame, const char* name, bool temporal, Run filter);
    void followStream(const IFrame& frame);
    void log(const std::string& operation, const std::string& message) const;
    // Logs a setting change and passes the verdict on.
    bool report(const char* name, bool accepted, const std::string& values) const;

    FilterLogFunction log_;
    bool markRemoved_ = false;
    StreamShape shape_;
    std::string model_;

    FlyingPixelFilter edge_;
    MedianFilter median_;
    KalmanFilter kalman_;
    RunningWindowFilter average_;
    DustFilter dust_;
    NearRangeErosion erosion_;
    RunningWindowFilter motion_;
    ReflectivityBand band_;
    EdgePreservingSmoother smooth_;
};

}  // namespace Movoda::sdkfilter
