#include "CloudButtons.h"

#include <cstdlib>

#include "CloudViewConstants.h"

namespace vantory::cloudview {

namespace {
constexpr int kRight = kButtonMargin;
constexpr int kLeft = kButtonMargin + kButtonSize;
constexpr int kCentre = kButtonSize / 2;
}  // namespace

ButtonBounds plusButtonBounds(int windowWidth) {
    const double bottom = kButtonMargin + kButtonSize + kButtonGap;
    return {double(windowWidth - kLeft),
            double(windowWidth - kRight),
            bottom,
            bottom + kButtonSize,
            0.0,
            0.0};
}

ButtonBounds minusButtonBounds(int windowWidth) {
    const double bottom = kButtonMargin;
    return {double(windowWidth - kLeft),
            double(windowWidth - kRight),
            bottom,
            bottom + kButtonSize,
            0.0,
            0.0};
}

std::vector<std::uint8_t> buttonImage(bool plus) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kButtonSize) * kButtonSize * 3,
                                  kButtonGrey);
    for (int row = 0; row < kButtonSize; ++row) {
        for (int column = 0; column < kButtonSize; ++column) {
            const bool bar = std::abs(kCentre - row) < kButtonBarHalfWidth &&
                             column > kButtonBarFrom && column < kButtonBarTo;
            const bool stem = plus && std::abs(kCentre - column) < kButtonBarHalfWidth &&
                              row >= kButtonStemFrom && row <= kButtonStemTo;
            if (!bar && !stem) continue;
            const std::size_t at = (static_cast<std::size_t>(row) * kButtonSize + column) * 3;
            rgb[at] = rgb[at + 1] = rgb[at + 2] = kButtonWhite;
        }
    }
    return rgb;
}

}  // namespace vantory::cloudview
