// Requests of the service commands and the decoding of their answers. Multi-byte fields
// follow the link's byte order, which the caller passes (MvSdk::getEndianFlag).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ServiceConstants.h"

namespace Movoda {
class MvSdk;
}

namespace vantory::service {

struct ServiceCommand {
    uint8_t id = 0;
    std::vector<uint8_t> payload;
    uint32_t timeoutMs = 0;
};

// One exchange; true when the camera answered with status 0. The answer goes to
// `response` when given.
bool send(Movoda::MvSdk& sdk, const ServiceCommand& command,
          std::vector<uint8_t>* response = nullptr);

// Firmware transfer.
ServiceCommand bootloaderEntryCommand();
ServiceCommand firmwareBeginCommand(uint32_t imageSize, bool bigEndian);
// Chunk `index` of `image`: up to kFirmwareChunkSize bytes from index x kFirmwareChunkSize.
ServiceCommand firmwareChunkCommand(const std::vector<uint8_t>& image, std::size_t index);
ServiceCommand firmwareEndCommand();

// Device settings.
ServiceCommand lightEnergyCommand(LightEnergyOp op, uint16_t value, bool bigEndian);
// The value of an answer of exactly two bytes; anything else is no value.
std::optional<uint16_t> lightEnergyFromAnswer(const std::vector<uint8_t>& answer, bool bigEndian);
ServiceCommand ptpDomainCommand(int domain);
ServiceCommand clearRoiCommand();
ServiceCommand cutValueCommand(uint8_t index, uint16_t value, bool bigEndian);
ServiceCommand cutSwitchCommand(bool on);
ServiceCommand distanceOffsetCommand(bool useOffset, int16_t offsetMm, bool bigEndian);

// Calibration.
ServiceCommand calibrationSetupCommand(bool withLens, uint16_t lensBaseDistance, bool bigEndian);
// A single frequency by its list index (0 12M, 1 6M, 2 24M, 3 3M, anything else 1.5M).
ServiceCommand calibrateOneCommand(int frequencyIndex);
ServiceCommand calibrateAllCommand();

}  // namespace vantory::service
