// Readable "name: value" lines for the device records printed by "info".
#pragma once

#include <string>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace vantory_cli {

std::vector<std::string> devInfoLines(const Movoda::DevInfo& info);
std::vector<std::string> devConfigLines(const Movoda::DevConfig& config);
std::vector<std::string> lensLines(const Movoda::LensParams& lens);

// "a.b.c.d"
std::string dottedText(const std::array<uint8_t, 4>& bytes);
// "AA-BB-CC-DD-EE-FF"
std::string macText(const std::array<uint8_t, 6>& mac);

}  // namespace vantory_cli
