#pragma once

#include <cstdint>

// Values, sizes and colours shared by the colouriser and the image builders.
namespace vantory::colorizer {

constexpr int kTableSize = 30000;           // entries of the colour table
constexpr double kTableScale = 30000.0;      // colourScale = kTableScale / span
constexpr double kGrayLevels = 255.0;        // grayScale = kGrayLevels / span

enum Mode : int {
    kModeGray = 0,    // gray level proportional to the value
    kModeColor = 2,   // colour table, low values red, high values blue
};

// Reserved marker values (the camera's own codes and the SDK's offset copies).
constexpr uint32_t kMarkerNoSignal = 64001;
constexpr uint32_t kMarkerSaturated = 64002;
constexpr uint32_t kMarkerAmbient = 64003;
constexpr uint32_t kMarkerFlying1 = 64007;
constexpr uint32_t kMarkerFlying2 = 64008;
constexpr uint32_t kSdkCodeOffset = 900000;   // SDK copy of a camera code: code + offset
constexpr uint32_t kInvalidDistance = 964000; // distances from here on carry no measurement

// Packed 0x00RRGGBB colours.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kSaturatedColor = (169u << 16) | (14u << 8) | 255u;
constexpr uint32_t kAmbientColor = (255u << 16) | (0u << 8) | 128u;

// Default colour ranges of the two panes and the fixed range of the grayscale image.
constexpr int kDefaultDistanceLower = 0;
constexpr int kDefaultDistanceUpper = 5000;
constexpr int kDefaultAmplitudeLower = 0;
constexpr int kDefaultAmplitudeUpper = 2048;
constexpr int kGrayscaleLower = 0;
constexpr int kGrayscaleUpper = 2048;

// Raw-DCS display modes (0 = off).
constexpr int kDcsOff = 0;
constexpr int kDcsFirstPair = 1;
constexpr int kDcsSecondPair = 2;
constexpr int kDcsMosaic = 3;
constexpr int kDcsPlanes = 4;

}  // namespace vantory::colorizer
