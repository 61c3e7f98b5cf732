#include "ColorImageBuilder.h"

#include "ImageColorizer.h"

namespace vantory::colorizer {

namespace {

inline void putRgb(uchar* out, uint32_t rgb)
{
    out[0] = uchar(rgb >> 16);
    out[1] = uchar(rgb >> 8);
    out[2] = uchar(rgb);
}

// Colour of a value through the 16-bit lookup table, falling back to the direct
// computation for the large distance codes.
inline uint32_t lookupRgb(const uint32_t* lut, const ImageColorizer& colorizer, uint32_t value,
                          int mode)
{
    return value < ImageColorizer::kLookupSize ? lut[value] : colorizer.rgbOf(value, mode);
}

bool dcsAvailable(const PaneInput& in, size_t pixels)
{
    return in.dcsMode >= kDcsFirstPair && in.dcsMode <= kDcsMosaic && in.rawDcs.data != nullptr &&
           in.rawDcs.count / kDcsPlanes >= pixels;
}

// Distance-only and other non-standard kinds: raw distance, no amplitude, no clamping.
void fillOtherKind(const PaneInput& in, const uint32_t* dLut, ImageColorizer& dc,
                   const uint32_t* aLut, QImage& dImg, QImage& aImg)
{
    const uint32_t blackAmp = aLut[0];
    for (int y = 0; y < in.height; ++y) {
        uchar* dRow = dImg.scanLine(y);
        uchar* aRow = aImg.scanLine(y);
        const size_t row = size_t(y) * size_t(in.width);
        for (int x = 0; x < in.width; ++x) {
            putRgb(dRow + 3 * x, lookupRgb(dLut, dc, in.distance.at(row + x), kModeColor));
            putRgb(aRow + 3 * x, blackAmp);
        }
    }
}

void fillDcs(const PaneInput& in, const uint32_t* dLut, const uint32_t* aLut, QImage& dImg,
             QImage& aImg)
{
    const size_t pixels = size_t(in.width) * size_t(in.height);
    const uint16_t* dcs = in.rawDcs.data;
    for (int y = 0; y < in.height; ++y) {
        uchar* dRow = dImg.scanLine(y);
        uchar* aRow = aImg.scanLine(y);
        const size_t row = size_t(y) * size_t(in.width);
        for (int x = 0; x < in.width; ++x) {
            uint16_t d;
            uint16_t a;
            if (in.dcsMode == kDcsMosaic) {
                d = a = dcs[dcsMosaicIndex(x, y, in.width, in.height)];
            } else {
                const size_t first = in.dcsMode == kDcsFirstPair ? 0 : 2 * pixels;
                d = dcs[first + row + x];
                a = dcs[first + pixels + row + x];
            }
            putRgb(dRow + 3 * x, dLut[d]);
            putRgb(aRow + 3 * x, aLut[a]);
        }
    }
}

void fillStandard(const PaneInput& in, const uint32_t* dLut, const ImageColorizer& dc,
                  const uint32_t* aLut, bool grayPane, QImage& dImg, QImage& aImg)
{
    const int64_t lower = in.distanceRange.lower;
    const int64_t upper = in.distanceRange.upper;
    const Plane<uint16_t>& second = grayPane ? in.grayscale : in.amplitude;
    const size_t pixels = size_t(in.width) * size_t(in.height);
    const bool whole = in.distance.data && in.distance.count >= pixels && second.data &&
                       second.count >= pixels;
    for (int y = 0; y < in.height; ++y) {
        uchar* dRow = dImg.scanLine(y);
        uchar* aRow = aImg.scanLine(y);
        const size_t row = size_t(y) * size_t(in.width);
        if (whole) {
            // Hot path: both planes cover the frame, no per-pixel bounds test.
            const uint32_t* dist = in.distance.data + row;
            const uint16_t* amp = second.data + row;
            for (int x = 0; x < in.width; ++x) {
                uint32_t d = dist[x];
                if (int64_t(d) < lower || int64_t(d) > upper)
                    d = 0;
                putRgb(dRow + 3 * x, lookupRgb(dLut, dc, d, kModeColor));
                putRgb(aRow + 3 * x, aLut[amp[x]]);
            }
        } else {
            for (int x = 0; x < in.width; ++x) {
                uint32_t d = in.distance.at(row + x);
                if (int64_t(d) < lower || int64_t(d) > upper)
                    d = 0;
                putRgb(dRow + 3 * x, lookupRgb(dLut, dc, d, kModeColor));
                putRgb(aRow + 3 * x, aLut[second.at(row + x)]);
            }
        }
    }
}

}  // namespace

bool ensureRgbImage(QImage& image, int width, int height)
{
    if (width <= 0 || height <= 0) {
        image = QImage();
        return false;
    }
    if (image.width() != width || image.height() != height ||
        image.format() != QImage::Format_RGB888)
        image = QImage(width, height, QImage::Format_RGB888);
    return !image.isNull();
}

size_t dcsMosaicIndex(int x, int y, int width, int height)
{
    const int halfW = width / 2;
    const int halfH = height / 2;
    const bool right = x >= halfW;
    const bool bottom = y >= halfH;
    const int plane = (bottom ? 2 : 0) + (right ? 1 : 0);
    const int sx = 2 * (right ? x - halfW : x);
    const int sy = 2 * (bottom ? y - halfH : y);
    const size_t pixels = size_t(width) * size_t(height);
    return size_t(plane) * pixels + size_t(sy) * size_t(width) + size_t(sx);
}

bool buildPaneImages(const PaneInput& in, ImageColorizer& distanceColorizer,
                     ImageColorizer& amplitudeColorizer, QImage& distanceImage,
                     QImage& amplitudeImage)
{
    if (!ensureRgbImage(distanceImage, in.width, in.height) ||
        !ensureRgbImage(amplitudeImage, in.width, in.height))
        return false;
    distanceColorizer.setRange(in.distanceRange.lower, in.distanceRange.upper);
    amplitudeColorizer.setRange(in.amplitudeRange.lower, in.amplitudeRange.upper);
    const uint32_t* dLut = distanceColorizer.lookup16(kModeColor);
    const size_t pixels = size_t(in.width) * size_t(in.height);

    if (in.dataKind != 0) {
        fillOtherKind(in, dLut, distanceColorizer, amplitudeColorizer.lookup16(kModeColor),
                      distanceImage, amplitudeImage);
    } else if (dcsAvailable(in, pixels)) {
        fillDcs(in, dLut, amplitudeColorizer.lookup16(kModeColor), distanceImage, amplitudeImage);
    } else {
        const bool grayPane = in.grayInAmpPane && in.grayscale.present();
        const uint32_t* aLut = amplitudeColorizer.lookup16(grayPane ? kModeGray : kModeColor);
        fillStandard(in, dLut, distanceColorizer, aLut, grayPane, distanceImage, amplitudeImage);
    }
    return true;
}

bool buildGrayscaleImage(int width, int height, Plane<uint16_t> grayscale,
                         ImageColorizer& grayColorizer, QImage& image)
{
    if (!ensureRgbImage(image, width, height))
        return false;
    grayColorizer.setRange(kGrayscaleLower, kGrayscaleUpper);
    const uint32_t* lut = grayColorizer.lookup16(kModeGray);
    for (int y = 0; y < height; ++y) {
        uchar* out = image.scanLine(y);
        const size_t row = size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x)
            putRgb(out + 3 * x, lut[grayscale.at(row + x)]);
    }
    return true;
}

}  // namespace vantory::colorizer
