#pragma once

#include <QtGlobal>

// Values the device list shares with the cameras' announcements and its own window.
namespace devlist {

inline constexpr quint16 kAnnouncementPort = 7686;
inline constexpr int kExpiryCheckIntervalMs = 5000;
// A row is dropped once its camera has been silent for longer than this.
inline constexpr qint64 kSilenceLimitMs = 23000;

inline constexpr char kInstanceKey[] = "MV_DEVLIST";
inline constexpr char kWindowTitle[] = "MV Device list";
inline constexpr char kUsageText[] =
    "Usage: vantory-devlist [Qt options]\n"
    "\n"
    "Opens the window \"MV Device list\", which lists the time-of-flight cameras that\n"
    "announce themselves on UDP port 7686 of this computer, one row per camera showing\n"
    "its last announcement. A camera silent for more than 23 seconds leaves the list.\n"
    "Only one copy runs at a time; a second one exits with status 255.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this text and exit\n"
    "  --version      show the version and exit\n"
    "Qt's own options, such as -platform, are accepted as well.\n";
inline constexpr char kSecondCopyMessage[] =
    "vantory-devlist: not started: another copy already lists the cameras (marker "
    "MV_DEVLIST).\n";
inline constexpr char kRefreshMessage[] = "updata list";

inline constexpr char kIpv4Pattern[] =
    "^((25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)$";

inline constexpr int kWindowWidth = 800;
inline constexpr int kWindowHeight = 600;
inline constexpr int kMenuBarHeight = 17;

}  // namespace devlist
