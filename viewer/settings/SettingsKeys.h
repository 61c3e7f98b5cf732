// Keys and first-run values of the viewer's settings file ("gui" + suffix + ".ini").
#pragma once

namespace vantory::settings {

constexpr const char* kUiLanguage = "Setting/uilanguage";
constexpr const char* kIfSelUsb = "Setting/ifSelUsb";
constexpr const char* kIpAddress = "Setting/ipaddress";
constexpr const char* kImgType = "Setting/imgType";

constexpr int kForceEnglish = 1;
constexpr const char* kDefaultIpAddress = "192.168.2.101";
constexpr int kDefaultImgType = 1;
constexpr int kDefaultIfSelUsb = 0;

}  // namespace vantory::settings
