#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>

class SampleWindow;

// Texts of the pixel-information window for one frame at the selected pixel. The
// result lists (label object name, text) pairs in the order they are to be set, so
// the window applies them without knowing the rules.
namespace vantory::pixelinfo {

enum Mode : int {
    kModeDistance = 0,            // distance column only
    kModeDistanceAmplitude = 1,   // distance and amplitude
    kModeGrayscale = 2,           // grayscale column only
};

constexpr uint32_t kInvalidDistance = 964000;
constexpr uint32_t kInvalidSecondValue = 64001;
constexpr double kStatsEpsilon = 1e-6;

using LabelTexts = QList<QPair<QString, QString>>;

struct PixelSample {
    uint32_t distanceMm = 0;
    uint32_t secondValue = 0;   // amplitude, else grayscale, else 0
    int confidence = -1;        // -1 when the frame has no confidence plane
};

// Adds the sample to the windows (valid values only) and returns the label texts.
LabelTexts update(int mode, const PixelSample& sample, SampleWindow& distanceWindow,
                  SampleWindow& secondWindow);

// The texts shown when a pixel is newly selected.
LabelTexts reset();

}  // namespace vantory::pixelinfo
