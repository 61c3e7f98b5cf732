// The camera models the viewer knows: codes, the names used in settings keys, and the
// model string derived from a serial number. Plain functions, no Qt.
#pragma once

#include <array>
#include <string>

namespace vantory::models {

struct ModelEntry {
    int code;
    const char* name;
};

constexpr int kModelCodeCount = 14;  // codes 0..13; 6 and 7 have no entry
constexpr int kDefaultModelCode = 0;
// The models with an entry, in code order.
const std::array<ModelEntry, 12>& modelTable();

// Name of a code; "R300LITE" for a code without an entry.
std::string modelName(int code);
// Code of a model string; 0 for a string without an entry.
int modelCode(const std::string& modelString);
// The model string of a serial number: the first known token found after its first
// character, in a fixed order of precedence; "R300LITE" when there is none.
std::string modelStringOf(const std::string& serialText);

}  // namespace vantory::models
