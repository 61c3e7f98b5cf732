#include "frame/FramePacket.h"

namespace Movoda::frame_packet {

namespace {
uint16_t readU16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>((p[0] << 8) | p[1])
                     : static_cast<uint16_t>((p[1] << 8) | p[0]);
}
}  // namespace

std::shared_ptr<Frame> frameFromPacket(const uint8_t* inner, size_t size, const std::string& name) {
    if (tooShort(inner, size)) return nullptr;
    const bool bigEndian = isBigEndian(inner, size);
    const uint16_t width = readU16(inner + kWidthOffset, bigEndian);
    const uint16_t height = readU16(inner + kHeightOffset, bigEndian);
    if (width < 1 || width > kMaxFrameWidth || height < 1 || height > kMaxFrameHeight) {
        return nullptr;
    }
    const uint16_t dataType = inner[1];
    const uint16_t frameNumber = readU16(inner + kFrameNumberOffset, bigEndian);
    auto frame = std::make_shared<Frame>(dataType, frameNumber, width, height);
    if (!frame->loadHeader(inner, size)) return nullptr;
    if (!name.empty()) frame->setName(name);
    frame->setPacket(inner, size, bigEndian);
    return frame;
}

}  // namespace Movoda::frame_packet
