#include "facade/RecordedFrame.h"

#include <algorithm>
#include <cstring>

#include "facade/WireBytes.h"
#include "link/Packet.h"
#include "link/UdpReassembler.h"

namespace Movoda::facade {

namespace {

constexpr size_t kStride = udpchunk::kRecordedDatagramSize;
constexpr size_t kHeader = udpchunk::kHeaderSize;

}  // namespace

std::optional<std::vector<uint8_t>> rebuildRecordedFrame(const std::vector<uint8_t>& packets) {
    const size_t total = packets.size();
    if (total < kHeader) return std::nullopt;
    const size_t count = (total + kStride - 1) / kStride;
    const size_t expectedSize = total - kHeader * count;

    // The recording does not say which byte order the camera used: the one in which the
    // announced size matches the data wins.
    bool big = false;
    if (wire::getU32(packets.data() + udpchunk::kFrameSizeOffset, big) != expectedSize) {
        big = true;
        if (wire::getU32(packets.data() + udpchunk::kFrameSizeOffset, big) != expectedSize)
            return std::nullopt;
    }
    if (expectedSize < packet::kMinPacketSize) return std::nullopt;

    const uint16_t sequence = wire::getU16(packets.data() + udpchunk::kSequenceOffset, big);
    std::vector<uint8_t> frame(expectedSize, 0);
    for (size_t i = 0; i < count; ++i) {
        const size_t start = i * kStride;
        const size_t datagramBytes = std::min(kStride, total - start);
        if (datagramBytes < kHeader) return std::nullopt;
        const uint8_t* d = packets.data() + start;
        if (wire::getU16(d + udpchunk::kSequenceOffset, big) != sequence ||
            wire::getU32(d + udpchunk::kFrameSizeOffset, big) != expectedSize)
            return std::nullopt;
        const size_t length = wire::getU16(d + udpchunk::kLengthOffset, big);
        const size_t offset = wire::getU32(d + udpchunk::kChunkOffsetOffset, big);
        if (length > udpchunk::kMaxPayload || length > datagramBytes - kHeader ||
            offset > expectedSize || length > expectedSize - offset)
            return std::nullopt;
        std::memcpy(frame.data() + offset, d + kHeader, length);
    }
    return std::vector<uint8_t>(frame.begin() + packet::kInnerOffset,
                                frame.end() - packet::kMarkSize);
}

}  // namespace Movoda::facade
