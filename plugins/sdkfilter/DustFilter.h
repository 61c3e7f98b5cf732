// Removes dust and other short-lived returns by asking whether a depth is seen again:
// a pixel is kept only when it agrees (within the tolerance) with at least the given share
// of the last frames' depths at that pixel. Only pixels up to the range limit are checked,
// since airborne dust shows near the camera. The last frames are remembered as received,
// before removal, so one dusty frame does not erase the evidence of the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FrameView.h"

namespace Movoda::sdkfilter {

struct DustSettings {
    int frames = 0;           // frames remembered, 1 .. kMaxDustFrames; 0 switches it off
    int32_t toleranceMm = 0;  // > 0
    int validPercent = 100;   // share of the remembered frames that must agree, 1 .. 100
    uint32_t rangeMm = 0;     // farther pixels are not checked; 0: every pixel is
};

struct DustResult {
    size_t checked = 0;
    size_t removed = 0;
    // Share of checked pixels removed, rounded, in per cent (0 when none was checked).
    int32_t percent() const;
};

class DustFilter {
public:
    // A different number of frames forgets the remembered ones.
    void configure(const DustSettings& settings);
    DustResult apply(FrameView& view);
    void reset();

private:
    DustSettings settings_;
    size_t pixels_ = 0;
    int stored_ = 0;  // remembered frames so far, up to settings_.frames
    int next_ = 0;    // plane the coming frame is remembered in
    std::vector<int32_t> history_;
    std::vector<int32_t> current_;
    std::vector<uint8_t> agreeing_;
};

}  // namespace Movoda::sdkfilter
