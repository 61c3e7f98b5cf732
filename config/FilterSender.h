// What the filter window's controls send to the SDK's filters, as plain values and
// functions, so that the viewer and vantory-cli send a configuration the same way.
#pragma once

#include <cstdint>

#include "FilterValues.h"

namespace Movoda {
class MvSdk;
}

namespace vantory::filters {

// The filter window's controls. Defaults are the first-run values of the settings file.
struct FilterControls {
    bool edgeOn = true;
    int edgeThreshold = 200;
    bool medianOn = true;
    bool median5 = false;  // else 3
    bool kalmanOn = true;
    double kalmanFactor = 0.3;
    int kalmanThreshold = 300;
    bool dustOn = true;
    int dustThreshold = 2000;
    int dustType = 0;
    int dustFrames = 2;
    bool reflectivityOn = true;
    double reflectivityMin = 0.5;
    double reflectivityMax = 2.0;
    // The point-cloud filter switch after the library check (off when the viewer's cloud
    // filter library is missing).
    bool cloudFilterOn = true;
    double distanceDivisor = 5.0;
    bool dynamicsOn = true;
    int windowSize = 9;
    int motionSize = 5;
    bool smoothOn = false;
    int smoothIterations = 2;
    int smoothDelta = 70;
    double smoothAlpha = 0.7;
    bool averageOn = false;
    int averageSize = 4;
};

// The stored values over `base`: an empty field (a value that failed its load check)
// keeps the base's value; the dust type is 0, the only type a file can name.
FilterControls controlsFromValues(const FilterValues& values, bool pclFilterOn,
                                  FilterControls base = {});

// The controls as the settings files store them (group Filters).
FilterValues valuesOfControls(const FilterControls& controls);

// The SDK's filter operations; MvSdkFilterSink forwards them to an MvSdk.
class FilterSink {
public:
    virtual ~FilterSink() = default;
    virtual void setKalmanFilter(uint16_t factorTimes1000, uint16_t threshold, uint16_t mode) = 0;
    virtual void setAverageFilter(uint16_t windowSize, uint16_t mode) = 0;
    virtual void setEdgeFilter(uint16_t threshold) = 0;
    virtual void setMedianFilter(uint16_t kernelSize) = 0;
    virtual void setDustFilter(uint16_t threshold, uint16_t frames, uint16_t mode,
                               uint16_t range) = 0;
    virtual void setCloudFilter(float divisor, uint8_t enabled, uint32_t window,
                                uint8_t motion) = 0;
    virtual void setReflectivityFilter(float lower, float upper) = 0;
    virtual void setSmoothFilter(int iterations, int delta, float alpha) = 0;
};

class MvSdkFilterSink : public FilterSink {
public:
    explicit MvSdkFilterSink(Movoda::MvSdk& sdk) : sdk_(sdk) {}
    void setKalmanFilter(uint16_t factorTimes1000, uint16_t threshold, uint16_t mode) override;
    void setAverageFilter(uint16_t windowSize, uint16_t mode) override;
    void setEdgeFilter(uint16_t threshold) override;
    void setMedianFilter(uint16_t kernelSize) override;
    void setDustFilter(uint16_t threshold, uint16_t frames, uint16_t mode, uint16_t range) override;
    void setCloudFilter(float divisor, uint8_t enabled, uint32_t window, uint8_t motion) override;
    void setReflectivityFilter(float lower, float upper) override;
    void setSmoothFilter(int iterations, int delta, float alpha) override;

private:
    Movoda::MvSdk& sdk_;
};

// One function per control row of the filter window.
void sendEdge(FilterSink& sink, const FilterControls& c);
void sendMedian(FilterSink& sink, const FilterControls& c);
void sendKalman(FilterSink& sink, const FilterControls& c);
void sendDust(FilterSink& sink, const FilterControls& c);
void sendReflectivityBand(FilterSink& sink, const FilterControls& c);
// The point-cloud filter switch and dynamic capture, then the smoothing, averaging and
// dynamic-capture values of the cloud-filter refresh.
void sendCloudFilters(FilterSink& sink, const FilterControls& c);

// Everything above in this order: median, Kalman, edge, dust, reflectivity band,
// point-cloud filter.
void applySdkFilters(FilterSink& sink, const FilterControls& c);

}  // namespace vantory::filters
