// The values of the settings files' group Filters, shared by the viewer's settings file,
// configuration files and scenes. On load a field is empty when the stored value fails
// its check, which leaves the control it feeds as it was.
#pragma once

#include <QSettings>
#include <QString>

#include <optional>

namespace vantory {

struct FilterValues {
    std::optional<int> medianSize;  // 0 off, 3 or 5
    std::optional<bool> kalmanEnable;
    std::optional<double> kalmanFactor;
    std::optional<int> kalmanThreshold;
    std::optional<bool> edgeEnable;
    std::optional<int> edgeThreshold;
    std::optional<bool> dustEnable;
    std::optional<int> dustThreshold;
    std::optional<int> dustFrames;
    std::optional<double> postprocessThreshold;
    std::optional<bool> dynamicsEnabled;
    std::optional<int> dynamicsWinsize;
    std::optional<int> dynamicsMotionsize;
    std::optional<bool> reflectiveEnable;
    std::optional<double> refThMin;
    std::optional<double> refThMax;
    std::optional<bool> spatialEnable;
    std::optional<double> spatialAlpha;
    std::optional<int> spatialDelta;
    std::optional<int> spatialIterations;
    std::optional<bool> averageEnable;
    std::optional<int> averageSize;
    bool operator==(const FilterValues& other) const;
};

namespace settings {

// Reads group Filters with every key's load rule. `prefix` goes before each key
// ("K150PLUS.Scene1." in the scene file, empty elsewhere).
FilterValues readFilterValues(const QSettings& file, const QString& prefix = QString());
// Writes group Filters in its usual order; `postprocessEnable` carries the point-cloud
// filter switch. The Kalman factor is written as text with 2 decimals ("0.30").
void writeFilterValues(QSettings& file, const FilterValues& values, bool pclFilterOn);

}  // namespace settings
}  // namespace vantory
