// Requests of the factory and service operations, and the decoding of their answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "facade/AddressText.h"
#include "facade/CommandPayloads.h"
#include "mvsdk/MvTypes.h"

namespace Movoda::facade {

// first in the high nibble, second in the low one (first x 16 + second).
CommandRequest setBinningRequest(uint8_t first, uint8_t second);
CommandRequest setCompensationOnoffRequest(uint8_t first, uint8_t second);
// The serial number's bytes without terminator.
CommandRequest setDevInfoRequest(const std::string& serial);
CommandRequest setIntgrtionLevelRequest(uint8_t level);
CommandRequest setVcselOnOffRequest(uint8_t mode);
// The MAC write is two exchanges: all-ones first, then the address itself.
CommandRequest macClearRequest();
CommandRequest setMacRequest(const MacBytes& mac);
CommandRequest setTemprtCoefficientRequest(int32_t coefficient, uint8_t selector, bool bigEndian);
CommandRequest getTemprtCoefficientRequest(uint8_t selector);
// The coefficient in the first four response bytes; empty when fewer arrived.
std::optional<uint32_t> decodeTemprtCoefficient(const uint8_t* data, size_t size, bool bigEndian);
CommandRequest writeLensParamsRequest(const LensParams& params);
CommandRequest writeImuExtrinsicRequest(const ImuExtrinsic& extrinsic);
CommandRequest saveConfigRequest();
CommandRequest bootloaderTextRequest();
// Text up to the first zero byte; empty when the answer is shorter than 11 bytes.
std::optional<std::string> decodeBootloaderText(const uint8_t* data, size_t size);

}  // namespace Movoda::facade
