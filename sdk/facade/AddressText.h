// Checking and converting the address texts that facade operations take.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace Movoda::facade {

using Ipv4Bytes = std::array<uint8_t, 4>;
using MacBytes = std::array<uint8_t, 6>;

// Dotted decimal: four parts of one to three digits, each at most 255.
bool isValidIpv4Text(const std::string& text);
// The four numbers a.b.c.d in text order; empty for an invalid text.
std::optional<Ipv4Bytes> parseIpv4Text(const std::string& text);
// Six hexadecimal pairs separated by hyphens, either case; empty for any other form.
std::optional<MacBytes> parseMacText(const std::string& text);

}  // namespace Movoda::facade
