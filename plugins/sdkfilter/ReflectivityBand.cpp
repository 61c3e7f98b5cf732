#include "ReflectivityBand.h"

#include "SdkFilterConstants.h"

namespace Movoda::sdkfilter {

size_t ReflectivityBand::apply(FrameView& view) const {
    if (view.empty() || view.amplitude == nullptr || view.reflectivity == nullptr) return 0;
    size_t removed = 0;
    const size_t n = view.pixels();
    for (size_t i = 0; i < n; ++i) {
        if (!isMeasured(view.distance[i]) || view.amplitude[i] >= kRawCodeFrom) continue;
        const float r = view.reflectivity[i];
        if (r >= lower_ && r <= upper_) continue;
        removePixel(view, i, kRemovedReflectivity, kMarkReflectivity);
        ++removed;
    }
    return removed;
}

}  // namespace Movoda::sdkfilter
