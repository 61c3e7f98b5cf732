#include "link/Commnunication.h"

#include <cstring>

namespace Movoda {

std::string Commnunication::getAddress() const {
    std::lock_guard<std::mutex> lock(addressMutex_);
    return address_;
}

void Commnunication::setAddress(const std::string& value) {
    std::lock_guard<std::mutex> lock(addressMutex_);
    address_ = value;
}

// Four parts of one to three digits, each at most 255 (leading zeros allowed), which is
// exactly what the usual dotted-quad expression accepts.
bool isIpv4Address(const std::string& text) {
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
        }
        int value = 0;
        size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 3) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || value > 255) return false;
    }
    return pos == text.size();
}

namespace {
bool onlyCharacters(const std::string& text, const char* allowed) {
    if (text.empty()) return false;
    for (char c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit && (c == '\0' || std::strchr(allowed, c) == nullptr)) return false;
    }
    return true;
}
}  // namespace

bool isSerialPortName(const std::string& text) {
    return onlyCharacters(text, "COM") || onlyCharacters(text, "/devttyACM");
}

}  // namespace Movoda
