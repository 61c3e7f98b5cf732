// Scene files as the viewer reads them: every "<model>.Scene<n>." the file names is looked
// up and read, settings and filters, and both printed reports are made.
#include <QSettings>
#include <QStringList>
#include <set>
#include <string>
#include <utility>

#include "FuzzCheck.h"
#include "FuzzIniFile.h"
#include "SceneFile.h"
#include "ValueRules.h"

namespace {

// Scenes looked up per input, so that a file with thousands of keys stays quick.
constexpr size_t kMaxScenes = 4;

// The model and scene number a key names, when it has the "<model>.Scene<n>." form.
std::optional<std::pair<std::string, int>> sceneOfKey(const QString& key) {
    const int at = key.indexOf(QStringLiteral(".Scene"));
    if (at < 0) return std::nullopt;
    const int dot = key.indexOf(QLatin1Char('.'), at + 6);
    if (dot < 0) return std::nullopt;
    bool ok = false;
    const int scene = key.mid(at + 6, dot - at - 6).toInt(&ok);
    if (!ok) return std::nullopt;
    return std::make_pair(key.left(at).toStdString(), scene);
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzini::InputFile input(data, size, ".ini");
    const QSettings file(input.path(), QSettings::IniFormat);
    std::set<std::pair<std::string, int>> scenes{{"K150PLUS", vantory::kSceneStill},
                                                 {"K150PLUS", vantory::kSceneDynamic}};
    const QStringList keys = file.allKeys();
    for (const QString& key : keys) {
        if (scenes.size() >= kMaxScenes) break;
        if (const auto scene = sceneOfKey(key)) scenes.insert(*scene);
    }
    for (const auto& [model, number] : scenes) {
        const bool present = vantory::settings::hasScene(file, model, number);
        const vantory::SceneSettings s = vantory::settings::readSceneSettings(file, model, number);
        const vantory::SceneFilters f = vantory::settings::readSceneFilters(file, model, number);
        if (!present) {
            fuzzcheck::require(s.maxFps == 0 && s.imgType == 0, "a missing scene has values");
            continue;
        }
        fuzzcheck::require(s.maxFps <= 30, "scene frame rate above 30");
        for (int index : s.freqIndices)
            fuzzcheck::require(
                (index >= 0 && index < 6) || index == vantory::settings::kNoSelection,
                "frequency box index out of range");
        fuzzcheck::require(!f.cloudCoord || (*f.cloudCoord >= 0 && *f.cloudCoord < 2),
                           "cloud coordinate out of range");
        const std::string rule = std::string(60, '*') + '\n';
        fuzzcheck::require(endsWith(vantory::settings::sceneSettingsReport(s), rule) &&
                               endsWith(vantory::settings::sceneFiltersReport(f), rule),
                           "a report without its closing rule");
    }
    return 0;
}
