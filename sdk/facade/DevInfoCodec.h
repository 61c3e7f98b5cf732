// Decoding of the device information block (command 4). Newer cameras answer with a
// 125-byte little-endian block, older ones with 80 to 124 (or more) big-endian bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mvsdk/MvTypes.h"

namespace Movoda::facade {

constexpr size_t kDevInfoSizeA = 125;
constexpr size_t kDevInfoMinSizeB = 80;

enum class DevInfoLayout { None, A, B };

DevInfoLayout devInfoLayout(size_t size);

// Fills info from the answer and returns true; false (info unchanged) when the answer is
// too short for any layout. Fields a shorter older block lacks keep their values.
bool decodeDevInfo(const uint8_t* data, size_t size, DevInfo& info);

}  // namespace Movoda::facade
