// What the user changes inside the point-cloud window (keys, buttons) and what the main
// window asks of it. Written by the GUI and viewer threads, read by the viewer thread.
#pragma once

#include <atomic>

#include "CloudViewConstants.h"

namespace vantory::cloudview {

struct ViewControls {
    std::atomic<float> pointSize{kInitialPointSize};
    std::atomic<float> opacity{kInitialOpacity};
    std::atomic<bool> highlightOn{true};
    std::atomic<bool> showAxes{true};
    std::atomic<bool> showGrid{true};
    std::atomic<double> gridHeight{kInitialGridHeight};
    std::atomic<bool> gridDirty{false};
    std::atomic<bool> viewResetRequested{false};
};

// One key press as the window reports it.
struct KeyPress {
    const char* symbol = "";  // must be exactly one character
    bool ctrl = false;
    bool down = true;
};

// Applies the window's keyboard table: p toggles the axes and resets the view; with Ctrl,
// 3/4 change the point size, 5 the highlight, 6/7 the opacity, 8 the grid, 9/0 the grid
// height. False when the key means nothing here.
bool applyKey(const KeyPress& key, ViewControls& controls);

// The two on-screen buttons: one point larger, or one smaller down to the minimum.
void changePointSize(ViewControls& controls, bool increase);

}  // namespace vantory::cloudview
