// The part of a frame that the depth filters work on. After SDK binning the planes keep
// their sensor size, but only the first width x height entries hold the image, so every
// filter works on that many pixels with a row stride of width.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mvsdk/IFrame.h"

namespace Movoda::sdkfilter {

struct FrameView {
    uint32_t* distance = nullptr;
    const uint16_t* amplitude = nullptr;  // null when the frame carries no amplitude
    float* reflectivity = nullptr;        // null when the frame carries no amplitude
    uint8_t* marks = nullptr;             // null unless removal marks are wanted
    int width = 0;
    int height = 0;

    size_t pixels() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
    bool empty() const { return distance == nullptr || pixels() == 0; }
};

// An empty view for frames without a distance plane (grayscale only, or a frame whose
// planes failed their size check) and for inconsistent sizes.
FrameView viewOf(IFrame& frame, bool withMarks);

// Zero and the invalid codes carry no measurement.
inline bool isMeasured(uint32_t distance) {
    return distance - 1u < kDistanceInvalidFrom - 1u;
}

// Replaces a pixel's distance by an invalid code; its reflectivity becomes 0 as for every
// invalid pixel, and the mark (when marks are on) tells which filter took it.
inline void removePixel(FrameView& view, size_t i, uint32_t code, uint8_t mark) {
    view.distance[i] = code;
    if (view.reflectivity != nullptr) view.reflectivity[i] = 0.0f;
    if (view.marks != nullptr) view.marks[i] = mark;
}

}  // namespace Movoda::sdkfilter
