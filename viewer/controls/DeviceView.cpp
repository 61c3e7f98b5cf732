#include "DeviceView.h"

#include <cstdio>

#include "ControlConstants.h"
#include "ControlRules.h"

namespace vantory::controls {
namespace {

// Model tokens count only after the serial number's first character.
bool containsAfterFirst(const std::string& text, const char* token) {
    return text.find(token, 1) != std::string::npos;
}

std::string binary(std::uint8_t value) {
    std::string text;
    for (int bit = 7; bit >= 0; --bit) {
        if (!text.empty() || (value >> bit) & 1) text += ((value >> bit) & 1) ? '1' : '0';
    }
    return text.empty() ? "0" : text;
}

}  // namespace

std::string dottedQuad(const std::array<std::uint8_t, 4>& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

std::string macText(const std::array<std::uint8_t, 6>& m) {
    char text[18];
    std::snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", m[0], m[1], m[2], m[3], m[4],
                  m[5]);
    return text;
}

std::string devFlagsText(std::uint8_t flags) {
    std::string text = "DevFctFlags: " + binary(flags);
    text += " DRNU:" + std::to_string((flags >> 1) & 0x07) + " ";
    if (flags & 0x10) text += "LENS:1 ";
    if (flags & 0x20) text += "SUN:1 ";
    if (flags & 0x40) text += "IMU:1 ";
    if (flags & 0x80) text += "MUdp:1 ";
    return text;
}

DeviceView deviceView(const Movoda::DevInfo& info) {
    DeviceView view;
    view.modelName = info.sn;
    view.serialText =
        info.sn + " " + std::to_string(info.idWord1) + " " + std::to_string(info.idWord2);
    view.firmwareText = info.fwVersion;
    view.firmwareVersion = firmwareVersionNumber(info.fwVersion);
    view.newK150 = isNewK150(info.sn);
    const bool eyeSafety = info.sn.find(kEyeSafetyEditionToken) != std::string::npos;
    view.maxIntTimeText = eyeSafety ? kMaxIntTimeWarning : kMaxIntTimePlain;
    view.maxIntTimeStyle = eyeSafety ? kStyleRed : kStyleBlack;
    if (info.factoryFlags != 0) view.devFlagsText = devFlagsText(info.factoryFlags);
    view.ip = dottedQuad(info.ip);
    view.netmask = dottedQuad(info.netmask);
    view.gateway = dottedQuad(info.gateway);
    view.mac = macText(info.mac);
    return view;
}

int cutCornerForModel(const std::string& modelName) {
    for (const char* token : {"LITE", "SUPRA", "K75"}) {
        if (containsAfterFirst(modelName, token)) return 60;
    }
    return containsAfterFirst(modelName, "PLUS") ? 30 : 0;
}

ConfigReadBack readBack(const Movoda::DevConfig& config, int currentModFreqIndex) {
    ConfigReadBack r;
    r.hdrIndex = static_cast<int>(config.hdrMode);
    for (std::size_t i = 0; i < r.intTimes.size(); ++i) r.intTimes[i] = config.intTime[i];
    r.intTimeGs = config.intTimeGs;
    r.minAmplitude = config.minAmplitude;
    if (config.maxFps <= kMaxShownConfigFps) r.maxFps = config.maxFps;
    r.binningH = config.binningH != 0;
    r.binningV = config.binningV != 0;
    if (config.recordVersion >= kMinRecordVersionWithCodes) {
        std::array<int, 5> indices{};
        for (std::size_t i = 0; i < indices.size(); ++i)
            indices[i] = exposureFreqIndex(config.freqCode[i]);
        r.freqIndices = indices;
        r.vcselBoxes = vcselBoxes(config.vcselMode);
        r.channel = config.channel;
        r.cutOn = config.cutOn != 0;
        r.cut = {config.cutInt0, config.cutDist0, config.cutInt1, config.cutDist1};
        r.ptpDomain = config.ptpDomain;
    }
    int shown = currentModFreqIndex;
    const std::optional<ModFreqEntry> current = modFreqEntry(currentModFreqIndex);
    if (!current || current->freq != config.modFreq) {
        if (const std::optional<int> cameraIndex = modFreqIndexOf(config.modFreq)) {
            r.modFreqIndex = *cameraIndex;
            shown = *cameraIndex;
        }
    }
    const std::optional<ModFreqEntry> entry = modFreqEntry(shown);
    r.sliderMaxCm = entry ? entry->sliderMaxCm : modFreqEntry(0)->sliderMaxCm;
    r.maxFpsCaption =
        config.maxFpsLimit == 0 ? "Max FPS" : "Max FPS: " + std::to_string(config.maxFpsLimit);
    return r;
}

}  // namespace vantory::controls
