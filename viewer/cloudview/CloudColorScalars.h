// The colour of every drawn point as one scalar, mapped by the visualiser's default
// lookup table (low red, high blue) over the scalars' range. Extra pinned values fix that
// range: distances always span the distance window, intensities 1..the display maximum.
#pragma once

#include <vector>

#include "CloudTypes.h"
#include "DisplaySettings.h"

namespace vantory::cloudview {

// One scalar per point with finite x, y and z, in cloud order, then kPinCount copies of
// the low end and kPinCount of the high end. `out` is reused.
void colorScalars(const Cloud& cloud, const DisplayValues& display, std::vector<float>& out);

}  // namespace vantory::cloudview
