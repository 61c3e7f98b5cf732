// Values of one frame at the selected pixel: what the status line and the
// pixel-information window show, and the phase angle from the raw DCS planes.
#pragma once

#include <cstdint>

namespace Movoda {
class Frame;
}

namespace vantory::framepath {

struct PixelChoice {
    bool useSecondDistance = false;  // the filtered distance plane instead of the decoded one
    int dcsMode = 0;                 // raw-DCS display 1..3, 0 off
};

struct PixelValues {
    std::int32_t distance = 0;
    std::int32_t confidence = -1;  // HDR level byte, -1 without that plane
    std::int32_t amplitude = 0;
    std::int32_t grayscale = 0;
    float reflectivity = 0.0f;
    std::uint8_t flags = 0;
};

// A selected position outside the frame is reset to 0 on that axis.
void clampToFrame(std::int32_t& x, std::int32_t& y, int width, int height);

// The distance plane shown and sampled: the filtered one (filters and the point cloud
// write it) with useSecondDistance, else the plane as decoded.
const std::uint32_t* distancePlaneOf(const Movoda::Frame& frame, bool useSecondDistance);

// Reads the values at (x, y), which must lie inside the frame.
PixelValues readPixelValues(const Movoda::Frame& frame, int x, int y, const PixelChoice& choice);

// Phase angle in whole degrees from the four raw DCS planes at (x, y): atan2 of
// (d3 - d1, d2 - d0) shifted to 0..360. -1 when the frame carries too few raw values
// or when x or y is 0.
std::int32_t phaseAngle(const Movoda::Frame& frame, int x, int y);
std::int32_t phaseAngleOf(int d0, int d1, int d2, int d3);

}  // namespace vantory::framepath
