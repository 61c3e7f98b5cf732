// Scene files ("dev_scene.ini"): recommended camera and filter settings per camera model
// and scene. Keys are the settings keys behind "<model>.Scene<n>.", for example
// "K150PLUS.Scene1.Setting/int1".
#pragma once

#include <QSettings>
#include <QString>

#include <array>
#include <string>

#include "FilterValues.h"

namespace vantory {

constexpr int kSceneStill = 1;    // "Still"
constexpr int kSceneDynamic = 2;  // "Dynamic"
constexpr const char* kSceneFileName = "dev_scene.ini";

// The camera half of a scene.
struct SceneSettings {
    int imgType = 0;
    int hdr = 0;
    std::array<int, 5> intTimes{};
    int intGs = 0;
    int minLsb = 0;
    int maxFps = 0;  // at most 30
    bool binX = false, binY = false;
    std::array<int, 5> freqIndices{};  // box indices; settings::kNoSelection when unknown
};

// The filter half of a scene.
struct SceneFilters {
    std::optional<int> cloudCoord;  // empty when 2 or above
    FilterValues filters;
    bool pclFilterOn = false;
    int cutCorner = 0;
};

namespace settings {

// "<model>.Scene<scene>."
QString sceneKeyPrefix(const std::string& model, int scene);
// Whether the file holds any key of this model's scene.
bool hasScene(const QSettings& file, const std::string& model, int scene);
// Missing keys read as 0, as from any INI file.
SceneSettings readSceneSettings(const QSettings& file, const std::string& model, int scene);
SceneFilters readSceneFilters(const QSettings& file, const std::string& model, int scene);
// The blocks printed when a scene is loaded.
std::string sceneSettingsReport(const SceneSettings& scene);
std::string sceneFiltersReport(const SceneFilters& scene);

}  // namespace settings
}  // namespace vantory
