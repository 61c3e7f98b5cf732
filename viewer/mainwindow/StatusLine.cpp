#include "StatusLine.h"

#include "FramePathConstants.h"

namespace vantory::statusline {

namespace {

constexpr double kHundredths = 100.0;
constexpr int kRightAngle = 90;

QString timePrefix(std::uint8_t timeType) {
    switch (timeType) {
    case framepath::kTimeGps: return QStringLiteral("gps:");
    case framepath::kTimePtp: return QStringLiteral("ptp:");
    case framepath::kTimeGptp: return QStringLiteral("gptp:");
    default: return QStringLiteral("tick:");
    }
}

bool isKnownNonTick(std::uint8_t timeType) {
    return timeType == framepath::kTimeGps || timeType == framepath::kTimePtp || timeType == framepath::kTimeGptp;
}

QString suffix(const AmplitudeInput& in) {
    if (in.phaseAngle > 0) {
        return QStringLiteral("  p: ") + QStringLiteral("%1 °").arg(in.phaseAngle) + QStringLiteral(" ") +
               QStringLiteral("%1 °").arg(in.phaseAngle % kRightAngle);
    }
    if (in.factoryTest && in.dust >= 0) return QStringLiteral("  dust: ") + QStringLiteral("%1 %").arg(in.dust);
    return QStringLiteral(" ");
}

}  // namespace

QString fpsText(std::uint32_t frameRate, std::uint8_t timeType, bool syncLocked, const QString& timeText,
                const QString& ptpDateText) {
    QString text = QString::number(frameRate) + QStringLiteral(" ") + timePrefix(timeType) +
                   (timeType == framepath::kTimePtp ? ptpDateText : timeText);
    if (isKnownNonTick(timeType) && !syncLocked) text += QStringLiteral(" lost");
    return text;
}

QString distanceText(std::int32_t distanceMm) { return QStringLiteral("%1 mm").arg(distanceMm); }

QString temperatureText(std::int32_t sensorX100, std::int32_t secondX100) {
    return QStringLiteral("%1 ℃").arg(sensorX100 / kHundredths) + QStringLiteral("   %1 ℃").arg(secondX100 / kHundredths);
}

QString amplitudeText(const AmplitudeInput& in) {
    const bool amplitude = (in.flags & framepath::kFlagAmplitude) != 0;
    const bool grayscale = (in.flags & framepath::kFlagGrayscale) != 0;
    if (amplitude && grayscale) return QStringLiteral("%1 lsb  %2lsb").arg(in.amplitude).arg(in.grayscale) + suffix(in);
    if (amplitude && in.renderReflectivity) {
        return QStringLiteral("%1 lsb  %2%").arg(in.amplitude).arg(static_cast<double>(in.reflectivity)) + suffix(in);
    }
    if (amplitude) return QStringLiteral("%1 lsb").arg(in.amplitude) + suffix(in);
    if (grayscale) return QStringLiteral("%1 lsb").arg(in.grayscale);
    return QString();
}

}  // namespace vantory::statusline
