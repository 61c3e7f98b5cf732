#include "ReflectivityBand.h"

#include "SdkFilterConstants.h"

namespace Movoda::sdkfilter {

bool ReflectivityBand::judged(const FrameView& view, size_t i) const {
    return isMeasured(view.distance[i]) && view.amplitude[i] < kRawCodeFrom;
}

bool ReflectivityBand::isolatedAmongBrighter(const FrameView& view, int x, int y) const {
    int neighbours = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        const int ny = y + dy;
        if (ny < 0 || ny >= view.height) continue;
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            if ((dx == 0 && dy == 0) || nx < 0 || nx >= view.width) continue;
            const size_t n =
                static_cast<size_t>(ny) * static_cast<size_t>(view.width) + static_cast<size_t>(nx);
            if (!judged(view, n)) continue;
            if (view.reflectivity[n] < upper_) return false;
            ++neighbours;
        }
    }
    return neighbours > 0;
}

size_t ReflectivityBand::apply(FrameView& view) {
    if (view.empty() || view.amplitude == nullptr || view.reflectivity == nullptr) return 0;
    const size_t n = view.pixels();
    remove_.assign(n, 0);  // keeps its capacity: no allocation after the first frame
    size_t removed = 0;
    for (int y = 0; y < view.height; ++y) {
        for (int x = 0; x < view.width; ++x) {
            const size_t i =
                static_cast<size_t>(y) * static_cast<size_t>(view.width) + static_cast<size_t>(x);
            if (!judged(view, i)) continue;
            const float r = view.reflectivity[i];
            if (r >= upper_) continue;
            if (r < lower_ || isolatedAmongBrighter(view, x, y)) {
                remove_[i] = 1;
                ++removed;
            }
        }
    }
    for (size_t i = 0; i < n && removed > 0; ++i) {
        if (remove_[i] != 0) removePixel(view, i, kRemovedReflectivity, kMarkReflectivity);
    }
    return removed;
}

}  // namespace Movoda::sdkfilter
