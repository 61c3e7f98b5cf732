#include "facade/AddressText.h"

#include <cctype>

namespace Movoda::facade {

namespace {

constexpr size_t kIpv4Parts = 4;
constexpr size_t kMaxPartDigits = 3;
constexpr unsigned kMaxPartValue = 255;
constexpr size_t kMacTextLength = 17;  // six pairs and five hyphens

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

uint8_t hexValue(char c) {
    if (isDigit(c)) return static_cast<uint8_t>(c - '0');
    return static_cast<uint8_t>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

}  // namespace

// Four dot-separated parts of one to three digits each, worth at most 255; leading
// zeros are allowed ("010.001.1.99").
std::optional<Ipv4Bytes> parseIpv4Text(const std::string& text) {
    Ipv4Bytes bytes{};
    size_t part = 0, digits = 0;
    unsigned value = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (end || text[i] == '.') {
            if (digits == 0 || value > kMaxPartValue || part >= kIpv4Parts) return std::nullopt;
            bytes[part++] = static_cast<uint8_t>(value);
            digits = 0;
            value = 0;
        } else if (isDigit(text[i]) && digits < kMaxPartDigits) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    if (part != kIpv4Parts) return std::nullopt;
    return bytes;
}

bool isValidIpv4Text(const std::string& text) {
    return parseIpv4Text(text).has_value();
}

std::optional<MacBytes> parseMacText(const std::string& text) {
    if (text.size() != kMacTextLength) return std::nullopt;
    MacBytes bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char hi = text[3 * i], lo = text[3 * i + 1];
        if (!isHex(hi) || !isHex(lo)) return std::nullopt;
        if (i + 1 < bytes.size() && text[3 * i + 2] != '-') return std::nullopt;
        bytes[i] = static_cast<uint8_t>(hexValue(hi) << 4 | hexValue(lo));
    }
    return bytes;
}

}  // namespace Movoda::facade
