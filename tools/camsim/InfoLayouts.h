// Response payloads of the device information (command 4) and configuration (command 5)
// reads, in the current little-endian layouts and in the older big-endian ones.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "CameraSettings.h"
#include "CamsimConstants.h"

namespace camsim {

struct StreamDestination {
    std::array<uint8_t, 4> ip{0, 0, 0, 0};
    uint16_t port = 7687;
};

std::vector<uint8_t> encodeDevInfo(const Identity& id, const StreamDestination& dest,
                                   uint8_t devState);  // 125 bytes
std::vector<uint8_t> encodeLegacyDevInfo(const Identity& id, const StreamDestination& dest,
                                         uint8_t devState);              // 100 bytes
// fpsLimit: the highest frame rate the camera reports it accepts.
std::vector<uint8_t> encodeDevConfig(const AcquisitionConfig& c,
                                     uint8_t fpsLimit = kMaxFrameRate);  // 78 bytes
std::vector<uint8_t> encodeLegacyDevConfig(const AcquisitionConfig& c,
                                           uint8_t fpsLimit = kMaxFrameRate);  // 28 bytes

std::vector<uint8_t> encodeLens(const Lens& lens);  // 36 bytes, fx fy cx cy k1 k2 k3 p1 p2
Lens decodeLens(const uint8_t* bytes);              // reads 36 bytes
std::vector<uint8_t> encodeImuExtrinsic(const ImuExtrinsicValues& imu);  // 28 bytes
ImuExtrinsicValues decodeImuExtrinsic(const uint8_t* bytes);             // reads 28 bytes

// Data code of the configuration read for a stream code: 1 distance, 3 amplitude, 8 grayscale.
uint8_t dataCodeOfStream(uint8_t streamCode);
// ModulationFreq that the older configuration layout reports for the first frequency code.
uint8_t reportedModulationFreq(const AcquisitionConfig& c);

}  // namespace camsim
