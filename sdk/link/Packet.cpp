#include "link/Packet.h"

#include <algorithm>

namespace Movoda::packet {

namespace {

constexpr uint8_t kRequestTrailer[] = {0x00, 0x01};
constexpr uint8_t kStartBytes[kMarkSize] = {0x7E, 0xFF, 0xAA, 0x55};
constexpr uint8_t kEndBytes[kMarkSize] = {0xFF, 0x7E, 0x55, 0xAA};
constexpr size_t kCompactThreshold = 64 * 1024;

bool hasMark(const uint8_t* at, const uint8_t* mark) {
    return std::equal(mark, mark + kMarkSize, at);
}

}  // namespace

uint32_t readU32(const uint8_t* bytes, bool bigEndian) {
    if (bigEndian) {
        return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
               uint32_t(bytes[3]);
    }
    return (uint32_t(bytes[3]) << 24) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[1]) << 8) |
           uint32_t(bytes[0]);
}

void writeU32(uint8_t* bytes, uint32_t value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        const uint8_t b = uint8_t(value >> (8 * i));
        bytes[bigEndian ? 3 - i : i] = b;
    }
}

std::vector<uint8_t> buildPacket(uint8_t cmdId, const uint8_t* payload, size_t size,
                                 const uint8_t* trailer, size_t trailerSize, bool bigEndianLength) {
    if (payload == nullptr) size = 0;
    if (trailer == nullptr) trailerSize = 0;
    const size_t length = 1 + size + trailerSize;
    std::vector<uint8_t> out(length + kFramingSize);
    std::copy(kStartBytes, kStartBytes + kMarkSize, out.begin());
    writeU32(out.data() + kLengthOffset, uint32_t(length), bigEndianLength);
    out[kInnerOffset] = cmdId;
    if (size > 0) std::copy(payload, payload + size, out.begin() + kInnerOffset + 1);
    if (trailerSize > 0) {
        std::copy(trailer, trailer + trailerSize, out.begin() + kInnerOffset + 1 + size);
    }
    std::copy(kEndBytes, kEndBytes + kMarkSize, out.end() - kMarkSize);
    return out;
}

std::vector<uint8_t> buildRequest(uint8_t cmdId, const uint8_t* payload, size_t size,
                                  bool bigEndianLength) {
    return buildPacket(cmdId, payload, size, kRequestTrailer, sizeof kRequestTrailer,
                       bigEndianLength);
}

void rewriteLength(std::vector<uint8_t>& packet, bool bigEndianLength) {
    if (packet.size() < kFramingSize) return;
    writeU32(packet.data() + kLengthOffset, uint32_t(packet.size() - kFramingSize),
             bigEndianLength);
}

std::optional<InnerPacket> splitInner(const uint8_t* inner, size_t size) {
    if (inner == nullptr || size < 1) return std::nullopt;
    InnerPacket out;
    out.cmdId = inner[0];
    const uint8_t type = inner[size - 1];
    if (type == kTrailerPackedA || type == kTrailerPackedB) {
        if (size < 3) return std::nullopt;
        const uint8_t packed = inner[size - 2];
        out.status = packed & 0x0F;
        out.devState = packed >> 4;
        out.payload.assign(inner + 1, inner + size - 2);
    } else if (type == kTrailerSplit) {
        if (size < 4) return std::nullopt;
        out.status = inner[size - 3];
        out.devState = inner[size - 2];
        out.payload.assign(inner + 1, inner + size - 3);
    }
    out.devState = std::min(out.devState, kMaxDevState);
    return out;
}

std::optional<std::vector<uint8_t>> unframe(const uint8_t* packet, size_t size,
                                            bool bigEndianLength) {
    if (packet == nullptr || size < kMinPacketSize) return std::nullopt;
    if (!hasMark(packet, kStartBytes) || !hasMark(packet + size - kMarkSize, kEndBytes)) {
        return std::nullopt;
    }
    const uint32_t length = readU32(packet + kLengthOffset, bigEndianLength);
    if (size_t(length) != size - kFramingSize) return std::nullopt;
    return std::vector<uint8_t>(packet + kInnerOffset, packet + kInnerOffset + length);
}

void PacketStream::append(const uint8_t* data, size_t size, Clock::time_point now) {
    if (data == nullptr || size == 0) return;
    compact();
    buffer_.insert(buffer_.end(), data, data + size);
    lastAppend_ = now;
}

void PacketStream::clear() {
    consumed_ += buffered();
    buffer_.clear();
    head_ = 0;
}

void PacketStream::discard(size_t count) {
    count = std::min(count, buffered());
    head_ += count;
    consumed_ += count;
    dropped_ += count;
}

bool PacketStream::laterPacketComplete(bool bigEndianLength) {
    const uint64_t position = consumed_;
    if (scanFor_ != position) {
        scanFor_ = position;
        scanFrom_ = 1;
    }
    const uint8_t* begin = buffer_.data() + head_;
    const uint8_t* end = buffer_.data() + buffer_.size();
    for (;;) {
        const uint8_t* mark =
            std::search(begin + scanFrom_, end, kStartBytes, kStartBytes + kMarkSize);
        // Resume at a mark whose packet is not complete yet, else behind the bytes seen.
        if (mark == end) {
            scanFrom_ = std::max<size_t>(
                1, size_t(end - begin) - std::min<size_t>(size_t(end - begin), kMarkSize - 1));
            return false;
        }
        scanFrom_ = size_t(mark - begin);
        if (size_t(end - mark) < kInnerOffset) return false;
        const uint32_t length = readU32(mark + kLengthOffset, bigEndianLength);
        if (length >= kMinInnerSize && length <= kMaxStreamLength) {
            const size_t total = size_t(length) + kFramingSize;
            if (size_t(end - mark) < total) return false;
            if (hasMark(mark + total - kMarkSize, kEndBytes)) return true;
        }
        ++scanFrom_;  // not a packet: look further
    }
}

void PacketStream::compact() {
    if (head_ == 0) return;
    if (head_ == buffer_.size()) {
        buffer_.clear();
        head_ = 0;
    } else if (head_ >= kCompactThreshold && head_ * 2 >= buffer_.size()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(head_));
        head_ = 0;
    }
}

bool PacketStream::next(std::vector<uint8_t>& inner, bool bigEndianLength, Clock::time_point now) {
    for (;;) {
        const uint8_t* begin = buffer_.data() + head_;
        const uint8_t* end = buffer_.data() + buffer_.size();
        const uint8_t* mark = std::search(begin, end, kStartBytes, kStartBytes + kMarkSize);
        if (mark == end) {
            // Keep a tail that may be the first bytes of a start mark still on its way.
            const size_t keep = std::min(buffered(), kMarkSize - 1);
            discard(buffered() - keep);
            compact();
            return false;
        }
        discard(size_t(mark - begin));
        if (buffered() < kInnerOffset) return false;

        const uint8_t* packet = buffer_.data() + head_;
        const uint32_t length = readU32(packet + kLengthOffset, bigEndianLength);
        if (length < kMinInnerSize || length > kMaxStreamLength) {
            discard(1);  // not a packet start after all: look for the next mark
            continue;
        }
        const size_t total = size_t(length) + kFramingSize;
        if (buffered() < total) {
            if (!laterPacketComplete(bigEndianLength) && now - lastAppend_ < kStallLimit) {
                return false;
            }
            ++stalled_;
            discard(1);  // the search above drops the rest up to the next start mark
            continue;
        }
        if (!hasMark(packet + total - kMarkSize, kEndBytes)) {
            discard(1);
            continue;
        }
        inner.assign(packet + kInnerOffset, packet + kInnerOffset + length);
        head_ += total;
        consumed_ += total;
        compact();
        return true;
    }
}

}  // namespace Movoda::packet
