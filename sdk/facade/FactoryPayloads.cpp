#include "facade/FactoryPayloads.h"

#include <cstring>

#include "facade/CalibrationCodec.h"
#include "facade/WireBytes.h"
#include "link/CmdSet.h"

namespace Movoda::facade {

namespace {

constexpr size_t kMinBootloaderAnswer = 11;
constexpr size_t kCoefficientBytes = 4;
constexpr uint8_t kMacClearByte = 0xFF;

}  // namespace

CommandRequest setBinningRequest(uint8_t first, uint8_t second) {
    return {cmd::kSetBinning, {static_cast<uint8_t>(first * 16 + second)}, timeout::kMediumMs};
}

CommandRequest setCompensationOnoffRequest(uint8_t first, uint8_t second) {
    return {cmd::kSetCompensation, {first, second}, timeout::kMediumMs};
}

CommandRequest setDevInfoRequest(const std::string& serial) {
    return {cmd::kSetDevInfo, std::vector<uint8_t>(serial.begin(), serial.end()),
            timeout::kMediumMs};
}

CommandRequest setIntgrtionLevelRequest(uint8_t level) {
    return {cmd::kSetIntegrationLevel, {level}, timeout::kMediumMs};
}

CommandRequest setVcselOnOffRequest(uint8_t mode) {
    return {cmd::kSetVcselOnOff, {mode}, timeout::kMediumMs};
}

CommandRequest macClearRequest() {
    return {cmd::kSetMac, std::vector<uint8_t>(6, kMacClearByte), timeout::kMediumMs};
}

CommandRequest setMacRequest(const MacBytes& mac) {
    return {cmd::kSetMac, std::vector<uint8_t>(mac.begin(), mac.end()), timeout::kMediumMs};
}

CommandRequest setTemprtCoefficientRequest(int32_t coefficient, uint8_t selector, bool bigEndian) {
    CommandRequest r{cmd::kSetTempCoefficient, {}, timeout::kLongWriteMs};
    wire::putU32(r.payload, static_cast<uint32_t>(coefficient), bigEndian);
    r.payload.push_back(selector);
    return r;
}

CommandRequest getTemprtCoefficientRequest(uint8_t selector) {
    return {cmd::kGetTempCoefficient, {selector}, timeout::kMediumMs};
}

std::optional<uint32_t> decodeTemprtCoefficient(const uint8_t* data, size_t size, bool bigEndian) {
    if (data == nullptr || size < kCoefficientBytes) return std::nullopt;
    return wire::getU32(data, bigEndian);
}

CommandRequest writeLensParamsRequest(const LensParams& params) {
    return {cmd::kWriteLensParams, encodeLensParams(params), timeout::kLongWriteMs};
}

CommandRequest writeImuExtrinsicRequest(const ImuExtrinsic& extrinsic) {
    return {cmd::kWriteImuExtrinsic, encodeImuExtrinsic(extrinsic), timeout::kLongWriteMs};
}

CommandRequest saveConfigRequest() {
    return {cmd::kSaveConfig,
            std::vector<uint8_t>(kGuardWord, kGuardWord + std::strlen(kGuardWord)),
            timeout::kShortMs};
}

CommandRequest bootloaderTextRequest() {
    return {cmd::kBootloaderText, {}, timeout::kMediumMs};
}

std::optional<std::string> decodeBootloaderText(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kMinBootloaderAnswer) return std::nullopt;
    return wire::getText(data, size);
}

}  // namespace Movoda::facade
