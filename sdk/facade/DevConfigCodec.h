// Decoding of the device configuration (command 5): a 78-byte little-endian record on
// newer cameras, a shorter or longer big-endian one on older cameras.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mvsdk/MvTypes.h"

namespace Movoda::facade {

constexpr size_t kDevConfigSizeP = 78;
constexpr size_t kDevConfigMaxRejectedSize = 13;  // this size and below carry no record

enum class DevConfigLayout { None, P, D };

DevConfigLayout devConfigLayout(size_t size);

// ModulationFreq of a camera frequency code.
uint32_t modFreqFromCode(uint8_t code);

// Replaces config with the decoded record and returns true; false (config unchanged)
// when the answer is too short. While the SDK computes point clouds the stream types
// are reported as their cloud counterparts.
bool decodeDevConfig(const uint8_t* data, size_t size, bool pointCloudFlag, DevConfig& config);

}  // namespace Movoda::facade
