#include "ImageColorizer.h"

#include <QDebug>

#include <algorithm>

using namespace vantory::colorizer;

namespace {

// Channel value truncated toward zero; only the low 8 bits count.
uint32_t channel(double value)
{
    return static_cast<uint32_t>(static_cast<int>(value)) & 0xFFu;
}

uint32_t tableEntry(int i)
{
    const double v = i / kTableScale - 0.25;
    double r = 0.0;
    if (v >= 0.125 && v < 0.375)
        r = (v - 0.125) * 255 * 4;
    else if (v >= 0.375 && v < 0.625)
        r = 255;
    else if (v >= 0.625 && v < 1.125)
        r = 255 - 2 * (v - 0.625) * 255;

    double g = 0.0;
    if (v >= -0.125 && v < 0.125)
        g = (v + 0.125) * 255 * 4;
    else if (v >= 0.125 && v < 0.375)
        g = 255;
    else if (v >= 0.375 && v < 0.75)
        g = 255 - (v - 0.375) * 255 / 0.375;

    double b = 0.0;
    if (v >= -0.375 && v < -0.125)
        b = (v + 0.375) * 255 * 4;
    else if (v >= -0.125 && v < 0.125)
        b = 255;
    else if (v >= 0.125 && v < 0.375)
        b = 255 - (v - 0.125) * 255 * 4;

    return (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

uint32_t gray(uint32_t level)
{
    return (level << 16) | (level << 8) | level;
}

bool isMarker(uint32_t value, uint32_t marker)
{
    return value == marker || value == marker + kSdkCodeOffset;
}

QColor toColor(uint32_t rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

ImageColorizer::ImageColorizer(QObject* parent) : QObject(parent), table_(kTableSize)
{
    for (int i = 0; i < kTableSize; ++i)
        table_[i] = tableEntry(i);
    setRange(0, 0);
}

ImageColorizer::~ImageColorizer()
{
    qDebug() << "***ImageColorizer destroyed";
}

void ImageColorizer::setRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
    const int64_t span = std::max<int64_t>(int64_t(upper) - int64_t(lower), 1);
    colourScale_ = kTableScale / double(span);
    grayScale_ = kGrayLevels / double(span);
}

QColor ImageColorizer::tableColor(int index) const
{
    return toColor(tableRgb(index));
}

uint32_t ImageColorizer::tableRgb(int index) const
{
    return table_[std::clamp(index, 0, kTableSize - 1)];
}

QColor ImageColorizer::colorOf(uint32_t value, int mode) const
{
    return toColor(rgbOf(value, mode));
}

uint32_t ImageColorizer::rgbOf(uint32_t value, int mode) const
{
    return mode == kModeGray ? grayScaleRgb(value) : colorScaleRgb(value);
}

uint32_t ImageColorizer::colorScaleRgb(uint32_t value) const
{
    if (isMarker(value, kMarkerNoSignal) || isMarker(value, kMarkerFlying1) ||
        isMarker(value, kMarkerFlying2))
        return kBlack;
    if (isMarker(value, kMarkerSaturated))
        return kSaturatedColor;
    if (isMarker(value, kMarkerAmbient))
        return kAmbientColor;
    if (value == 0)
        return kBlack;

    const int64_t d = int64_t(value) - lower_;
    if (d < 0)
        return kBlack;
    // Compared with the width of the range so that everything above the upper
    // bound is white, whatever the lower bound.
    if (d > int64_t(upper_) - lower_)
        return kWhite;
    const int index = static_cast<int>(kTableScale - double(d) * colourScale_);
    if (index < 1)
        return table_[0];
    if (index >= kTableSize)
        return table_[kTableSize - 1];
    return table_[index];
}

uint32_t ImageColorizer::grayScaleRgb(uint32_t value) const
{
    if (isMarker(value, kMarkerSaturated))
        return kSaturatedColor;
    if (isMarker(value, kMarkerAmbient))
        return kAmbientColor;
    if (int64_t(value) > upper_)
        return kWhite;
    if (int64_t(value) < lower_)
        return kBlack;
    // Measured from the lower bound so that the level stays within 0..255.
    const double level = double(int64_t(value) - lower_) * grayScale_;
    return gray(static_cast<uint32_t>(std::clamp(static_cast<int>(level), 0, 255)));
}

const uint32_t* ImageColorizer::lookup16(int mode)
{
    Lookup& lookup = mode == kModeGray ? grayLookup_ : colorLookup_;
    if (!lookup.valid || lookup.lower != lower_ || lookup.upper != upper_) {
        lookup.rgb.resize(kLookupSize);
        for (uint32_t v = 0; v < kLookupSize; ++v)
            lookup.rgb[v] = rgbOf(v, mode);
        lookup.lower = lower_;
        lookup.upper = upper_;
        lookup.valid = true;
    }
    return lookup.rgb.data();
}
