// Byte layout of a frame packet: payload header, information block and the older
// format's trailer. Offsets inside the information block count from its first byte;
// trailer offsets count back from the end of the inner packet.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Movoda::frame_layout {

// Wire framing around the inner packet: start mark + length, and the end mark.
constexpr size_t kWireHeaderSize = 8;
constexpr size_t kWireTrailerSize = 4;
constexpr uint8_t kStartMark[4] = {0x7E, 0xFF, 0xAA, 0x55};
constexpr uint8_t kEndMark[4] = {0xFF, 0x7E, 0x55, 0xAA};

// Inner packet header: command id, data type, frame number, width, height.
constexpr size_t kPayloadHeaderSize = 8;

// A stored packet must hold the planes plus this many bytes.
constexpr size_t kSizeCheckSlack = 56;

constexpr uint8_t kFormatInfoBlock = 3;
constexpr uint8_t kFormatShortTrailer = 2;

// Information block (format 3), little-endian.
constexpr uint32_t kInfoMagic = 0x33CCAA50;
constexpr size_t kInfoBlockSize = 206;
constexpr size_t kInfoMagicAt = 0;
constexpr size_t kInfoModelAt = 5;
constexpr size_t kInfoModelSize = 29;
constexpr size_t kInfoLensAt = 53;
constexpr size_t kInfoDataFlagsAt = 93;
constexpr size_t kInfoHdrModeAt = 94;
constexpr size_t kInfoFreqCodesAt = 96;
constexpr size_t kInfoIntTimesAt = 101;
constexpr size_t kIntTimeCount = 5;
constexpr size_t kInfoGrayIntTimeAt = 111;
constexpr size_t kInfoRoiX0At = 113;
constexpr size_t kInfoRoiY0At = 117;
constexpr size_t kInfoMinAmplitudeAt = 121;
constexpr size_t kInfoBinningAt = 124;
constexpr size_t kInfoDistanceScaleAt = 136;
constexpr size_t kInfoTemperature1At = 141;
constexpr size_t kInfoTemperature2At = 143;
constexpr size_t kInfoTimeSourceAt = 145;
constexpr size_t kInfoTimeLockedAt = 146;
constexpr size_t kInfoCaptureTimesAt = 147;
constexpr size_t kInfoPtpOffsetAt = 187;
constexpr size_t kInfoImuMarkerAt = 191;
constexpr uint8_t kImuMarker = 0x5C;
// The block length stands 4 bytes before the end of the packet (block offset 202).
constexpr size_t kInfoLengthFromEnd = 4;
constexpr size_t kInfoVersionAt = 205;

constexpr size_t kImuBlockSize = 92;
constexpr uint16_t kImuValidWord = 0x55AA;

// Format 2 trailer, big-endian, offsets back from the inner packet size.
constexpr size_t kF2Temperature1Back = 52;
constexpr size_t kF2RoiX0Back = 50;
constexpr size_t kF2RoiY0Back = 48;
constexpr size_t kF2BinningBack = 46;
constexpr size_t kF2Temperature2Back = 43;
constexpr size_t kF2SecondsBack = 14;
constexpr size_t kF2NanosecondsBack = 8;
constexpr size_t kF2TimeLockedBack = 4;
constexpr size_t kF2TimeSourceBack = 3;
constexpr uint16_t kF2RoiX0Max = 310;
constexpr uint16_t kF2RoiY0Max = 110;

// binningFlags bits.
constexpr uint8_t kBinRows = 1;     // camera binned rows by 2 (vertical)
constexpr uint8_t kBinColumns = 2;  // camera binned columns by 2 (horizontal)

// Reflectivity.
constexpr uint32_t kReflAmplitudeScale = 200;
constexpr uint32_t kRangeCorrectionMinScale = 4;
constexpr uint32_t kRangeCorrectionMaxDistance = 7500;
constexpr uint32_t kRangeCorrectionMinIntTime = 1800;
constexpr double kRangeCorrectionMaxRefl = 0.5;
constexpr uint32_t kRangeCorrectionMaxAmplitude = 200;
constexpr uint32_t kRangeCorrectionAdd = 25000;

// SDK binning: amplitudes of this value and above do not enter the average.
constexpr uint16_t kBinAmplitudeLimit = 3000;

}  // namespace Movoda::frame_layout
