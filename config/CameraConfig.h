// Configuration files (".mvcfg"): a camera and filter configuration that moves between
// machines and cameras. INI through QSettings, groups Setting and Filters.
#pragma once

#include <QString>

#include <array>
#include <optional>

#include "FilterValues.h"

namespace vantory {

struct CameraConfig {
    int imgType = 0;
    int deviceType = 0;  // model code of the camera the file was made on
    int hdr = 0;
    std::array<int, 5> intTimes{};
    int intGs = 0;
    int minLsb = 0;
    bool hMirror = false, vMirror = false;
    int maxFps = 10;
    int cutCorner = 0;
    std::array<int, 5> freqIndices{};  // box indices; settings::kNoSelection when unknown
    std::optional<int> renderType;     // empty when 3 or above
    bool pclFilterOn = false;
    std::optional<bool> hBinning, vBinning;  // empty when the file has none
    FilterValues filters;
    bool operator==(const CameraConfig& other) const;
};

namespace settings {

// Writes every key; false with `error` set when the file could not be written.
bool writeCameraConfig(const QString& path, const CameraConfig& config, QString* error = nullptr);
// Empty unless `path` is a regular file holding Setting/imgType. Values come with the
// settings file's load rules (frame-rate clamp, frequency codes to box indices, ...).
std::optional<CameraConfig> readCameraConfig(const QString& path);

}  // namespace settings
}  // namespace vantory
