#include "FilterValues.h"

#include "SettingsKeys.h"

namespace vantory {

bool FilterValues::operator==(const FilterValues& o) const {
    return medianSize == o.medianSize && kalmanEnable == o.kalmanEnable &&
           kalmanFactor == o.kalmanFactor && kalmanThreshold == o.kalmanThreshold &&
           edgeEnable == o.edgeEnable && edgeThreshold == o.edgeThreshold &&
           dustEnable == o.dustEnable && dustThreshold == o.dustThreshold &&
           dustFrames == o.dustFrames && postprocessThreshold == o.postprocessThreshold &&
           dynamicsEnabled == o.dynamicsEnabled && dynamicsWinsize == o.dynamicsWinsize &&
           dynamicsMotionsize == o.dynamicsMotionsize && reflectiveEnable == o.reflectiveEnable &&
           refThMin == o.refThMin && refThMax == o.refThMax && spatialEnable == o.spatialEnable &&
           spatialAlpha == o.spatialAlpha && spatialDelta == o.spatialDelta &&
           spatialIterations == o.spatialIterations && averageEnable == o.averageEnable &&
           averageSize == o.averageSize;
}

namespace settings {
namespace {

template <typename T>
std::optional<T> when(bool accepted, T value) {
    return accepted ? std::optional<T>(value) : std::nullopt;
}

class PrefixedReader {
public:
    PrefixedReader(const QSettings& file, const QString& prefix) : file_(file), prefix_(prefix) {}
    int integer(const char* name) const { return value(name).toInt(); }
    double real(const char* name) const { return value(name).toDouble(); }
    bool flag(const char* name) const { return integer(name) > 0; }

private:
    QVariant value(const char* name) const {
        return file_.value(prefix_ + QString::fromLatin1(name), 0);
    }
    const QSettings& file_;
    const QString& prefix_;
};

template <typename T>
void put(QSettings& file, const char* name, const std::optional<T>& value) {
    if (value) file.setValue(QString::fromLatin1(name), *value);
}

void put(QSettings& file, const char* name, const std::optional<bool>& value) {
    if (value) file.setValue(QString::fromLatin1(name), *value ? 1 : 0);
}

}  // namespace

FilterValues readFilterValues(const QSettings& file, const QString& prefix) {
    const PrefixedReader in(file, prefix);
    FilterValues f;
    f.medianSize = in.integer(kMedianSize);
    f.kalmanEnable = in.flag(kKalmanEnable);
    const double kalmanFactor = in.real(kKalmanFactor);
    f.kalmanFactor = when(kalmanFactor >= 0.1 && kalmanFactor < 1.0, kalmanFactor);
    const int kalmanThreshold = in.integer(kKalmanThreshold);
    f.kalmanThreshold = when(kalmanThreshold <= 999, kalmanThreshold);
    f.edgeEnable = in.flag(kEdgeEnable);
    const int edgeThreshold = in.integer(kEdgeThreshold);
    f.edgeThreshold = when(edgeThreshold <= 999, edgeThreshold);
    f.dustEnable = in.flag(kDustEnable);
    const int dustThreshold = in.integer(kDustThreshold);
    f.dustThreshold = when(dustThreshold <= 9999, dustThreshold);
    const int dustFrames = in.integer(kDustFrames);
    f.dustFrames = when(dustFrames <= 9, dustFrames);
    const double postprocess = in.real(kPostprocessThreshold);
    f.postprocessThreshold = when(postprocess >= 0.0 && postprocess <= 20.0, postprocess);
    f.dynamicsEnabled = in.flag(kDynamicsEnabled);
    const int winsize = in.integer(kDynamicsWinsize);
    f.dynamicsWinsize = when(winsize > 0, winsize);
    const int motionsize = in.integer(kDynamicsMotionsize);
    f.dynamicsMotionsize = when(motionsize > 0, motionsize);
    f.reflectiveEnable = in.flag(kReflectiveEnable);
    const double refMin = in.real(kRefThMin);
    f.refThMin = when(refMin >= 0.0 && refMin <= 50.0, refMin);
    const double refMax = in.real(kRefThMax);
    f.refThMax = when(refMax >= 0.0 && refMax <= 50.0, refMax);
    f.spatialEnable = in.flag(kSpatialEnable);
    const double alpha = in.real(kSpatialAlpha);
    f.spatialAlpha = when(alpha > 0.0, alpha);
    const int delta = in.integer(kSpatialDelta);
    f.spatialDelta = when(delta > 0, delta);
    const int iterations = in.integer(kSpatialIterations);
    f.spatialIterations = when(iterations > 0, iterations);
    f.averageEnable = in.flag(kAverageEnable);
    const int averageSize = in.integer(kAverageSize);
    f.averageSize = when(averageSize > 0, averageSize);
    return f;
}

void writeFilterValues(QSettings& file, const FilterValues& f, bool pclFilterOn) {
    put(file, kMedianSize, f.medianSize);
    put(file, kKalmanEnable, f.kalmanEnable);
    if (f.kalmanFactor) {
        // Two decimals would round a factor just below 1 up to "1.00", which the reader
        // refuses: such a factor is written as the largest one it accepts.
        const double factor =
            *f.kalmanFactor >= 0.995 && *f.kalmanFactor < 1.0 ? 0.99 : *f.kalmanFactor;
        file.setValue(QString::fromLatin1(kKalmanFactor), QString::number(factor, 'f', 2));
    }
    put(file, kKalmanThreshold, f.kalmanThreshold);
    put(file, kEdgeEnable, f.edgeEnable);
    put(file, kEdgeThreshold, f.edgeThreshold);
    put(file, kDustEnable, f.dustEnable);
    put(file, kDustThreshold, f.dustThreshold);
    put(file, kDustFrames, f.dustFrames);
    put(file, kPostprocessThreshold, f.postprocessThreshold);
    file.setValue(QString::fromLatin1(kPostprocessEnable), pclFilterOn ? 1 : 0);
    put(file, kDynamicsEnabled, f.dynamicsEnabled);
    put(file, kDynamicsWinsize, f.dynamicsWinsize);
    put(file, kDynamicsMotionsize, f.dynamicsMotionsize);
    put(file, kReflectiveEnable, f.reflectiveEnable);
    put(file, kRefThMin, f.refThMin);
    put(file, kRefThMax, f.refThMax);
    put(file, kSpatialEnable, f.spatialEnable);
    put(file, kSpatialAlpha, f.spatialAlpha);
    put(file, kSpatialDelta, f.spatialDelta);
    put(file, kSpatialIterations, f.spatialIterations);
    put(file, kAverageEnable, f.averageEnable);
    put(file, kAverageSize, f.averageSize);
}

}  // namespace settings
}  // namespace vantory
