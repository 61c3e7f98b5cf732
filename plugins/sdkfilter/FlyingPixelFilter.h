// Removes flying pixels: the mixed depths that a time-of-flight pixel reports where it
// sees both a near and a far surface. Such a pixel sits apart from the surfaces on both
// of its sides, so it is removed when, along one of the four directions through it
// (row, column, two diagonals), it differs by more than the threshold from both
// neighbours. A neighbour without a measurement counts as different; the border rows and
// columns are repeated outwards, so the border alone never makes a jump. The last pixel of
// a clean step still agrees with its own plateau on one side, so both plateaus survive
// whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FrameView.h"

namespace Movoda::sdkfilter {

class FlyingPixelFilter {
public:
    void setThreshold(uint32_t millimetres) { threshold_ = millimetres; }
    // Returns the number of pixels removed.
    size_t apply(FrameView& view);

private:
    uint32_t threshold_ = 0;
    std::vector<int32_t> padded_;  // one pixel of border on each side
    std::vector<uint8_t> flags_;   // one row
};

}  // namespace Movoda::sdkfilter
