// Removes dark pixels by their reflectivity (per cent). Reflectivity below `lower` is
// taken as noise, multipath or dust and always removed. A pixel in [lower, upper) is a
// doubtful one: it goes only where it stands alone among brighter pixels (every judged
// neighbour at `upper` or above), which is how a dust speck or a multipath spot on a
// bright surface looks; a dark but real surface keeps it. Nothing at `upper` or above is
// removed, so normal surfaces (10-90 %) always stay.
// Pixels whose reflectivity is unknown (saturated or missing amplitude) are not judged,
// and frames without an amplitude plane carry no reflectivity at all, so they pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FrameView.h"

namespace Movoda::sdkfilter {

class ReflectivityBand {
public:
    void setBand(float lower, float upper) {
        lower_ = lower;
        upper_ = upper;
    }
    // Returns the number of pixels removed.
    size_t apply(FrameView& view);

private:
    bool judged(const FrameView& view, size_t i) const;
    bool isolatedAmongBrighter(const FrameView& view, int x, int y) const;

    float lower_ = 0;
    float upper_ = 0;
    std::vector<uint8_t> remove_;  // this frame's verdicts, decided before any removal
};

}  // namespace Movoda::sdkfilter
