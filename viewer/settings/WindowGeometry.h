// Position and size of a top-level window on the screen, as stored in the settings file.
#pragma once

namespace vantory {

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    // Restored only when no component is zero (a reset file holds zeros).
    bool applies() const { return x != 0 && y != 0 && width != 0 && height != 0; }
    bool operator==(const WindowGeometry& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

}  // namespace vantory
