// Fixed numbers of the frame path: time types, plane flags, information-block bytes the
// viewer reads itself, and the constants of the reflectivity measurement.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantory::framepath {

// Time sources of a frame.
constexpr std::uint8_t kTimeTick = 0;
constexpr std::uint8_t kTimeGps = 1;
constexpr std::uint8_t kTimePtp = 2;
constexpr std::uint8_t kTimeGptp = 3;
// PTP runs on TAI; local civil time is this many seconds behind.
constexpr std::int64_t kPtpLeapSeconds = 37;

// Header version from which a frame carries the information block with sub-frame times.
constexpr std::uint8_t kVersionWithSubFrames = 3;

// Data kinds (payload byte 1) that decide what the panes show.
constexpr std::uint16_t kKindDistanceAmplitude = 0;
constexpr std::uint16_t kKindGrayscale = 3;

// Bits of the frame's flag byte.
constexpr std::uint8_t kFlagAmplitude = 0x02;
constexpr std::uint8_t kFlagSubFrames = 0x04;  // HDR index plane: one plane per sub-frame
constexpr std::uint8_t kFlagGrayscale = 0x08;

// Bytes of the information block that only the viewer interprets.
constexpr std::size_t kBlockSubFrameMaskAt = 95;
constexpr std::size_t kBlockAlignFirstAt = 128;
constexpr std::size_t kBlockAlignSecondAt = 129;
constexpr std::size_t kBlockLinkStatusAt = 194;
constexpr std::uint8_t kLinkStatusValid = 0x01;
constexpr std::uint8_t kLinkStatusDown = 0x02;
// Header configuration compared while played frames carry their own configuration.
constexpr std::size_t kBlockModelAt = 5;
constexpr std::size_t kBlockConfigFirstEnd = 52;   // model text and bytes 34..51
constexpr std::size_t kBlockLensAt = 53;
constexpr std::size_t kBlockLensEnd = 89;
constexpr std::size_t kBlockAcquisitionAt = 93;
constexpr std::size_t kBlockAcquisitionEnd = 113;
constexpr std::size_t kBlockLimitsAt = 121;
constexpr std::size_t kBlockLimitsEnd = 128;
constexpr std::size_t kBlockOptionFlagsAt = 192;

constexpr int kSubFrameSlots = 5;       // capture times in the block
constexpr int kSubFrameMaskBits = 4;    // bits that choose the reference sub-frame

// Distances of this value and above carry no measurement.
constexpr std::uint32_t kInvalidDistance = 964000;

// Raw DCS samples are offset binary around this value.
constexpr int kDcsZero = 2048;

// Reflectivity coefficient: a 50 % target at 1 m, amplitude normalised to 200 us.
constexpr double kReferenceReflectivity = 50.0;
constexpr double kNormalIntegrationUs = 200.0;
constexpr double kMaxReferenceAmplitude = 50000.0;

}  // namespace vantory::framepath
