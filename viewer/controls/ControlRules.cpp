#include "ControlRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "ControlConstants.h"

namespace vantory::controls {
namespace {

constexpr std::array<ModFreqEntry, kModFreqEntryCount> kModFreqTable = {{
    {Movoda::FREQ_24M, 650},
    {Movoda::FREQ_12M, 1250},
    {Movoda::FREQ_6M, 2500},
    {Movoda::FREQ_3M, 5000},
    {Movoda::FREQ_1_5M, 20000},
}};

// "24M", "12M", "6M", "4.8M", "3M", "1.5M", "0.75M": 24 MHz divided by code + 1.
constexpr std::array<std::uint8_t, kExposureFreqItemCount> kExposureFreqCodes = {0, 1,  3, 4,
                                                                                 7, 15, 31};

constexpr int kHdrTemporal = 1;
constexpr int kHdrSpatial = 2;
constexpr int kGrayscaleImageType = 1;

}  // namespace

ExposureEnabling exposureEnabling(int hdrIndex, int imageTypeIndex) {
    ExposureEnabling result;
    if (imageTypeIndex == kGrayscaleImageType) return result;
    result.intTime[0] = true;
    if (hdrIndex == kHdrTemporal) {
        result.intTime.fill(true);
    } else if (hdrIndex == kHdrSpatial) {
        result.intTime[1] = true;
    }
    return result;
}

Movoda::HdrMode hdrModeForIndex(int index) {
    if (index == kHdrTemporal) return Movoda::HDR_TAMPORAL;
    if (index == kHdrSpatial) return Movoda::HDR_SPATIAL;
    return Movoda::HDR_OFF;
}

std::optional<ModFreqEntry> modFreqEntry(int index) {
    if (index < 0 || index >= kModFreqEntryCount) return std::nullopt;
    return kModFreqTable[static_cast<std::size_t>(index)];
}

std::optional<int> modFreqIndexOf(std::uint32_t freq) {
    for (int i = 0; i < kModFreqEntryCount; ++i) {
        if (kModFreqTable[static_cast<std::size_t>(i)].freq == freq) return i;
    }
    return std::nullopt;
}

std::uint8_t exposureFreqCode(int index) {
    if (index < 0 || index >= kExposureFreqItemCount) return kExposureFreqCodes.front();
    return kExposureFreqCodes[static_cast<std::size_t>(index)];
}

int exposureFreqIndex(std::uint8_t code) {
    // Every code the table does not know reads as the slowest item.
    const auto* found = std::find(kExposureFreqCodes.begin(), kExposureFreqCodes.end() - 1, code);
    return static_cast<int>(found - kExposureFreqCodes.begin());
}

std::uint8_t vcselMode(bool first, bool second, bool boxesShown) {
    if (!boxesShown) return 3;
    return static_cast<std::uint8_t>((first ? 1 : 0) + (second ? 2 : 0));
}

std::array<bool, 2> vcselBoxes(std::uint8_t mode) {
    return {(mode & 1) != 0, (mode & 2) != 0};
}

float firmwareVersionNumber(const std::string& firmwareText) {
    if (firmwareText.size() < kMinFirmwareTextLength) return kUnknownFirmwareVersion;
    std::string lower = firmwareText;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t v = lower.find('v');
    const std::size_t from = v == std::string::npos ? 0 : v + 1;
    const std::string number = lower.substr(std::min(from, lower.size()), lower.size() - 2);
    // Like atof: leading blanks skipped, the longest number prefix taken, 0 when none;
    // from_chars does not depend on the process locale, which Qt sets from the system.
    std::size_t start = 0;
    while (start < number.size() && std::isspace(static_cast<unsigned char>(number[start])))
        ++start;
    float value = 0.0f;
    std::from_chars(number.data() + start, number.data() + number.size(), value);
    return value;
}

AfterConnect afterConnectAction(float firmwareVersion) {
    if (firmwareVersion < kFirstSelfConfiguringFirmware) return AfterConnect::PushControls;
    if (firmwareVersion > kLastCompatibleFirmware) return AfterConnect::Incompatible;
    return AfterConnect::ReadBackOnly;
}

bool isNewK150(const std::string& modelName) {
    const bool upper = modelName.find("K150") != std::string::npos;
    const bool lower = modelName.find("k150") != std::string::npos;
    return upper != lower;
}

}  // namespace vantory::controls
