#include "CameraControls.h"

#include <algorithm>
#include <vector>

#include "ControlConstants.h"
#include "mvsdk/MvSdk.h"

namespace vantory::controls {
namespace {

constexpr int kDefaultModFreqIndex = 2;  // "6M"

std::uint16_t u16(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

std::uint8_t u8(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 0xFF));
}

}  // namespace

bool CameraControls::sendIntegrationTimes(const ControlValues& v) {
    const std::uint16_t t4 = v.laterExposuresShown ? u16(v.intTimes[3]) : 0;
    const std::uint16_t t5 = v.laterExposuresShown ? u16(v.intTimes[4]) : 0;
    return sdk_.setIntTimesus(u16(v.intTimeGs), u16(v.intTimes[0]), u16(v.intTimes[1]),
                              u16(v.intTimes[2]), t4, t5);
}

bool CameraControls::sendHdrMode(int hdrIndex) {
    return sdk_.setHdrMode(hdrModeForIndex(hdrIndex));
}

std::optional<ModFreqEntry> CameraControls::sendModFreq(int index) {
    const std::optional<ModFreqEntry> entry = modFreqEntry(index);
    if (entry) sdk_.setModFreq(entry->freq);
    return entry;
}

bool CameraControls::sendExposureFrequencies(const std::array<int, 5>& indices) {
    std::vector<std::uint8_t> payload;
    for (int index : indices) payload.push_back(exposureFreqCode(index));
    std::vector<std::uint8_t> response;
    return sdk_.customCmd(kCmdExposureFrequencies, payload, response, kCustomCmdTimeoutMs);
}

bool CameraControls::sendMinAmplitude(int amplitude) {
    return sdk_.setMinAmplitude(u16(amplitude));
}

FrameRateResult CameraControls::sendFrameRate(int fps) {
    if (fps == 0) return FrameRateResult::NotSent;
    for (int attempt = 0; attempt < kFrameRateTries; ++attempt) {
        if (!sdk_.isConnected()) return FrameRateResult::NotSent;
        if (sdk_.setMaxFps(u8(fps))) return FrameRateResult::Sent;
    }
    return FrameRateResult::Refused;
}

bool CameraControls::sendBinning(bool horizontal, bool vertical) {
    return sdk_.factory()->setBinning(horizontal ? 1 : 0, vertical ? 1 : 0);
}

bool CameraControls::sendEmitters(const ControlValues& v) {
    return sdk_.factory()->setVcselOnOff(vcselMode(v.vcsel1, v.vcsel2, v.vcselBoxesShown));
}

bool CameraControls::sendChannel(int channel) {
    std::vector<std::uint8_t> response;
    return sdk_.customCmd(kCmdChannel, {u8(channel)}, response, kCustomCmdTimeoutMs);
}

bool CameraControls::sendRawDcs(bool on) {
    std::vector<std::uint8_t> response;
    return sdk_.customCmd(kCmdOutputSwitch, {kSwitchRawDcs, static_cast<std::uint8_t>(on ? 1 : 0)},
                          response, kCustomCmdTimeoutMs);
}

bool CameraControls::sendGrayscaleInAmplitudePane(bool on) {
    std::vector<std::uint8_t> response;
    return sdk_.customCmd(kCmdOutputSwitch,
                          {kSwitchGrayscale, static_cast<std::uint8_t>(on ? 1 : 0)}, response,
                          kCustomCmdTimeoutMs);
}

bool CameraControls::sendRenderSelect(int renderType) {
    std::vector<std::uint8_t> response;
    const std::uint8_t selected = renderType != 0 ? kRenderSelect : 0;
    return sdk_.customCmd(kCmdOutputSwitch, {kRenderSelect, 0, selected}, response,
                          kCustomCmdTimeoutMs);
}

bool CameraControls::saveToDevice() {
    return sdk_.factory()->saveConfigToDevice();
}

PushResult CameraControls::pushAll(const ControlValues& values, bool developerMode) {
    PushResult result;
    const int modFreqIndex = developerMode ? values.modFreqIndex : kDefaultModFreqIndex;
    std::optional<ModFreqEntry> entry = sendModFreq(modFreqIndex);
    if (!entry) entry = sendModFreq(kDefaultModFreqIndex);
    result.sliderMaxCm = entry->sliderMaxCm;
    sendHdrMode(values.hdrIndex);
    sendIntegrationTimes(values);
    sendMinAmplitude(values.minAmplitude);
    sendEmitters(values);
    result.frameRate = sendFrameRate(values.maxFps);
    sendRenderSelect(values.renderType);
    if (values.freqBoxesShown) sendExposureFrequencies(values.freqIndices);
    return result;
}

}  // namespace vantory::controls
