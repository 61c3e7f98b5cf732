// Requests of the everyday camera commands: command id, exact payload bytes and the
// time-out the facade passes to the exchange. Encoders with argument checks return an
// empty optional when the arguments must not be sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace Movoda::facade {

struct CommandRequest {
    uint8_t id = 0;
    std::vector<uint8_t> payload;
    uint32_t timeoutMs = 0;
};

// Word the destructive commands carry as a guard.
inline const char* const kGuardWord = "MOVODA";

// Stream code the camera knows for an image type; empty for an unknown type.
std::optional<uint8_t> streamCode(uint32_t imageType);
// Cloud types make the SDK compute a point cloud for every frame.
bool isPointCloudType(uint32_t imageType);

std::optional<CommandRequest> startRequest(uint32_t imageType, bool flag);
CommandRequest stopRequest();
std::optional<CommandRequest> setIpRequest(const std::string& ip, const std::string& mask,
                                           const std::string& gateway);
CommandRequest getDevInfoRequest();
CommandRequest getDevConfigRequest();
// On the wire the order is t1, t2, t3, gs, t4, t5.
CommandRequest setIntTimesusRequest(uint16_t gs, uint16_t t1, uint16_t t2, uint16_t t3, uint16_t t4,
                                    uint16_t t5, bool bigEndian);
// "t1 t2 t3 gs", then t4 and t5 when non-zero.
std::string setIntTimesusLogText(uint16_t gs, uint16_t t1, uint16_t t2, uint16_t t3, uint16_t t4,
                                 uint16_t t5);
CommandRequest setMinAmplitudeRequest(uint16_t amplitude, bool bigEndian);
// The camera numbers the HDR modes differently from HdrMode.
uint8_t hdrModeWireByte(uint32_t mode);
CommandRequest setHdrModeRequest(uint32_t mode);
CommandRequest resetDevRequest();
CommandRequest restoreFactoryRequest();
CommandRequest getLensCalidataRequest();
std::optional<CommandRequest> setUdpDestIpRequest(const std::string& ip, uint16_t port,
                                                  bool bigEndian);
CommandRequest getImuExtrinsicRequest();
// Region inside the 320 x 240 sensor with x1 >= x0 and y1 >= y0.
bool isValidRoi(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1);
std::optional<CommandRequest> setRoiRequest(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1,
                                            bool bigEndian);
CommandRequest setModFreqRequest(uint32_t freq);
CommandRequest setMaxFpsRequest(uint8_t fps);

}  // namespace Movoda::facade
