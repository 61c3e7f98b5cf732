#pragma once

#include <QColor>

namespace vantory::view {

constexpr const char* kCrosshairResource = ":/cursors/cursors/cursor_crosshair.png";
constexpr int kCrosshairFallbackSize = 32;
constexpr int kOverlayPenWidth = 2;
inline QColor overlayColor() { return QColor(200, 200, 200); }
constexpr int kLineHeight = 2;   // a finished line is kept as a 2-pixel-high rectangle
constexpr int kRotationDegrees = 90;

constexpr const char* kSaveDialogTitle = "save image as";
constexpr const char* kSaveFilter = ".png";
constexpr const char* kPngSuffix = ".png";

}  // namespace vantory::view
