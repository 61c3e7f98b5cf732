// Edge-preserving smoothing by a recursive domain-transform filter: each pass runs along
// the rows or columns in one direction and blends every pixel with its already smoothed
// predecessor, J = alpha * I + (1 - alpha) * J_prev, but only where the two differ by no
// more than delta (mm); a larger difference is an edge, where the blending starts anew.
// An iteration runs down, up, right and left. Pixels without a measurement stop the
// blending and stay without one.
#pragma once

#include <vector>

#include "FrameView.h"

namespace Movoda::sdkfilter {

struct SmoothSettings {
    int iterations = 0;  // 1 .. kMaxSmoothIterations; 0 switches it off
    float deltaMm = 0;   // > 0
    float alpha = 1;     // (0, 1]; 1 leaves the depth as it is
};

class EdgePreservingSmoother {
public:
    void configure(const SmoothSettings& settings) { settings_ = settings; }
    void apply(FrameView& view);

private:
    SmoothSettings settings_;
    std::vector<float> image_;
    std::vector<float> transposed_;
};

}  // namespace Movoda::sdkfilter
