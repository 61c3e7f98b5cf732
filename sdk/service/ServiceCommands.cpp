#include "ServiceCommands.h"

#include <algorithm>

#include "facade/WireBytes.h"
#include "link/CmdSet.h"
#include "mvsdk/MvSdk.h"

namespace vantory::service {

namespace wire = Movoda::facade::wire;
namespace cmd = Movoda::cmd;
using Movoda::timeout::kFirmwareChunkMs;
using Movoda::timeout::kMediumMs;

bool send(Movoda::MvSdk& sdk, const ServiceCommand& command, std::vector<uint8_t>* response) {
    std::vector<uint8_t> answer;
    const bool ok = sdk.customCmd(command.id, command.payload, answer, command.timeoutMs);
    if (response) *response = std::move(answer);
    return ok;
}

ServiceCommand bootloaderEntryCommand() {
    return {cmd::kBootloaderEntry, {}, kMediumMs};
}

ServiceCommand firmwareBeginCommand(uint32_t imageSize, bool bigEndian) {
    ServiceCommand c{cmd::kFirmwareTransfer, {kFirmwareBegin}, kFirmwareChunkMs};
    wire::putU32(c.payload, imageSize, bigEndian);
    return c;
}

ServiceCommand firmwareChunkCommand(const std::vector<uint8_t>& image, std::size_t index) {
    ServiceCommand c{cmd::kFirmwareTransfer, {}, kFirmwareChunkMs};
    const std::size_t from = std::min(image.size(), index * kFirmwareChunkSize);
    const std::size_t to = std::min(image.size(), from + kFirmwareChunkSize);
    c.payload.reserve(3 + (to - from));
    c.payload.push_back(kFirmwareChunk);
    c.payload.push_back(static_cast<uint8_t>(index >> 8));
    c.payload.push_back(static_cast<uint8_t>(index & 0xFF));
    c.payload.insert(c.payload.end(), image.begin() + static_cast<std::ptrdiff_t>(from),
                     image.begin() + static_cast<std::ptrdiff_t>(to));
    return c;
}

ServiceCommand firmwareEndCommand() {
    return {cmd::kFirmwareTransfer, {kFirmwareEnd}, kFirmwareChunkMs};
}

ServiceCommand lightEnergyCommand(LightEnergyOp op, uint16_t value, bool bigEndian) {
    ServiceCommand c{cmd::kMaxLightEnergy, {static_cast<uint8_t>(op)}, kMediumMs};
    wire::putU16(c.payload, value, bigEndian);
    return c;
}

std::optional<uint16_t> lightEnergyFromAnswer(const std::vector<uint8_t>& answer, bool bigEndian) {
    if (answer.size() != kLightEnergyAnswerSize) return std::nullopt;
    return wire::getU16(answer.data(), bigEndian);
}

ServiceCommand ptpDomainCommand(int domain) {
    return {cmd::kSetPtpDomain, {kPtpDomainRecord, static_cast<uint8_t>(domain & 0xFF)}, kMediumMs};
}

ServiceCommand clearRoiCommand() {
    return {cmd::kClearRoi, {kClearRoiByte}, kMediumMs};
}

ServiceCommand cutValueCommand(uint8_t index, uint16_t value, bool bigEndian) {
    ServiceCommand c{cmd::kSetParameter, {kParamCutValue, index}, kMediumMs};
    wire::putU16(c.payload, value, bigEndian);
    return c;
}

ServiceCommand cutSwitchCommand(bool on) {
    return {cmd::kSetParameter, {kParamCutSwitch, static_cast<uint8_t>(on ? 1 : 0)}, kMediumMs};
}

ServiceCommand distanceOffsetCommand(bool useOffset, int16_t offsetMm, bool bigEndian) {
    ServiceCommand c{cmd::kSetParameter,
                     {kParamDistanceOffset, static_cast<uint8_t>(useOffset ? 1 : 0)},
                     kMediumMs};
    wire::putU16(c.payload, static_cast<uint16_t>(offsetMm), bigEndian);
    return c;
}

ServiceCommand calibrationSetupCommand(bool withLens, uint16_t lensBaseDistance, bool bigEndian) {
    ServiceCommand c{cmd::kCalibrationSetup,
                     {kCalibrationSetupRecord, static_cast<uint8_t>(withLens ? 1 : 0)},
                     kMediumMs};
    wire::putU16(c.payload, lensBaseDistance, bigEndian);
    return c;
}

ServiceCommand calibrateOneCommand(int frequencyIndex) {
    const bool listed = frequencyIndex >= 0 && frequencyIndex < kCalibrationSlowestFrequency;
    const uint8_t byte =
        listed ? static_cast<uint8_t>(frequencyIndex) : kCalibrationSlowestFrequency;
    return {cmd::kCalibrateOne, {byte}, kMediumMs};
}

ServiceCommand calibrateAllCommand() {
    return {cmd::kCalibrateAll, {}, kMediumMs};
}

}  // namespace vantory::service
