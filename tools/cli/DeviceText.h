// Readable "name: value" lines for the device records printed by "info".
#pragma once

#include <string>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace vantory_cli {

std::vector<std::string> devInfoLines(const Movoda::DevInfo& info);
std::vector<std::string> devConfigLines(const Movoda::DevConfig& config);
std::vector<std::string> lensLines(const Movoda::LensParams& lens);

}  // namespace vantory_cli
