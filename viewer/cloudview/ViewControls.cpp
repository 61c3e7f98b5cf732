#include "ViewControls.h"

#include <algorithm>
#include <cstring>

namespace vantory::cloudview {

namespace {

void toggle(std::atomic<bool>& flag) {
    flag.store(!flag.load());
}

void stepGridHeight(ViewControls& c, double delta) {
    const double height = std::clamp(c.gridHeight.load() + delta, kMinGridHeight, kMaxGridHeight);
    c.gridHeight.store(height);
    c.gridDirty.store(true);
}

}  // namespace

void changePointSize(ViewControls& c, bool increase) {
    const float size = c.pointSize.load();
    if (increase)
        c.pointSize.store(size + kPointSizeStep);
    else if (size > kMinPointSize)
        c.pointSize.store(size - kPointSizeStep);
}

bool applyKey(const KeyPress& key, ViewControls& c) {
    if (!key.down || key.symbol == nullptr || std::strlen(key.symbol) != 1) return false;
    const char symbol = key.symbol[0];
    if (symbol == 'p') {
        toggle(c.showAxes);
        c.viewResetRequested.store(true);
        return true;
    }
    if (!key.ctrl) return false;
    switch (symbol) {
        case '3':
            changePointSize(c, true);
            return true;
        case '4':
            changePointSize(c, false);
            return true;
        case '5':
            toggle(c.highlightOn);
            return true;
        case '6':
            c.opacity.store(std::min(c.opacity.load() + kOpacityStep, kMaxOpacity));
            return true;
        case '7': {
            const float opacity = c.opacity.load();
            if (opacity > kMinOpacity) c.opacity.store(opacity - kOpacityStep);
            return true;
        }
        case '8':
            toggle(c.showGrid);
            c.gridDirty.store(true);
            return true;
        case '9':
            stepGridHeight(c, kGridHeightStep);
            return true;
        case '0':
            stepGridHeight(c, -kGridHeightStep);
            return true;
        default:
            return false;
    }
}

}  // namespace vantory::cloudview
