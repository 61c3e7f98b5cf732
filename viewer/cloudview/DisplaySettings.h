// The main window's settings that the point-cloud view reads: distance window, colouring,
// coordinate type, reflectivity maximum and the cloud filter switch. The GUI thread
// writes them; the frame thread and the viewer thread read a snapshot.
#pragma once

#include <atomic>
#include <cstdint>

#include "CloudViewConstants.h"

namespace vantory::cloudview {

struct DisplayValues {
    int minDistanceMm = 0;
    int maxDistanceMm = 1250;
    int renderType = kRenderDistance;
    int coordType = kCoordCamera;
    int amplitudeMax = 2048;
    int reflectivityMax = 100;
    bool reflectivityAuto = false;
    bool cloudFilterOn = false;
};

struct DisplaySettings {
    std::atomic<int> minDistanceMm{0};
    std::atomic<int> maxDistanceMm{1250};
    std::atomic<int> renderType{kRenderDistance};
    std::atomic<int> coordType{kCoordCamera};
    std::atomic<int> amplitudeMax{2048};
    // Written by the GUI (spin box) and by the automatic rule on the frame thread.
    std::atomic<int> reflectivityMax{100};
    std::atomic<bool> reflectivityAuto{false};
    std::atomic<bool> cloudFilterOn{false};

    DisplayValues snapshot() const {
        DisplayValues v;
        v.minDistanceMm = minDistanceMm.load();
        v.maxDistanceMm = maxDistanceMm.load();
        v.renderType = renderType.load();
        v.coordType = coordType.load();
        v.amplitudeMax = amplitudeMax.load();
        v.reflectivityMax = reflectivityMax.load();
        v.reflectivityAuto = reflectivityAuto.load();
        v.cloudFilterOn = cloudFilterOn.load();
        return v;
    }
};

}  // namespace vantory::cloudview
