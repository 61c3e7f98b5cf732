#include "CameraConfig.h"

#include <QFileInfo>
#include <QSettings>

#include "SettingsKeys.h"
#include "ValueRules.h"

namespace vantory {

bool CameraConfig::operator==(const CameraConfig& o) const {
    return imgType == o.imgType && deviceType == o.deviceType && hdr == o.hdr &&
           intTimes == o.intTimes && intGs == o.intGs && minLsb == o.minLsb &&
           hMirror == o.hMirror && vMirror == o.vMirror && maxFps == o.maxFps &&
           cutCorner == o.cutCorner && freqIndices == o.freqIndices && renderType == o.renderType &&
           pclFilterOn == o.pclFilterOn && hBinning == o.hBinning && vBinning == o.vBinning &&
           filters == o.filters;
}

namespace settings {
namespace {

QString key(const char* name) {
    return QString::fromLatin1(name);
}

int readInt(const QSettings& file, const char* name, int fallback = 0) {
    return file.value(key(name), fallback).toInt();
}

std::optional<bool> readSwitch(const QSettings& file, const char* name) {
    const int value = readInt(file, name, -1);
    return value >= 0 ? std::optional<bool>(value > 0) : std::nullopt;
}

}  // namespace

bool writeCameraConfig(const QString& path, const CameraConfig& c, QString* error) {
    QSettings file(path, QSettings::IniFormat);
    file.clear();
    file.setValue(key(kImgType), c.imgType);
    file.setValue(key(kDeviceType), c.deviceType);
    file.setValue(key(kHdr), c.hdr);
    for (std::size_t i = 0; i < c.intTimes.size(); ++i) file.setValue(key(kInt[i]), c.intTimes[i]);
    file.setValue(key(kIntGs), c.intGs);
    file.setValue(key(kMinLsb), c.minLsb);
    file.setValue(key(kHMirror), c.hMirror ? 1 : 0);
    file.setValue(key(kVMirror), c.vMirror ? 1 : 0);
    file.setValue(key(kMaxFps), c.maxFps);
    file.setValue(key(kCutCorner), c.cutCorner);
    for (std::size_t i = 0; i < c.freqIndices.size(); ++i) {
        file.setValue(key(kFreq[i]), freqCodeOfIndex(c.freqIndices[i]));
    }
    if (c.renderType) file.setValue(key(kRenderType), *c.renderType);
    file.setValue(key(kPclFilterOn), c.pclFilterOn ? 1 : 0);
    if (c.hBinning) file.setValue(key(kHBinning), *c.hBinning ? 1 : 0);
    if (c.vBinning) file.setValue(key(kVBinning), *c.vBinning ? 1 : 0);
    writeFilterValues(file, c.filters, c.pclFilterOn);
    file.sync();
    if (file.status() == QSettings::NoError) return true;
    if (error) *error = QStringLiteral("the configuration file could not be written: ") + path;
    return false;
}

std::optional<CameraConfig> readCameraConfig(const QString& path) {
    if (!QFileInfo(path).isFile()) return std::nullopt;
    const QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError || !file.contains(key(kImgType))) return std::nullopt;
    CameraConfig c;
    c.imgType = readInt(file, kImgType);
    c.deviceType = readInt(file, kDeviceType);
    c.hdr = readInt(file, kHdr);
    for (std::size_t i = 0; i < c.intTimes.size(); ++i) c.intTimes[i] = readInt(file, kInt[i]);
    c.intGs = readInt(file, kIntGs);
    c.minLsb = readInt(file, kMinLsb);
    c.hMirror = readInt(file, kHMirror) >= 1;
    c.vMirror = readInt(file, kVMirror) >= 1;
    c.maxFps = loadedMaxFps(readInt(file, kMaxFps));
    c.cutCorner = readInt(file, kCutCorner);
    for (std::size_t i = 0; i < c.freqIndices.size(); ++i) {
        c.freqIndices[i] = freqIndexOfCode(readInt(file, kFreq[i]));
    }
    const int renderType = readInt(file, kRenderType);
    if (renderType >= 0 && renderType < 3) c.renderType = renderType;
    const char* pclKey = file.contains(key(kPclFilterOn)) ? kPclFilterOn : kPclFilterOnDefaults;
    c.pclFilterOn = readInt(file, pclKey) > 0;
    c.hBinning = readSwitch(file, kHBinning);
    c.vBinning = readSwitch(file, kVBinning);
    c.filters = readFilterValues(file);
    return c;
}

}  // namespace settings
}  // namespace vantory
