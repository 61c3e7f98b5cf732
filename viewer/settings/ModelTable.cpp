#include "ModelTable.h"

#include <cctype>

namespace vantory::models {
namespace {

constexpr std::array<ModelEntry, 12> kModels = {{
    {0, "R300LITE"},
    {1, "R300PLUS"},
    {2, "K150LITE"},
    {3, "K150PLUS"},
    {4, "K150APEX"},
    {5, "K150SUPRA"},
    {8, "K75ANY"},
    {9, "K75LITE"},
    {10, "K75PLUS"},
    {11, "K75APEX"},
    {12, "R150LITE"},
    {13, "R150PLUS"},
}};

// Earlier tokens win; "K75" alone stands for the whole K75 family.
constexpr std::array<const char*, 11> kSerialTokens = {
    "R300LITE", "R300PLUS",  "R150LITE", "R150PLUS", "K150LITE", "K150APEX",
    "K150PLUS", "K150SUPRA", "K75",      "K300LITE", "V300LITE"};

// Scene keys spell the SUPRA model "K150SPURA"; stored scene files rely on that spelling,
// so the model string keeps it while the model code still finds the SUPRA entry.
constexpr const char* kSupraSceneSpelling = "K150SPURA";
constexpr int kSupraCode = 5;
// The serial token "K75" names the family; its table entry is "K75ANY".
constexpr const char* kK75FamilyToken = "K75";
constexpr int kK75AnyCode = 8;

}  // namespace

const std::array<ModelEntry, 12>& modelTable() {
    return kModels;
}

std::string modelName(int code) {
    for (const ModelEntry& entry : kModels) {
        if (entry.code == code) return entry.name;
    }
    return kModels.front().name;
}

int modelCode(const std::string& modelString) {
    if (modelString == kSupraSceneSpelling) return kSupraCode;
    if (modelString == kK75FamilyToken) return kK75AnyCode;
    for (const ModelEntry& entry : kModels) {
        if (modelString == entry.name) return entry.code;
    }
    return kDefaultModelCode;
}

std::string modelStringOf(const std::string& serialText) {
    std::string upper = serialText;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* token : kSerialTokens) {
        if (upper.find(token, 1) == std::string::npos) continue;
        const std::string found = token;
        return found == "K150SUPRA" ? std::string(kSupraSceneSpelling) : found;
    }
    return kModels.front().name;
}

}  // namespace vantory::models
