#include "PixelInfoText.h"

#include <cmath>

#include "SampleWindow.h"

namespace vantory::pixelinfo {

namespace {

const QString kNotAvailable = QStringLiteral("N/A");
const QString kNoStats = QStringLiteral("-");
const QString kCentimetres = QStringLiteral("cm");
const QString kLsb = QStringLiteral("lsb");
constexpr double kMmPerCm = 10.0;

QString oneDecimal(double value, const QString& unit)
{
    return QString::number(value, 'f', 1) + unit;
}

bool nearZero(double v)
{
    return std::fabs(v) < kStatsEpsilon;
}

// The four statistics of one column, "-" when they are all zero.
void addStatistics(LabelTexts& out, const SampleWindow& window, const QString& side,
                   const QString& unit)
{
    const double avg = window.average();
    const double dev = window.standardDeviation();
    const double max = window.maximum();
    const double min = window.minimum();
    const bool empty = nearZero(avg) && nearZero(dev) && nearZero(max) && nearZero(min);
    out.append({"labelVariation" + side, empty ? kNoStats : oneDecimal(dev, unit)});
    out.append({"labelAverage" + side, empty ? kNoStats : oneDecimal(avg, unit)});
    out.append({"labelMaximum" + side, empty ? kNoStats : oneDecimal(max, unit)});
    out.append({"labelMinimum" + side, empty ? kNoStats : oneDecimal(min, unit)});
}

}  // namespace

LabelTexts update(int mode, const PixelSample& sample, SampleWindow& distanceWindow,
                  SampleWindow& secondWindow)
{
    LabelTexts out;
    out.append({QStringLiteral("label_level"),
                sample.confidence < 0 ? QString()
                                      : QStringLiteral("Level: ") + QString::number(sample.confidence + 1)});

    if (mode == kModeDistance || mode == kModeDistanceAmplitude) {
        if (sample.distanceMm >= kInvalidDistance) {
            out.append({QStringLiteral("labelCurrentLeft"), kNotAvailable});
            return out;
        }
        const double cm = sample.distanceMm / kMmPerCm;
        distanceWindow.add(cm);
        out.append({QStringLiteral("labelCurrentLeft"), oneDecimal(cm, kCentimetres)});
        out.append({QStringLiteral("labelCurrentRight"), QStringLiteral("0")});
        addStatistics(out, distanceWindow, QStringLiteral("Left"), kCentimetres);
        out.append({QStringLiteral("labelMeasCount"), QString::number(distanceWindow.count())});
    }

    if (mode == kModeDistanceAmplitude || mode == kModeGrayscale) {
        if (sample.secondValue >= kInvalidSecondValue) {
            for (const char* name : {"labelCurrentRight", "labelVariationRight", "labelAverageRight",
                                     "labelMaximumRight", "labelMinimumRight"})
                out.append({QString::fromLatin1(name), kNotAvailable});
        } else {
            secondWindow.add(double(sample.secondValue));
            out.append({QStringLiteral("labelCurrentRight"), QString::number(sample.secondValue) + kLsb});
            addStatistics(out, secondWindow, QStringLiteral("Right"), kLsb);
            out.append({QStringLiteral("labelMeasCount"), QString::number(secondWindow.count())});
        }
    }
    return out;
}

LabelTexts reset()
{
    LabelTexts out;
    for (const char* name :
         {"labelCurrentLeft", "labelCurrentRight", "labelAverageLeft", "labelAverageRight",
          "labelVariationLeft", "labelVariationRight", "labelMaximumLeft", "labelMaximumRight",
          "labelMinimumLeft", "labelMinimumRight", "labelMeasCount"})
        out.append({QString::fromLatin1(name), kNotAvailable});
    return out;
}

}  // namespace vantory::pixelinfo
