// Keys and first-run values of the viewer's settings file ("gui" + suffix + ".ini").
#pragma once

namespace vantory::settings {

constexpr const char* kUiLanguage = "Setting/uilanguage";
constexpr const char* kIfSelUsb = "Setting/ifSelUsb";
constexpr const char* kIpAddress = "Setting/ipaddress";
constexpr const char* kImgType = "Setting/imgType";

// The point-cloud window: geometry, floor grid.
constexpr const char* kPclWinX = "ui/pclwin_x";
constexpr const char* kPclWinY = "ui/pclwin_y";
constexpr const char* kPclWinWidth = "ui/pclwin_width";
constexpr const char* kPclWinHeight = "ui/pclwin_height";
constexpr const char* kCloudShowGrid = "ui/cloud_showgrid";
constexpr const char* kCloudGridHeight = "ui/cloud_gridheight";

constexpr int kForceEnglish = 1;
constexpr const char* kDefaultIpAddress = "192.168.2.101";
constexpr int kDefaultImgType = 1;
constexpr int kDefaultIfSelUsb = 0;
constexpr bool kDefaultCloudShowGrid = true;
constexpr double kDefaultCloudGridHeight = 1.0;

}  // namespace vantory::settings
