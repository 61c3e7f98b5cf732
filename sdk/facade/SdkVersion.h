// The SDK's name and version as the constructor's banner prints them.
#pragma once

namespace Movoda::sdkversion {

constexpr const char* kName = "mvsdk";
constexpr const char* kVersion = "2.1.8";
constexpr const char* kBannerRule = "=================================";

}  // namespace Movoda::sdkversion
