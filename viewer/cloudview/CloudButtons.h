// The two point-size buttons at the right edge of the point-cloud window: where they go
// and what they show.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vantory::cloudview {

// xmin, xmax, ymin, ymax, zmin, zmax in display coordinates (origin at the bottom left).
using ButtonBounds = std::array<double, 6>;

ButtonBounds plusButtonBounds(int windowWidth);
ButtonBounds minusButtonBounds(int windowWidth);

// kButtonSize x kButtonSize RGB bytes, row by row: grey with a white bar, and for the
// plus button a white stem across it.
std::vector<std::uint8_t> buttonImage(bool plus);

}  // namespace vantory::cloudview
