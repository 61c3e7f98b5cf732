// The look of the whole application: Fusion style, a light palette and style sheets.
#pragma once

#include <QPalette>
#include <QString>

class QApplication;

namespace vantory {

constexpr const char* kBaseStyleSheet = "* { color: black; background-color: white; }";
constexpr const char* kDisabledStyleSheet =
    "*:disabled { color: palette(mid); background-color: palette(window); }";
constexpr const char* kOptionalStyleSheetPath = "/styles/qt5style.qss";

QPalette viewerPalette();
// Applies style, palette and the sheets; the sheet file beside the program, when it
// can be read, replaces the built-in ones. Returns the sheet finally in force.
QString applyViewerStyle(QApplication& app);

}  // namespace vantory
