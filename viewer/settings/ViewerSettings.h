// Everything the viewer keeps in its settings file, as plain values, and the rules that
// turn stored values into control values. The store reads and writes these; the main
// window moves them into and out of its widgets.
#pragma once

#include <QString>

#include <array>
#include <optional>

#include "FilterValues.h"
#include "ValueRules.h"
#include "WindowGeometry.h"

namespace vantory {

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

}  // namespace vantory
