#include "facade/CommandPayloads.h"

#include <array>
#include <cstring>

#include "facade/AddressText.h"
#include "facade/WireBytes.h"
#include "link/CmdSet.h"

namespace Movoda::facade {

namespace {

constexpr std::array<uint8_t, kImageTypeCount> kStreamCodes = {1, 2, 3, 1, 2};
constexpr uint8_t kHdrWireSpatial = 1;
constexpr uint8_t kHdrWireTemporal = 2;
constexpr uint8_t kHdrWireOff = 0;
constexpr uint32_t kMaxModFreqOnWire = FREQ_0_75M;
constexpr uint16_t kSensorWidth = 320;
constexpr uint16_t kSensorHeight = 240;

std::vector<uint8_t> guardWord() {
    return std::vector<uint8_t>(kGuardWord, kGuardWord + std::strlen(kGuardWord));
}

}  // namespace

std::optional<uint8_t> streamCode(uint32_t imageType) {
    if (imageType >= kStreamCodes.size()) return std::nullopt;
    return kStreamCodes[imageType];
}

bool isPointCloudType(uint32_t imageType) {
    return imageType == IMG_POINTCLOUD || imageType == IMG_POINTCLOUDAMP;
}

std::optional<CommandRequest> startRequest(uint32_t imageType, bool flag) {
    const std::optional<uint8_t> code = streamCode(imageType);
    if (!code) return std::nullopt;
    return CommandRequest{
        cmd::kStart, {*code, static_cast<uint8_t>(flag ? 0 : 1)}, timeout::kShortMs};
}

CommandRequest stopRequest() {
    return {cmd::kStop, {}, timeout::kShortMs};
}

std::optional<CommandRequest> setIpRequest(const std::string& ip, const std::string& mask,
                                           const std::string& gateway) {
    CommandRequest r{cmd::kSetIp, {}, timeout::kShortMs};
    for (const std::string* text : {&ip, &mask, &gateway}) {
        const std::optional<Ipv4Bytes> bytes = parseIpv4Text(*text);
        if (!bytes) return std::nullopt;
        r.payload.insert(r.payload.end(), bytes->begin(), bytes->end());
    }
    return r;
}

CommandRequest getDevInfoRequest() {
    return {cmd::kGetDevInfo, {}, timeout::kDevInfoMs};
}

CommandRequest getDevConfigRequest() {
    return {cmd::kGetDevConfig, {}, timeout::kShortMs};
}

CommandRequest setIntTimesusRequest(uint16_t gs, uint16_t t1, uint16_t t2, uint16_t t3, uint16_t t4,
                                    uint16_t t5, bool bigEndian) {
    CommandRequest r{cmd::kSetIntTimes, {}, timeout::kShortMs};
    for (uint16_t value : {t1, t2, t3, gs, t4, t5}) wire::putU16(r.payload, value, bigEndian);
    return r;
}

std::string setIntTimesusLogText(uint16_t gs, uint16_t t1, uint16_t t2, uint16_t t3, uint16_t t4,
                                 uint16_t t5) {
    std::string text = std::to_string(t1) + " " + std::to_string(t2) + " " + std::to_string(t3) +
                       " " + std::to_string(gs);
    for (uint16_t extra : {t4, t5})
        if (extra != 0) text += " " + std::to_string(extra);
    return text;
}

CommandRequest setMinAmplitudeRequest(uint16_t amplitude, bool bigEndian) {
    CommandRequest r{cmd::kSetMinAmplitude, {}, timeout::kShortMs};
    wire::putU16(r.payload, amplitude, bigEndian);
    return r;
}

uint8_t hdrModeWireByte(uint32_t mode) {
    if (mode == HDR_SPATIAL) return kHdrWireSpatial;
    if (mode == HDR_TAMPORAL) return kHdrWireTemporal;
    return kHdrWireOff;
}

CommandRequest setHdrModeRequest(uint32_t mode) {
    return {cmd::kSetHdrMode, {hdrModeWireByte(mode)}, timeout::kShortMs};
}

CommandRequest resetDevRequest() {
    return {cmd::kResetDev, guardWord(), timeout::kShortMs};
}

CommandRequest restoreFactoryRequest() {
    return {cmd::kRestoreFactory, guardWord(), timeout::kShortMs};
}

CommandRequest getLensCalidataRequest() {
    return {cmd::kGetLensCalidata, {}, timeout::kMediumMs};
}

std::optional<CommandRequest> setUdpDestIpRequest(const std::string& ip, uint16_t port,
                                                  bool bigEndian) {
    const std::optional<Ipv4Bytes> bytes = parseIpv4Text(ip);
    if (!bytes) return std::nullopt;
    CommandRequest r{cmd::kSetUdpDestIp, {bytes->begin(), bytes->end()}, timeout::kShortMs};
    wire::putU16(r.payload, port, bigEndian);
    return r;
}

CommandRequest getImuExtrinsicRequest() {
    return {cmd::kGetImuExtrinsic, {}, timeout::kMediumMs};
}

bool isValidRoi(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
    return x0 < kSensorWidth && y0 < kSensorHeight && x1 < kSensorWidth && y1 < kSensorHeight &&
           x1 >= x0 && y1 >= y0;
}

std::optional<CommandRequest> setRoiRequest(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1,
                                            bool bigEndian) {
    if (!isValidRoi(x0, y0, x1, y1)) return std::nullopt;
    CommandRequest r{cmd::kSetRoi, {}, timeout::kShortMs};
    for (uint16_t value : {x0, y0, x1, y1}) wire::putU16(r.payload, value, bigEndian);
    return r;
}

CommandRequest setModFreqRequest(uint32_t freq) {
    const uint32_t sent = freq > kMaxModFreqOnWire ? kMaxModFreqOnWire : freq;
    return {cmd::kSetModFreq, {static_cast<uint8_t>(sent)}, timeout::kShortMs};
}

CommandRequest setMaxFpsRequest(uint8_t fps) {
    return {cmd::kSetMaxFps, {fps}, timeout::kShortMs};
}

}  // namespace Movoda::facade
