// Per-pixel mean over the last frames, with running sums so that a frame costs the same
// whatever the window. Two uses:
//   - temporal average: one window; a pixel that leaves its mean by more than a fixed
//     tolerance starts its window again, so an object that moves leaves no trail;
//   - motion-adaptive window: a long window for still pixels and a short one for pixels
//     that move. A pixel that leaves the long mean but agrees with the short one drops
//     the older frames; one that leaves both starts again.
// A frame without a measurement at a pixel restarts that pixel, and its output stays
// without a measurement: no depth is ever made up from older frames.
#pragma once

#include <cstdint>
#include <vector>

#include "FrameView.h"

namespace Movoda::sdkfilter {

struct WindowSettings {
    int window = 0;              // frames, 1 .. kMaxTemporalWindow; 0 switches it off
    int shortWindow = 0;         // frames, 1 .. window
    float toleranceShare = 0;    // of the pixel's distance
    float toleranceFloorMm = 0;  // the tolerance is never below this; infinity: never
};

class RunningWindowFilter {
public:
    // A different window restarts every pixel.
    void configure(const WindowSettings& settings);
    void apply(FrameView& view);
    void reset();

private:
    WindowSettings settings_;
    size_t pixels_ = 0;
    int frame_ = 0;              // ring plane of the coming frame
    std::vector<int32_t> ring_;  // window + 1 planes of past measurements
    std::vector<int32_t> longSum_;
    std::vector<int32_t> shortSum_;
    std::vector<int32_t> age_;  // frames since the pixel's window started, at most window + 1
};

}  // namespace Movoda::sdkfilter
