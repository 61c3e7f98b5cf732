// A Frame made from one inner frame packet (command id, data type, frame number, width,
// height, planes, trailing header, trailer type), as the image stream, the command channel
// and record files deliver it. Shared by the live frame path and the readers of
// recordings, so that both take a packet apart the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "mvsdk/Frame.h"

namespace Movoda::frame_packet {

constexpr uint16_t kMaxFrameWidth = 320;
constexpr uint16_t kMaxFrameHeight = 240;
// Inner packet header: command id, data type, frame number, width, height.
constexpr size_t kFrameNumberOffset = 2;
constexpr size_t kWidthOffset = 4;
constexpr size_t kHeightOffset = 6;
constexpr size_t kHeaderBytes = 8;
// Trailer type of packets whose numbers are least significant byte first.
constexpr uint8_t kTrailerLittleEndian = 3;

// Too short to hold the header and a trailer type.
inline bool tooShort(const uint8_t* inner, size_t size) {
    return inner == nullptr || size < kHeaderBytes + 1;
}
// The packet's byte order, told by its trailer type. The packet must not be tooShort.
inline bool isBigEndian(const uint8_t* inner, size_t size) {
    return inner[size - 1] != kTrailerLittleEndian;
}

// The frame with its header and trailing header read and the packet stored for
// decode(); `name` replaces the decoder's name when not empty. nullptr for a packet that
// is too short, whose size lies outside the sensor or whose trailing header is wrong (the
// header loader has printed why).
std::shared_ptr<Frame> frameFromPacket(const uint8_t* inner, size_t size, const std::string& name);

}  // namespace Movoda::frame_packet
