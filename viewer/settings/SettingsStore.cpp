#include "SettingsStore.h"

#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "SettingsKeys.h"

namespace vantory {
namespace {

using namespace settings;

QString key(const char* name) {
    return QString::fromLatin1(name);
}

int readInt(const QSettings& file, const char* name, int fallback = 0) {
    return file.value(key(name), fallback).toInt();
}

double readReal(const QSettings& file, const char* name, double fallback = 0.0) {
    return file.value(key(name), fallback).toDouble();
}

template <typename T>
std::optional<T> when(bool accepted, T value) {
    return accepted ? std::optional<T>(value) : std::nullopt;
}

// Defaults of group Filters, in the order of the first-run block.
struct FilterDefault {
    const char* name;
    double value;
};
constexpr FilterDefault kFilterDefaults[] = {
    {kMedianSize, 3},        {kKalmanEnable, 1},
    {kKalmanFactor, 0.3},    {kKalmanThreshold, 300},
    {kEdgeEnable, 1},        {kEdgeThreshold, 200},
    {kDustEnable, 1},        {kDustThreshold, 2000},
    {kDustFrames, 2},        {kPostprocessThreshold, 5.0},
    {kPostprocessEnable, 1}, {kDynamicsEnabled, 1},
    {kDynamicsWinsize, 9},   {kDynamicsMotionsize, 5},
    {kReflectiveEnable, 1},  {kRefThMin, 0.5},
    {kRefThMax, 2.0},        {kSpatialEnable, 0},
    {kSpatialAlpha, 0.7},    {kSpatialDelta, 70},
    {kSpatialIterations, 2}, {kAverageEnable, 0},
    {kAverageSize, 4},
};

FilterValues readFilters(const QSettings& file) {
    FilterValues f;
    f.medianSize = readInt(file, kMedianSize);
    f.kalmanEnable = readInt(file, kKalmanEnable) > 0;
    const double kalmanFactor = readReal(file, kKalmanFactor);
    f.kalmanFactor = when(kalmanFactor >= 0.1 && kalmanFactor < 1.0, kalmanFactor);
    const int kalmanThreshold = readInt(file, kKalmanThreshold);
    f.kalmanThreshold = when(kalmanThreshold <= 999, kalmanThreshold);
    f.edgeEnable = readInt(file, kEdgeEnable) > 0;
    const int edgeThreshold = readInt(file, kEdgeThreshold);
    f.edgeThreshold = when(edgeThreshold <= 999, edgeThreshold);
    f.dustEnable = readInt(file, kDustEnable) > 0;
    const int dustThreshold = readInt(file, kDustThreshold);
    f.dustThreshold = when(dustThreshold <= 9999, dustThreshold);
    const int dustFrames = readInt(file, kDustFrames);
    f.dustFrames = when(dustFrames <= 9, dustFrames);
    const double postprocess = readReal(file, kPostprocessThreshold);
    f.postprocessThreshold = when(postprocess >= 0.0 && postprocess <= 20.0, postprocess);
    f.dynamicsEnabled = readInt(file, kDynamicsEnabled) > 0;
    const int winsize = readInt(file, kDynamicsWinsize);
    f.dynamicsWinsize = when(winsize > 0, winsize);
    const int motionsize = readInt(file, kDynamicsMotionsize);
    f.dynamicsMotionsize = when(motionsize > 0, motionsize);
    f.reflectiveEnable = readInt(file, kReflectiveEnable) > 0;
    const double refMin = readReal(file, kRefThMin);
    f.refThMin = when(refMin >= 0.0 && refMin <= 50.0, refMin);
    const double refMax = readReal(file, kRefThMax);
    f.refThMax = when(refMax >= 0.0 && refMax <= 50.0, refMax);
    f.spatialEnable = readInt(file, kSpatialEnable) > 0;
    const double alpha = readReal(file, kSpatialAlpha);
    f.spatialAlpha = when(alpha > 0.0, alpha);
    const int delta = readInt(file, kSpatialDelta);
    f.spatialDelta = when(delta > 0, delta);
    const int iterations = readInt(file, kSpatialIterations);
    f.spatialIterations = when(iterations > 0, iterations);
    f.averageEnable = readInt(file, kAverageEnable) > 0;
    const int averageSize = readInt(file, kAverageSize);
    f.averageSize = when(averageSize > 0, averageSize);
    return f;
}

template <typename T>
void put(QSettings& file, const char* name, const std::optional<T>& value) {
    if (value) file.setValue(key(name), *value);
}

void put(QSettings& file, const char* name, const std::optional<bool>& value) {
    if (value) file.setValue(key(name), *value ? 1 : 0);
}

void writeFilters(QSettings& file, const FilterValues& f, bool pclFilterOn) {
    put(file, kMedianSize, f.medianSize);
    put(file, kKalmanEnable, f.kalmanEnable);
    put(file, kKalmanFactor, f.kalmanFactor);
    put(file, kKalmanThreshold, f.kalmanThreshold);
    put(file, kEdgeEnable, f.edgeEnable);
    put(file, kEdgeThreshold, f.edgeThreshold);
    put(file, kDustEnable, f.dustEnable);
    put(file, kDustThreshold, f.dustThreshold);
    put(file, kDustFrames, f.dustFrames);
    put(file, kPostprocessThreshold, f.postprocessThreshold);
    file.setValue(key(kPostprocessEnable), pclFilterOn ? 1 : 0);
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

WindowGeometry readGeometry(const QSettings& file, const char* const (&keys)[4]) {
    return {readInt(file, keys[0]), readInt(file, keys[1]), readInt(file, keys[2]),
            readInt(file, keys[3])};
}

void writeGeometry(QSettings& file, const char* const (&keys)[4], const WindowGeometry& g) {
    file.setValue(key(keys[0]), g.x);
    file.setValue(key(keys[1]), g.y);
    file.setValue(key(keys[2]), g.width);
    file.setValue(key(keys[3]), g.height);
}

// Line number of the last "name=" line of the file (-1 when there is none): of two
// spellings of one key, the one further down was written last.
int lastLineOf(const QString& path, const QString& name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return -1;
    QTextStream in(&file);
    int line = 0, last = -1;
    const QString prefix = name + QLatin1Char('=');
    while (!in.atEnd()) {
        if (in.readLine().trimmed().startsWith(prefix)) last = line;
        ++line;
    }
    return last;
}

QString statusText(QSettings::Status status) {
    return status == QSettings::AccessError ? QStringLiteral("the file could not be written")
                                            : QStringLiteral("the file is not a valid INI file");
}

}  // namespace

SettingsStore::SettingsStore(const QString& fileName) : fileName_(fileName) {}

int SettingsStore::uiLanguage() const {
    QSettings file(fileName_, QSettings::IniFormat);
    return readInt(file, kUiLanguage);
}

ConnectionSettings SettingsStore::connection() const {
    QSettings file(fileName_, QSettings::IniFormat);
    ConnectionSettings result;
    const bool firstRun = !file.contains(key(kIpAddress));
    const int typeDefault = firstRun ? kDefaultImgType : 0;
    result.useUsb = readInt(file, kIfSelUsb, kDefaultIfSelUsb) == 1;
    result.ipAddress = file.value(key(kIpAddress), key(kDefaultIpAddress)).toString();
    result.imageTypeIndex = readInt(file, kImgType, typeDefault);
    return result;
}

CommonTables SettingsStore::commonTables() const {
    QSettings file(key(kCommonFile), QSettings::IniFormat);
    CommonTables tables;
    tables.reflectivityRenderMax.fill(kDefaultReflectivityRenderMax);
    for (const models::ModelEntry& model : models::modelTable()) {
        tables.reflectivityCoef[static_cast<std::size_t>(model.code)] =
            file.value(key(kReflectivityCoefGroup) + key(model.name), 0.0).toFloat();
    }
    for (const models::ModelEntry& model : models::modelTable()) {
        const int value = file.value(key(kReflectivityRenderMaxGroup) + key(model.name), 0).toInt();
        if (value > 0) {
            tables.reflectivityRenderMax[static_cast<std::size_t>(model.code)] =
                static_cast<std::uint16_t>(std::min(value, 0xFFFF));
        }
    }
    return tables;
}

bool SettingsStore::saveReflectivityRenderMax(const QString& modelName, int value) const {
    QSettings file(key(kCommonFile), QSettings::IniFormat);
    file.setValue(key(kReflectivityRenderMaxGroup) + modelName, value);
    file.sync();
    return file.status() == QSettings::NoError;
}

void SettingsStore::writeFirstRunDefaults(QSettings& file) const {
    const std::pair<const char*, QVariant> settingDefaults[] = {
        {kUiLanguage, 0},
        {kIfSelUsb, kDefaultIfSelUsb},
        {kIpAddress, key(kDefaultIpAddress)},
        {kImgType, kDefaultImgType},
        {kHdr, 0},
        {kInt[0], 100},
        {kInt[1], 500},
        {kInt[2], 1500},
        {kIntGs, 2000},
        {kMinLsb, 0},
        {kMinDist, 0},
        {kMaxDist, 1250},
        {kModFreq, 0},
        {kPclFilterOn, 1},
        {kHMirror, 0},
        {kVMirror, 0},
        {kMaxFps, 10},
        {kRenderType, 0},
        {kCloudCoord, 0},
    };
    for (const auto& [name, value] : settingDefaults) file.setValue(key(name), value);
    for (const FilterDefault& entry : kFilterDefaults) {
        const bool whole = entry.value == static_cast<int>(entry.value);
        file.setValue(key(entry.name),
                      whole ? QVariant(static_cast<int>(entry.value)) : QVariant(entry.value));
    }
    file.sync();
    if (file.status() != QSettings::NoError) {
        std::cout << "settings: first-run defaults not written to " << fileName_.toStdString()
                  << ": " << statusText(file.status()).toStdString() << std::endl;
    }
}

bool SettingsStore::readPclFilterOn(const QSettings& file) const {
    const bool saved = file.contains(key(kPclFilterOn));
    const bool defaults = file.contains(key(kPclFilterOnDefaults));
    const char* chosen = saved ? kPclFilterOn : kPclFilterOnDefaults;
    if (saved && defaults) {
        const QString savedName = key(kPclFilterOn).section(QLatin1Char('/'), 1);
        const QString defaultsName = key(kPclFilterOnDefaults).section(QLatin1Char('/'), 1);
        if (lastLineOf(fileName_, defaultsName) > lastLineOf(fileName_, savedName))
            chosen = kPclFilterOnDefaults;
    }
    return readInt(file, chosen) > 0;
}

ViewerSettings SettingsStore::load() const {
    QSettings file(fileName_, QSettings::IniFormat);
    if (!file.contains(key(kIpAddress))) writeFirstRunDefaults(file);

    ViewerSettings v;
    v.useUsb = readInt(file, kIfSelUsb) == 1;
    v.ipAddress = file.value(key(kIpAddress)).toString();
    v.imgType = readInt(file, kImgType);
    v.series.hdr = readInt(file, kHdr);
    for (std::size_t i = 0; i < v.series.intTimes.size(); ++i)
        v.series.intTimes[i] = readInt(file, kInt[i]);
    for (std::size_t i = 0; i < v.freqIndices.size(); ++i) {
        v.freqIndices[i] = freqIndexOfCode(readInt(file, kFreq[i]));
    }
    v.intGs = readInt(file, kIntGs);
    v.minLsb = readInt(file, kMinLsb);
    v.minDist = readInt(file, kMinDist);
    v.maxDist = readInt(file, kMaxDist);
    v.pclFilterOn = readPclFilterOn(file);
    v.modFreq = loadedModFreq(readInt(file, kModFreq));
    v.hMirror = readInt(file, kHMirror) >= 1;
    v.vMirror = readInt(file, kVMirror) >= 1;
    v.maxFps = loadedMaxFps(readInt(file, kMaxFps));
    v.cutCorner = readInt(file, kCutCorner);
    v.mainWindow = readGeometry(file, kMainWindowGeometry);
    v.cloudWindow = readGeometry(file, kCloudWindowGeometry);
    v.cloudShowGrid = file.value(key(kCloudShowGrid), true).toBool();
    v.cloudGridHeight = readReal(file, kCloudGridHeight, 1.0);
    const int renderType = readInt(file, kRenderType);
    v.renderType = when(renderType < 3, renderType);
    const int cloudCoord = readInt(file, kCloudCoord);
    v.cloudCoord = when(cloudCoord < 2, cloudCoord);
    v.filters = readFilters(file);
    return v;
}

SeriesValues SettingsStore::loadSeries(bool k150Series) const {
    QSettings file(fileName_, QSettings::IniFormat);
    const char* hdrKey = k150Series ? kHdrK150 : kHdr;
    const char* const* intKeys = k150Series ? kIntK150 : kInt;
    if (!file.contains(key(hdrKey))) {
        const std::array<int, 3> times =
            k150Series ? std::array<int, 3>{25, 400, 2000} : std::array<int, 3>{150, 2000, 0};
        file.setValue(key(hdrKey), 1);
        file.setValue(key(intKeys[0]), times[0]);
        file.setValue(key(intKeys[1]), times[1]);
        if (k150Series) file.setValue(key(intKeys[2]), times[2]);
        file.sync();
    }
    SeriesValues values;
    values.hdr = readInt(file, hdrKey);
    for (std::size_t i = 0; i < values.intTimes.size(); ++i)
        values.intTimes[i] = readInt(file, intKeys[i]);
    return values;
}

bool SettingsStore::save(const ViewerSettings& v, bool k150Series, QString* error) const {
    // The new file is built beside the old one and then renamed over it, so a failed
    // write (full disk, no permission) never leaves a half-written file behind.
    const QString staging = fileName_ + QStringLiteral(".saving");
    QFile::remove(staging);
    const auto fail = [&](const QString& reason) {
        QFile::remove(staging);
        std::cout << "settings: not saved to " << fileName_.toStdString() << ": "
                  << reason.toStdString() << "; the previous file is kept" << std::endl;
        if (error) *error = reason;
        return false;
    };
    if (QFile::exists(fileName_) && !QFile::copy(fileName_, staging)) {
        return fail(QStringLiteral("cannot copy the file to ") + staging);
    }
    {
        QSettings file(staging, QSettings::IniFormat);
        file.setValue(key(kIfSelUsb), v.useUsb ? 1 : 0);
        file.setValue(key(kIpAddress), v.ipAddress);
        file.setValue(key(kImgType), v.imgType);
        file.setValue(key(k150Series ? kHdrK150 : kHdr), v.series.hdr);
        const char* const* intKeys = k150Series ? kIntK150 : kInt;
        for (std::size_t i = 0; i < v.series.intTimes.size(); ++i) {
            file.setValue(key(intKeys[i]), v.series.intTimes[i]);
        }
        for (std::size_t i = 0; i < v.freqIndices.size(); ++i) {
            file.setValue(key(kFreq[i]), freqCodeOfIndex(v.freqIndices[i]));
        }
        file.setValue(key(kIntGs), v.intGs);
        file.setValue(key(kMinLsb), v.minLsb);
        file.setValue(key(kMinDist), v.minDist);
        file.setValue(key(kMaxDist), v.maxDist);
        file.setValue(key(kHMirror), v.hMirror ? 1 : 0);
        file.setValue(key(kVMirror), v.vMirror ? 1 : 0);
        file.setValue(key(kMaxFps), v.maxFps);
        if (v.renderType) file.setValue(key(kRenderType), *v.renderType);
        if (v.cloudCoord) file.setValue(key(kCloudCoord), *v.cloudCoord);
        if (v.modFreq) file.setValue(key(kModFreq), *v.modFreq);
        file.remove(key(kPclFilterOnDefaults));  // one spelling in the file from now on
        file.setValue(key(kPclFilterOn), v.pclFilterOn ? 1 : 0);
        file.setValue(key(kCutCorner), v.cutCorner);
        writeGeometry(file, kMainWindowGeometry, v.mainWindow);
        writeGeometry(file, kCloudWindowGeometry, v.cloudWindow);
        file.setValue(key(kCloudShowGrid), v.cloudShowGrid);
        file.setValue(key(kCloudGridHeight), v.cloudGridHeight);
        writeFilters(file, v.filters, v.pclFilterOn);
        file.sync();
        if (file.status() != QSettings::NoError) return fail(statusText(file.status()));
    }
    if (std::rename(QFile::encodeName(staging).constData(),
                    QFile::encodeName(fileName_).constData()) != 0) {
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    return true;
}

}  // namespace vantory
