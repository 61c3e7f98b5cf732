// Everything the viewer keeps in its settings file, as plain values, and the rules that
// turn stored values into control values. The store reads and writes these; the main
// window moves them into and out of its widgets.
#pragma once

#include <QString>

#include <array>
#include <optional>

#include "WindowGeometry.h"

namespace vantory {

// Group Filters. On load a field is empty when the stored value fails its check, which
// leaves the control as it was.
struct FilterValues {
    std::optional<int> medianSize;  // 0 off, 3 or 5
    std::optional<bool> kalmanEnable;
    std::optional<double> kalmanFactor;
    std::optional<int> kalmanThreshold;
    std::optional<bool> edgeEnable;
    std::optional<int> edgeThreshold;
    std::optional<bool> dustEnable;
    std::optional<int> dustThreshold;
    std::optional<int> dustFrames;
    std::optional<double> postprocessThreshold;
    std::optional<bool> dynamicsEnabled;
    std::optional<int> dynamicsWinsize;
    std::optional<int> dynamicsMotionsize;
    std::optional<bool> reflectiveEnable;
    std::optional<double> refThMin;
    std::optional<double> refThMax;
    std::optional<bool> spatialEnable;
    std::optional<double> spatialAlpha;
    std::optional<int> spatialDelta;
    std::optional<int> spatialIterations;
    std::optional<bool> averageEnable;
    std::optional<int> averageSize;
    bool operator==(const FilterValues& other) const;
};

// HDR mode and integration times of one camera series.
struct SeriesValues {
    int hdr = 0;
    std::array<int, 5> intTimes{};
    bool operator==(const SeriesValues& o) const { return hdr == o.hdr && intTimes == o.intTimes; }
};

// What the point-cloud window shows of itself while it is open.
struct CloudViewState {
    WindowGeometry geometry;
    bool showGrid = true;
    double gridHeight = 1.0;
};

struct ViewerSettings {
    bool useUsb = false;
    QString ipAddress;
    int imgType = 0;
    SeriesValues series;               // the general series' keys on load
    std::array<int, 5> freqIndices{};  // box indices; kNoSelection for an unknown code
    int intGs = 0;
    int minLsb = 0;
    int minDist = 0;
    int maxDist = 0;
    std::optional<int> modFreq;  // empty when outside 0..4
    bool pclFilterOn = false;
    bool hMirror = false, vMirror = false;
    int maxFps = 10;
    std::optional<int> renderType;  // empty when 3 or above
    std::optional<int> cloudCoord;  // empty when 2 or above
    int cutCorner = 0;
    FilterValues filters;
    WindowGeometry mainWindow;
    WindowGeometry cloudWindow;
    bool cloudShowGrid = true;
    double cloudGridHeight = 1.0;
    bool operator==(const ViewerSettings& other) const;
};

namespace settings {

// A frequency box index with no selection: what an unknown stored code loads as.
constexpr int kNoSelection = 100;
// Box item ("24M", "12M", "6M", "4.8M", "3M", "1.5M", "0.75M") <-> stored modulation code.
// Items and codes without a partner print "Unknown FREQ!".
int freqCodeOfIndex(int index);
int freqIndexOfCode(int code);

// maxfps as loaded: below 1 becomes 10, above 30 becomes 30.
int loadedMaxFps(int stored);
// modfreq as shown in developer mode: values 0..4 show as min(value, 2).
std::optional<int> loadedModFreq(int stored);

}  // namespace settings
}  // namespace vantory
