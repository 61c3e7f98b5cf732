#include "ReflectivityMeasure.h"

#include "FramePathConstants.h"

namespace vantory::framepath {

std::optional<double> reflectivityCoefficient(double a, double d, int t) {
    if (t <= 0) return std::nullopt;
    // A zero amplitude would divide by zero; it means no target in view, not a coefficient.
    if (!(a > 0.0 && a < kMaxReferenceAmplitude)) return std::nullopt;
    if (!(d > 0.0 && d < kInvalidDistance)) return std::nullopt;
    return kReferenceReflectivity / (a * kNormalIntegrationUs / t);
}

QString measurementLine(double a, double d) {
    return QString::asprintf("ampavg = %f %f", a, d);
}

QString coefficientLine(double coefficient) {
    return QString::asprintf("find reflectcoef:: %f", coefficient);
}

std::optional<QString> TempDistLog::next(int temperatureX100, bool windowFull, double distanceAverage,
                                         int firstIntTimeUs) {
    if (hasLast_ && temperatureX100 == lastTemperature_) return std::nullopt;
    if (!windowFull || firstIntTimeUs <= 0) return std::nullopt;
    hasLast_ = true;
    lastTemperature_ = temperatureX100;
    return QStringLiteral("TempDist: ") + QString::number(temperatureX100) + QStringLiteral("   ") +
           QString::number(distanceAverage) + QStringLiteral("\n");
}

}  // namespace vantory::framepath
