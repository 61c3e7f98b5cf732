// One JSON object on one line, fields in the order they were added. Numbers that are not
// finite become null, so a missing measurement never produces invalid JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantory_cli {

class JsonLine {
public:
    JsonLine& add(const std::string& key, int64_t value);
    JsonLine& add(const std::string& key, uint64_t value);
    JsonLine& add(const std::string& key, int value) { return add(key, static_cast<int64_t>(value)); }
    JsonLine& add(const std::string& key, uint32_t value) {
        return add(key, static_cast<uint64_t>(value));
    }
    // Fixed-point with the given number of decimals.
    JsonLine& add(const std::string& key, double value, int decimals = 3);
    JsonLine& add(const std::string& key, const std::optional<double>& value, int decimals = 3);
    JsonLine& add(const std::string& key, bool value);
    JsonLine& add(const std::string& key, const std::string& value);
    JsonLine& add(const std::string& key, const char* value) { return add(key, std::string(value)); }
    // A nested object.
    JsonLine& add(const std::string& key, const JsonLine& object) {
        addRaw(key, object.str());
        return *this;
    }

    std::string str() const { return "{" + body_ + "}"; }

private:
    void addRaw(const std::string& key, const std::string& rawValue);
    std::string body_;
};

// The text as a quoted JSON string with the required escapes.
std::string jsonQuote(const std::string& text);

}  // namespace vantory_cli
