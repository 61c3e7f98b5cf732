// Bytes of one command-channel packet:
//   start mark (4) | length L (4, link byte order) | id (1) | payload (n) | trailer (2 or 3) | end
//   mark (4)
// with L = 1 + n + trailer size. Builders and parsers only; nothing here touches a socket.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Movoda::packet {

constexpr uint32_t kStartMark = 0x7EFFAA55;  // compared big-endian
constexpr uint32_t kEndMark = 0xFF7E55AA;
constexpr size_t kMarkSize = 4;
constexpr size_t kLengthOffset = 4;
constexpr size_t kInnerOffset = 8;
constexpr size_t kFramingSize = 12;  // start mark, length field, end mark
constexpr size_t kMinPacketSize = 15;
constexpr size_t kMinInnerSize = kMinPacketSize - kFramingSize;
constexpr uint32_t kMaxStreamLength = 1200000;
constexpr uint8_t kMaxDevState = 27;

// Trailer types (the last trailer byte).
constexpr uint8_t kTrailerPackedA = 1;  // one byte: state << 4 | status, then the type
constexpr uint8_t kTrailerPackedB = 2;
constexpr uint8_t kTrailerSplit = 3;  // status byte, state byte, then the type

// SDK request: trailer 00 01.
std::vector<uint8_t> buildRequest(uint8_t cmdId, const uint8_t* payload, size_t size,
                                  bool bigEndianLength);
// Any trailer (camera side: responses, reports, frames).
std::vector<uint8_t> buildPacket(uint8_t cmdId, const uint8_t* payload, size_t size,
                                 const uint8_t* trailer, size_t trailerSize, bool bigEndianLength);
// Rewrites the length field of an already built packet after a byte-order change.
void rewriteLength(std::vector<uint8_t>& packet, bool bigEndianLength);

struct InnerPacket {
    uint8_t cmdId = 0;
    uint8_t status = 0;
    uint8_t devState = 0;
    std::vector<uint8_t> payload;
};
// Splits inner bytes (id, payload, trailer) by the trailer type; device state clamped at 27.
// Empty when the bytes are too short for their trailer.
std::optional<InnerPacket> splitInner(const uint8_t* inner, size_t size);

// Checks marks and length of one whole packet; returns the inner bytes (id, payload, trailer).
std::optional<std::vector<uint8_t>> unframe(const uint8_t* packet, size_t size,
                                            bool bigEndianLength);

uint32_t readU32(const uint8_t* bytes, bool bigEndian);
void writeU32(uint8_t* bytes, uint32_t value, bool bigEndian);

// Byte-stream deframer for TCP and serial: append bytes, take out every complete packet's
// inner bytes; on a framing error skips to the next start mark. Length limit kMaxStreamLength.
//
// A packet whose length field is damaged would hold every later packet hostage until that
// many bytes had arrived. It is given up (its bytes dropped up to the next start mark) as
// soon as a later start mark begins a complete, valid packet, or when no byte has arrived
// for kStallLimit while it waits.
class PacketStream {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kStallLimit{500};

    void append(const uint8_t* data, size_t size, Clock::time_point now = Clock::now());
    // False when no complete packet is buffered.
    bool next(std::vector<uint8_t>& inner, bool bigEndianLength,
              Clock::time_point now = Clock::now());
    void clear();
    uint64_t droppedBytes() const { return dropped_; }
    // Packets given up because their end did not come where their length said.
    uint64_t stalledPackets() const { return stalled_; }
    size_t buffered() const { return buffer_.size() - head_; }

private:
    void discard(size_t count);  // drops bytes from the front, counting them
    void compact();
    // True when a start mark after the waiting packet's begins a complete, valid packet.
    bool laterPacketComplete(bool bigEndianLength);

    std::vector<uint8_t> buffer_;
    size_t head_ = 0;  // first unread byte
    uint64_t dropped_ = 0;
    uint64_t stalled_ = 0;
    uint64_t consumed_ = 0;  // bytes taken from the front since the start
    Clock::time_point lastAppend_{};
    // Where the search for a later packet resumes, relative to head_, for the waiting
    // packet that starts at stream position scanFor_.
    uint64_t scanFor_ = ~uint64_t{0};
    size_t scanFrom_ = 1;
};

}  // namespace Movoda::packet
