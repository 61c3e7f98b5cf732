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
inline constexpr char kRefreshMessage[] = "updata list";

inline constexpr char kIpv4Pattern[] =
    "^((25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)$";

inline constexpr int kWindowWidth = 800;
inline constexpr int kWindowHeight = 600;
inline constexpr int kMenuBarHeight = 17;

}  // namespace devlist
