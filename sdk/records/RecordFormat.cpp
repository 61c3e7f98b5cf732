#include "records/RecordFormat.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "facade/CalibrationCodec.h"
#include "facade/WireBytes.h"
#include "frame/ByteReader.h"
#include "frame/FrameLayout.h"

namespace Movoda::records {

namespace fl = frame_layout;
namespace wire = facade::wire;

namespace {

constexpr size_t kSerialField = 40;
constexpr size_t kFirmwareField = 20;
constexpr size_t kSerialAt = 14;
constexpr size_t kFirmwareAt = 54;
constexpr size_t kOldBlockMin = 201;
constexpr size_t kOldBlockMax = 249;
constexpr size_t kShortTrailerBytes = 52;
constexpr size_t kLengthFromEnd = 4;
constexpr uint8_t kBinRowsByte = 0x01;     // low nibble: rows binned
constexpr uint8_t kBinColumnsByte = 0x10;  // above 15: columns binned
constexpr size_t kSecondsBytes = 6;

void putText(uint8_t* field, size_t fieldBytes, const std::string& text) {
    // The terminating zero always fits.
    const size_t n = std::min(text.size(), fieldBytes - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), field);
}

void putLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void putBe(uint8_t* p, uint64_t v, size_t bytes) {
    for (size_t k = 0; k < bytes; ++k) p[k] = static_cast<uint8_t>(v >> (8 * (bytes - 1 - k)));
}

std::string sizeError(size_t found, size_t expected) {
    return "size error: " + std::to_string(found) + "  " + std::to_string(expected);
}

}  // namespace

std::array<uint8_t, kRecordInfoBytes> encodeRecordInfo(const RecordInfo& info) {
    std::array<uint8_t, kRecordInfoBytes> b{};
    b[0] = info.modFreqIndex;
    b[1] = info.hdrIndex;
    b[3] = info.maxFps;
    putLe16(&b[4], info.minAmplitude);
    for (size_t k = 0; k < info.intTimes.size(); ++k) putLe16(&b[6 + 2 * k], info.intTimes[k]);
    putLe16(&b[12], info.grayIntTime);
    putText(&b[kSerialAt], kSerialField, info.serial);
    putText(&b[kFirmwareAt], kFirmwareField, info.firmware);
    return b;
}

RecordInfo decodeRecordInfo(const uint8_t* b) {
    RecordInfo info;
    info.modFreqIndex = b[0];
    info.hdrIndex = b[1];
    info.maxFps = b[3];
    info.minAmplitude = bytes::le16(b + 4);
    for (size_t k = 0; k < info.intTimes.size(); ++k) info.intTimes[k] = bytes::le16(b + 6 + 2 * k);
    info.grayIntTime = bytes::le16(b + 12);
    info.serial = wire::getText(b + kSerialAt, kSerialField);
    info.firmware = wire::getText(b + kFirmwareAt, kFirmwareField);
    return info;
}

RecordFileLayout recordFileLayout(uint8_t frameVersion, const uint8_t* packet, size_t size,
                                  const LensParams& lens, const RecordInfo& info) {
    RecordFileLayout layout;
    layout.version = frameVersion > kLastOldFrameVersion ? kFileVersionCurrent : kFileVersionOld;
    wire::putU32(layout.header, layout.version, false);
    if (layout.version == kFileVersionOld) {
        const std::vector<uint8_t> lensBytes = facade::encodeLensParams(lens);
        layout.header.insert(layout.header.end(), lensBytes.begin(), lensBytes.end());
        const auto infoBytes = encodeRecordInfo(info);
        layout.header.insert(layout.header.end(), infoBytes.begin(), infoBytes.end());
        if (size >= kPacketStartBytes && bytes::be32(packet) == kPacketStartMark)
            layout.packetOffset = kPacketStartBytes;
    }
    return layout;
}

bool convertOldInfoBlock(std::vector<uint8_t>& payload, std::string& message) {
    const size_t size = payload.size();
    const size_t length =
        size >= kLengthFromEnd ? bytes::le16(payload.data() + size - kLengthFromEnd) : 0;
    if (length < kOldBlockMin || length > kOldBlockMax || length + fl::kPayloadHeaderSize > size) {
        message = sizeError(length, kShortTrailerBytes);
        return false;
    }
    const uint8_t* block = payload.data() + size - length;
    std::array<uint8_t, kShortTrailerBytes> t{};
    const size_t S = kShortTrailerBytes;
    putBe(&t[S - fl::kF2Temperature1Back], bytes::le16(block + fl::kInfoTemperature1At), 2);
    putBe(&t[S - fl::kF2RoiX0Back], bytes::le16(block + fl::kInfoRoiX0At), 2);
    putBe(&t[S - fl::kF2RoiY0Back], bytes::le16(block + fl::kInfoRoiY0At), 2);
    const uint8_t binning = block[fl::kInfoBinningAt];
    t[S - fl::kF2BinningBack] =
        static_cast<uint8_t>(((binning & fl::kBinRows) ? kBinRowsByte : 0) |
                             ((binning & fl::kBinColumns) ? kBinColumnsByte : 0));
    putBe(&t[S - fl::kF2Temperature2Back], bytes::le16(block + fl::kInfoTemperature2At), 2);
    const uint64_t ms = bytes::le64(block + fl::kInfoCaptureTimesAt);
    putBe(&t[S - fl::kF2SecondsBack], ms / 1000, kSecondsBytes);
    putBe(&t[S - fl::kF2NanosecondsBack], (ms % 1000) * 1000000, 4);
    t[S - fl::kF2TimeLockedBack] = block[fl::kInfoTimeLockedAt];
    t[S - fl::kF2TimeSourceBack] = block[fl::kInfoTimeSourceAt];
    t[S - 1] = fl::kFormatShortTrailer;

    // A short-trailer packet carries its header numbers most significant byte first.
    for (size_t at = 2; at < fl::kPayloadHeaderSize; at += 2) {
        const uint16_t v = bytes::le16(payload.data() + at);
        putBe(payload.data() + at, v, 2);
    }
    payload.resize(size - length);
    payload.insert(payload.end(), t.begin(), t.end());
    return true;
}

RecordReadResult parseRecordFile(const std::vector<uint8_t>& bytesIn) {
    RecordReadResult r;
    if (bytesIn.size() > kMaxRecordFileBytes) {
        r.status = ReadStatus::TooLarge;
        r.message = "record file too large";
        return r;
    }
    if (bytesIn.size() < kVersionBytes) {
        r.status = ReadStatus::Truncated;
        r.message = "record file too short";
        return r;
    }
    r.content.version = bytes::le32(bytesIn.data());
    if (r.content.version != kFileVersionOld && r.content.version != kFileVersionCurrent) {
        r.status = ReadStatus::UnsupportedVersion;
        r.message = "fileVer not support";
        return r;
    }
    const uint8_t* data = bytesIn.data() + kVersionBytes;
    size_t size = bytesIn.size() - kVersionBytes;
    if (size >= kPacketEndBytes && bytes::be32(data + size - kPacketEndBytes) == kPacketEndMark)
        size -= kPacketEndBytes;

    std::vector<uint8_t>& payload = r.content.payload;
    if (r.content.version == kFileVersionOld) {
        if (size < kLensBytes + kRecordInfoBytes) {
            r.status = ReadStatus::Truncated;
            r.message = "record file too short";
            return r;
        }
        r.content.lens = facade::decodeLensParams(data, kLensBytes);
        r.content.info = decodeRecordInfo(data + kLensBytes);
        payload.assign(data + kLensBytes + kRecordInfoBytes, data + size);
        if (!payload.empty() && payload.back() == fl::kFormatInfoBlock)
            convertOldInfoBlock(payload, r.message);
        return r;
    }
    if (size >= kPacketStartBytes && bytes::be32(data) == kPacketStartMark) {
        data += kPacketStartBytes;
        size -= kPacketStartBytes;
    }
    payload.assign(data, data + size);
    const size_t length = size >= kLengthFromEnd ? bytes::le16(data + size - kLengthFromEnd) : 0;
    if (length == fl::kInfoBlockSize)
        r.content.hasInfoBlock = true;
    else
        r.message = sizeError(length, fl::kInfoBlockSize);
    return r;
}

RecordReadResult readRecordFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        RecordReadResult r;
        r.status = ReadStatus::CannotOpen;
        r.message = "Failed to open file for reading.";
        return r;
    }
    const std::streamoff length = in.tellg();
    if (length < 0 || static_cast<uint64_t>(length) > kMaxRecordFileBytes) {
        RecordReadResult r;
        r.status = length < 0 ? ReadStatus::CannotOpen : ReadStatus::TooLarge;
        r.message = length < 0 ? "Failed to open file for reading." : "record file too large";
        return r;
    }
    std::vector<uint8_t> bytesIn(static_cast<size_t>(length));
    in.seekg(0);
    if (!bytesIn.empty() && !in.read(reinterpret_cast<char*>(bytesIn.data()), length)) {
        RecordReadResult r;
        r.status = ReadStatus::CannotOpen;
        r.message = "Failed to open file for reading.";
        return r;
    }
    return parseRecordFile(bytesIn);
}

}  // namespace Movoda::records
