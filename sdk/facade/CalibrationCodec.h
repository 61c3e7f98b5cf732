// Lens parameters (36 bytes) and IMU extrinsic (28 bytes) as the camera stores them:
// single-precision floats, least significant byte first, in declaration order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace Movoda::facade {

std::vector<uint8_t> encodeLensParams(const LensParams& params);
// Empty unless exactly kLensParamsWireSize bytes are given.
std::optional<LensParams> decodeLensParams(const uint8_t* data, size_t size);

std::vector<uint8_t> encodeImuExtrinsic(const ImuExtrinsic& extrinsic);
// Empty unless exactly kImuExtrinsicWireSize bytes are given.
std::optional<ImuExtrinsic> decodeImuExtrinsic(const uint8_t* data, size_t size);

}  // namespace Movoda::facade
