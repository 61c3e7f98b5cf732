// What the window shows about the connected camera: the device-dependent texts built
// from its information record, and the controls read back from its configuration.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "mvsdk/MvTypes.h"

namespace vantory::controls {

struct DeviceView {
    std::string modelName;   // the serial number text, which begins with the model
    std::string serialText;  // sn, idWord1, idWord2 separated by blanks
    std::string firmwareText;
    float firmwareVersion = 1.0f;
    bool newK150 = false;
    std::string maxIntTimeText;
    std::string maxIntTimeStyle;
    std::optional<std::string> devFlagsText;  // empty: hide the label
    std::string ip, netmask, gateway, mac;    // device-settings window fields
};
DeviceView deviceView(const Movoda::DevInfo& info);

// "DevFctFlags: <binary> DRNU:<bits 1-3> LENS:1 SUN:1 IMU:1 MUdp:1 " (flags present only).
std::string devFlagsText(std::uint8_t flags);
std::string dottedQuad(const std::array<std::uint8_t, 4>& address);
std::string macText(const std::array<std::uint8_t, 6>& mac);

// spinBox_cutcorner for a model: 60 for LITE, SUPRA and K75 models, 30 for PLUS, else 0.
int cutCornerForModel(const std::string& modelName);

// The controls as the camera's configuration sets them.
struct ConfigReadBack {
    int hdrIndex = 0;
    std::array<int, 5> intTimes{};
    int intTimeGs = 0;
    int minAmplitude = 0;
    std::optional<int> maxFps;  // empty: the camera's value is above what the box shows
    bool binningH = false, binningV = false;
    // Only in records that carry them.
    std::optional<std::array<int, 5>> freqIndices;
    std::optional<std::array<bool, 2>> vcselBoxes;
    std::optional<int> channel;
    bool cutOn = false;
    std::array<int, 4> cut{};  // int0, dist0, int1, dist1
    int ptpDomain = 0;
    // The modulation entry to select, or empty to keep the current one.
    std::optional<int> modFreqIndex;
    int sliderMaxCm = 0;        // distance slider maximum for the resulting entry
    std::string maxFpsCaption;  // label_24
};
ConfigReadBack readBack(const Movoda::DevConfig& config, int currentModFreqIndex);

}  // namespace vantory::controls
