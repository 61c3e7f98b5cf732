// This computer's address as the camera should stream to it.
#pragma once

#include <string>

namespace Movoda::facade {

constexpr const char* kNoLocalAddress = "0.0.0.0";

// Resolves the host name and takes the last IPv4 address that is not a loopback one,
// printing each candidate; kNoLocalAddress when there is none.
std::string localIpv4Address();

}  // namespace Movoda::facade
