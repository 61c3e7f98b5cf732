// Keeps only pixels whose reflectivity (per cent) lies within [lower, upper]. Pixels whose
// reflectivity is unknown (saturated or missing amplitude) are not judged, and frames
// without an amplitude plane carry no reflectivity at all, so they pass unchanged.
#pragma once

#include <cstddef>

#include "FrameView.h"

namespace Movoda::sdkfilter {

class ReflectivityBand {
public:
    void setBand(float lower, float upper) {
        lower_ = lower;
        upper_ = upper;
    }
    // Returns the number of pixels removed.
    size_t apply(FrameView& view) const;

private:
    float lower_ = 0;
    float upper_ = 0;
};

}  // namespace Movoda::sdkfilter
