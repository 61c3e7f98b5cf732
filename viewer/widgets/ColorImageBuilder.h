#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>

#include "ColorizerConstants.h"

class ImageColorizer;

namespace vantory::colorizer {

// A read-only pixel plane with its element count; reads past the end give 0.
template <typename T>
struct Plane {
    const T* data = nullptr;
    size_t count = 0;

    bool present() const { return data != nullptr && count > 0; }
    T at(size_t i) const { return i < count ? data[i] : T(0); }
};

struct ColorRange {
    int lower = 0;
    int upper = 0;
};

// What the distance and amplitude panes are built from: one frame's planes and the
// viewer's display choices.
struct PaneInput {
    int width = 0;
    int height = 0;
    int dataKind = 0;                 // 0 = distance and amplitude
    Plane<uint32_t> distance;         // the plane chosen for display (first or second)
    Plane<uint16_t> amplitude;
    Plane<uint16_t> grayscale;
    Plane<uint16_t> rawDcs;           // four width x height planes one after the other
    bool grayInAmpPane = false;       // show the grayscale plane in the amplitude pane
    int dcsMode = kDcsOff;            // raw-DCS display 1..3, 0 = off
    ColorRange distanceRange{kDefaultDistanceLower, kDefaultDistanceUpper};
    ColorRange amplitudeRange{kDefaultAmplitudeLower, kDefaultAmplitudeUpper};
};

// Makes image an RGB888 image of width x height, re-allocating only on a size change.
// Returns false (and leaves image null) for a non-positive size.
bool ensureRgbImage(QImage& image, int width, int height);

// Index into the four raw DCS planes of the value shown at (x, y) in the 2 x 2 mosaic.
size_t dcsMosaicIndex(int x, int y, int width, int height);

// Fills the distance and amplitude images. False when the size is not positive.
bool buildPaneImages(const PaneInput& in, ImageColorizer& distanceColorizer,
                     ImageColorizer& amplitudeColorizer, QImage& distanceImage,
                     QImage& amplitudeImage);

// Fills the grayscale image over the fixed grayscale range, gray scale mode.
bool buildGrayscaleImage(int width, int height, Plane<uint16_t> grayscale,
                         ImageColorizer& grayColorizer, QImage& image);

}  // namespace vantory::colorizer
