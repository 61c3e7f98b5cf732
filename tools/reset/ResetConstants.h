#pragma once

#include <array>

// Names shared by the viewer's settings files and the reset tool's command line.
namespace reset {

inline constexpr char kCmdResetGeometry[] = "rstguisize";
inline constexpr char kCmdResetGeometryAll[] = "rstguisize-all";
inline constexpr char kCmdRestore[] = "rstk150set";
inline constexpr char kCmdRestoreAll[] = "rstk150set-all";

inline constexpr char kTargetPrefix[] = "gui";
inline constexpr char kTargetExtension[] = ".ini";
inline constexpr char kReferenceFile[] = "restorecfg";

// A file is a viewer settings file only when it holds this key.
inline constexpr char kKeyIpAddress[] = "Setting/ipaddress";
// A reference file is usable only when it holds this key.
inline constexpr char kKeyImageType[] = "Setting/imgType";

// Written as 0 in this order by the geometry reset.
inline constexpr std::array<const char*, 8> kGeometryKeys = {
    "ui/mainwin_x",  "ui/mainwin_y",  "ui/mainwin_width",  "ui/mainwin_height",
    "ui/pclwin_x",   "ui/pclwin_y",   "ui/pclwin_width",   "ui/pclwin_height",
};

// The "-all" commands visit the empty suffix and then 1 to 9.
inline constexpr int kLastNumberedSuffix = 9;

}  // namespace reset
