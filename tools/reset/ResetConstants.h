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

inline constexpr char kUsageText[] =
    "Usage: vantory-reset COMMAND [N]\n"
    "\n"
    "Repairs the settings files of the viewer vantory in the working folder: gui.ini,\n"
    "or guiN.ini for the viewer started as vantory N. Only files that hold\n"
    "Setting/ipaddress are changed; run it while the viewer is closed.\n"
    "\n"
    "Commands:\n"
    "  rstguisize       zero the saved window geometry of guiN.ini, so that the\n"
    "                   windows open in a default place\n"
    "  rstguisize-all   the same for gui.ini and gui1.ini to gui9.ini\n"
    "  rstk150set       copy every key of the file restorecfg into guiN.ini (only when\n"
    "                   restorecfg holds Setting/imgType); other keys stay\n"
    "  rstk150set-all   the same for gui.ini and gui1.ini to gui9.ini\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this text and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "The exit status is 0 in every case, also for a command it does not know (this text\n"
    "then goes to standard error); files that could not be written are named there.\n";

}  // namespace reset
