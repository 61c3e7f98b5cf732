#include "MeasureTexts.h"

#include <cmath>

namespace vantory::measure {

namespace {

constexpr int kDecimals = 2;

QString number(double value, int decimals = kDecimals) {
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : QString();
}

QString count(std::uint64_t value) {
    return QString::number(value);
}

}  // namespace

std::vector<std::pair<QString, QString>> linkHealthRows(const analysis::LinkHealthFigures& f) {
    return {
        {QStringLiteral("Frames per second"), number(f.fps, 1)},
        {QStringLiteral("Datagrams lost"),
         QStringLiteral("%1 (%2 %)").arg(count(f.datagramsLost), number(100.0 * f.lossShare))},
        {QStringLiteral("Frames broken"), count(f.framesBroken)},
        {QStringLiteral("Frames evicted"), count(f.framesEvicted)},
        {QStringLiteral("Late datagrams"), count(f.framesLate)},
        {QStringLiteral("Queue drops"), count(f.queueDrops)},
        {QStringLiteral("Latency median (ms)"), number(f.latencyMedianMs)},
        {QStringLiteral("Latency p99 (ms)"), number(f.latencyP99Ms)},
    };
}

QStringList roiColumns() {
    return {QStringLiteral("valid %"),       QStringLiteral("mean"), QStringLiteral("median"),
            QStringLiteral("std"),           QStringLiteral("min"),  QStringLiteral("max"),
            QStringLiteral("temporal noise")};
}

QStringList roiCells(const PlaneFigures& plane) {
    if (!plane.present) return QStringList(roiColumns().size(), QString());
    const analysis::PlaneStats& s = plane.stats;
    const bool any = s.valid > 0;
    return {number(100.0 * s.validShare),       any ? number(s.mean) : QString(),
            any ? number(s.median) : QString(), any ? number(s.stddev) : QString(),
            any ? number(s.min) : QString(),    any ? number(s.max) : QString(),
            number(plane.temporalNoise)};
}

QString roiCsv(const RoiStatistics& st) {
    QStringList header{QStringLiteral("plane")};
    header << roiColumns();
    QString csv = QStringLiteral("# roi x=%1 y=%2 w=%3 h=%4, temporal noise over %5 frames\n")
                      .arg(st.roi.x)
                      .arg(st.roi.y)
                      .arg(st.roi.width)
                      .arg(st.roi.height)
                      .arg(st.noiseFrames);
    csv += header.join(QLatin1Char(',')) + QLatin1Char('\n');
    const std::pair<const char*, const PlaneFigures*> rows[] = {{"distance_mm", &st.distance},
                                                                {"amplitude", &st.amplitude},
                                                                {"reflectivity", &st.reflectivity}};
    for (const auto& [name, plane] : rows) {
        if (!plane->present) continue;
        csv += QLatin1String(name) + QLatin1Char(',') + roiCells(*plane).join(QLatin1Char(',')) +
               QLatin1Char('\n');
    }
    return csv;
}

}  // namespace vantory::measure
