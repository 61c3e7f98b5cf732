// Which values of a pixel plane carry a measurement, and the camera's codes for those that
// do not. A 16-bit plane straight from the camera (amplitude, distance as sent) holds codes
// from 64000 up; the SDK's 32-bit distance plane holds the same codes moved up by 900000,
// so its codes start at 964000. A distance of 0 is no measurement either; an amplitude of
// 0 is a measured (dark) pixel.
#pragma once

#include <cstdint>

#include "mvsdk/IFrame.h"

namespace vantory::analysis {

// 16-bit planes: values from here on are camera codes.
constexpr std::uint16_t kCodeFrom16 = static_cast<std::uint16_t>(Movoda::kRawCodeFrom);
constexpr std::uint16_t kAmplitudeInvalidFrom = kCodeFrom16;
constexpr std::uint16_t kRawDistanceInvalidFrom = kCodeFrom16;
// The SDK's distance plane (mm, 32-bit).
constexpr std::uint32_t kDistanceInvalidFrom = Movoda::kDistanceInvalidFrom;

// Camera codes with a meaning of their own (16-bit values; the distance plane carries them
// plus Movoda::kDistanceCodeOffset).
constexpr std::uint16_t kCodeNoSignal = 64001;  // amplitude too low to measure
constexpr std::uint16_t kCodeSaturated = 64002;

// Default amplitude below which a measured pixel counts as weak in the histogram's
// low-amplitude share.
constexpr std::uint16_t kDefaultLowAmplitudeBelow = 50;

// True when v carries a measurement under the rule (values >= invalidFrom are codes;
// zeroIsInvalid makes 0 a code as well, as it is for distances).
template <typename T>
constexpr bool isMeasured(T v, std::uint32_t invalidFrom, bool zeroIsInvalid) {
    return static_cast<std::uint32_t>(v) < invalidFrom && !(zeroIsInvalid && v == 0);
}

}  // namespace vantory::analysis
