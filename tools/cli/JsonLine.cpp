#include "JsonLine.h"

#include <cmath>
#include <cstdio>

namespace vantory_cli {

std::string jsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

void JsonLine::addRaw(const std::string& key, const std::string& rawValue) {
    if (!body_.empty()) body_ += ",";
    body_ += jsonQuote(key) + ":" + rawValue;
}

JsonLine& JsonLine::add(const std::string& key, int64_t value) {
    addRaw(key, std::to_string(value));
    return *this;
}

JsonLine& JsonLine::add(const std::string& key, uint64_t value) {
    addRaw(key, std::to_string(value));
    return *this;
}

JsonLine& JsonLine::add(const std::string& key, double value, int decimals) {
    if (!std::isfinite(value)) {
        addRaw(key, "null");
        return *this;
    }
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string formatted = text;
    if (formatted == "-0" || formatted.find_first_not_of("-0.") == std::string::npos) {
        formatted = formatted[0] == '-' ? formatted.substr(1) : formatted;  // no "-0.000"
    }
    addRaw(key, formatted);
    return *this;
}

JsonLine& JsonLine::add(const std::string& key, const std::optional<double>& value, int decimals) {
    if (!value) {
        addRaw(key, "null");
        return *this;
    }
    return add(key, *value, decimals);
}

JsonLine& JsonLine::add(const std::string& key, bool value) {
    addRaw(key, value ? "true" : "false");
    return *this;
}

JsonLine& JsonLine::add(const std::string& key, const std::string& value) {
    addRaw(key, jsonQuote(value));
    return *this;
}

}  // namespace vantory_cli
