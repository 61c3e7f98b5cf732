// A rectangle of pixels that the measurements look at.
#pragma once

#include <cstddef>

namespace vantory::analysis {

// Pixel rectangle; a width or height of 0 or less means the whole frame.
struct Roi {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The part of `roi` inside a width x height frame: the whole frame when the rectangle's
// width or height is 0 or less, an empty rectangle (width and height 0, at the clamped
// corner) when it lies entirely outside. Callers that pass the result on must check
// isEmpty() first, since an empty rectangle would read as the whole frame again.
Roi clampRoi(Roi roi, int width, int height);

inline bool isEmpty(const Roi& roi) {
    return roi.width <= 0 || roi.height <= 0;
}
inline std::size_t pixelCount(const Roi& roi) {
    return isEmpty(roi)
               ? 0
               : static_cast<std::size_t>(roi.width) * static_cast<std::size_t>(roi.height);
}

}  // namespace vantory::analysis
