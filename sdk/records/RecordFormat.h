// Record files (".xbin"): one camera frame per file, as the frame arrived, so that
// playback decodes it again with the normal frame decoder. Version 3 holds the frame's
// wire packet after the version word; version 2 (frames without the information block)
// holds the lens parameters and the acquisition settings in force, then the packet
// without its 8-byte start. All numbers of the container are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace Movoda::records {

constexpr uint32_t kFileVersionOld = 2;
constexpr uint32_t kFileVersionCurrent = 3;
constexpr size_t kVersionBytes = 4;
constexpr size_t kLensBytes = 36;
constexpr size_t kRecordInfoBytes = 74;
constexpr size_t kOldHeaderBytes = kVersionBytes + kLensBytes + kRecordInfoBytes;  // 114
// A file larger than this cannot hold one frame of the 320 x 240 sensor.
constexpr size_t kMaxRecordFileBytes = 8u << 20;
// Frames whose header version is above this are written as version 3.
constexpr uint8_t kLastOldFrameVersion = 2;

constexpr uint32_t kPacketStartMark = 0x7EFFAA55;  // read big-endian
constexpr uint32_t kPacketEndMark = 0xFF7E55AA;    // read big-endian
constexpr size_t kPacketStartBytes = 8;            // start mark and length
constexpr size_t kPacketEndBytes = 4;

constexpr const char* kRecordFileSuffix = ".xbin";

// Acquisition settings written into version-2 files (74 bytes).
struct RecordInfo {
    uint8_t modFreqIndex = 0;
    uint8_t hdrIndex = 0;
    uint8_t maxFps = 0;
    uint16_t minAmplitude = 0;
    std::array<uint16_t, 3> intTimes{};  // microseconds
    uint16_t grayIntTime = 0;
    std::string serial;    // at most 39 characters are kept
    std::string firmware;  // at most 19 characters are kept
};

std::array<uint8_t, kRecordInfoBytes> encodeRecordInfo(const RecordInfo& info);
RecordInfo decodeRecordInfo(const uint8_t* block);  // kRecordInfoBytes bytes

// What goes before the frame bytes, and where in the packet the frame bytes start.
struct RecordFileLayout {
    uint32_t version = kFileVersionCurrent;
    std::vector<uint8_t> header;  // version word, and for version 2 lens and settings
    size_t packetOffset = 0;      // 8 for version 2 packets that begin with the start mark
};
RecordFileLayout recordFileLayout(uint8_t frameVersion, const uint8_t* packet, size_t size,
                                  const LensParams& lens, const RecordInfo& info);

enum class ReadStatus { Ok, CannotOpen, TooLarge, Truncated, UnsupportedVersion };

struct RecordFileContent {
    uint32_t version = 0;
    std::optional<LensParams> lens;  // version 2
    std::optional<RecordInfo> info;  // version 2
    // The inner packet (command id .. trailer) for the frame decoder.
    std::vector<uint8_t> payload;
    // Version 3: the frame's information block as recorded.
    bool hasInfoBlock = false;
};

struct RecordReadResult {
    ReadStatus status = ReadStatus::Ok;
    RecordFileContent content;
    // What the reader printed: "fileVer not support", "size error: ...", ...
    std::string message;
};

RecordReadResult parseRecordFile(const std::vector<uint8_t>& bytes);
RecordReadResult readRecordFile(const std::string& path);

// Older cameras ended version-2 frames with an information block of 201 to 249 bytes;
// the decoder knows those frames only with the 52-byte short trailer. Rewrites such a
// payload in place (trailer and header numbers then big-endian). False, with the
// message, when the block length is outside that range.
bool convertOldInfoBlock(std::vector<uint8_t>& payload, std::string& message);

}  // namespace Movoda::records
