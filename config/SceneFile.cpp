#include "SceneFile.h"

#include <algorithm>
#include <sstream>

#include "SettingsKeys.h"
#include "ValueRules.h"

namespace vantory::settings {
namespace {

constexpr int kSceneMaxFps = 30;
constexpr int kReportRuleWidth = 60;
constexpr const char* kStars = "***************";

int readInt(const QSettings& file, const QString& prefix, const char* name) {
    return file.value(prefix + QString::fromLatin1(name), 0).toInt();
}

template <typename T>
std::string shown(const std::optional<T>& value) {
    if (!value) return "(not applied)";
    std::ostringstream out;
    out << *value;
    return out.str();
}

std::string shown(const std::optional<bool>& value) {
    return value ? (*value ? "1" : "0") : "(not applied)";
}

void heading(std::ostringstream& out, const char* title) {
    out << kStars << ' ' << ' ' << title << kStars << '\n';
}

void rule(std::ostringstream& out) {
    out << std::string(kReportRuleWidth, '*') << '\n';
}

}  // namespace

QString sceneKeyPrefix(const std::string& model, int scene) {
    return QString::fromStdString(model) + QStringLiteral(".Scene") + QString::number(scene) +
           QLatin1Char('.');
}

bool hasScene(const QSettings& file, const std::string& model, int scene) {
    const QString prefix = sceneKeyPrefix(model, scene);
    const QStringList keys = file.allKeys();
    return std::any_of(keys.begin(), keys.end(),
                       [&prefix](const QString& k) { return k.startsWith(prefix); });
}

SceneSettings readSceneSettings(const QSettings& file, const std::string& model, int scene) {
    const QString prefix = sceneKeyPrefix(model, scene);
    SceneSettings s;
    s.imgType = readInt(file, prefix, kImgType);
    s.hdr = readInt(file, prefix, kHdr);
    for (std::size_t i = 0; i < s.intTimes.size(); ++i)
        s.intTimes[i] = readInt(file, prefix, kInt[i]);
    s.intGs = readInt(file, prefix, kIntGs);
    s.minLsb = readInt(file, prefix, kMinLsb);
    s.maxFps = std::min(readInt(file, prefix, kMaxFps), kSceneMaxFps);
    s.binX = readInt(file, prefix, kSceneBinX) != 0;
    s.binY = readInt(file, prefix, kSceneBinY) != 0;
    for (std::size_t i = 0; i < s.freqIndices.size(); ++i) {
        s.freqIndices[i] = freqIndexOfCode(readInt(file, prefix, kFreq[i]));
    }
    return s;
}

SceneFilters readSceneFilters(const QSettings& file, const std::string& model, int scene) {
    const QString prefix = sceneKeyPrefix(model, scene);
    SceneFilters s;
    const int coord = readInt(file, prefix, kCloudCoord);
    if (coord >= 0 && coord < 2) s.cloudCoord = coord;
    s.filters = readFilterValues(file, prefix);
    s.pclFilterOn = readInt(file, prefix, kPclFilterOnDefaults) > 0;
    s.cutCorner = readInt(file, prefix, kCutCorner);
    return s;
}

std::string sceneSettingsReport(const SceneSettings& s) {
    std::ostringstream out;
    heading(out, "Set Recommended Para");
    for (std::size_t i = 0; i < s.intTimes.size(); ++i) {
        out << "setInt" << i + 1 << ":  " << s.intTimes[i] << '\n';
    }
    out << "setIntgs:  " << s.intGs << '\n' << "setMinLsb:  " << s.minLsb << '\n';
    out << "maxfps:  " << s.maxFps << '\n';
    for (std::size_t i = 0; i < s.freqIndices.size(); ++i) {
        out << "freq" << i + 1 << ":  " << s.freqIndices[i] << '\n';
    }
    out << "binx:  " << s.binX << '\n' << "biny:  " << s.binY << '\n';
    rule(out);
    return out.str();
}

std::string sceneFiltersReport(const SceneFilters& s) {
    const FilterValues& f = s.filters;
    std::ostringstream out;
    heading(out, "Set Recommended Filters Para");
    const std::pair<const char*, std::string> lines[] = {
        {"mediansize", shown(f.medianSize)},
        {"kalmanenable", shown(f.kalmanEnable)},
        {"kalmanfactor", shown(f.kalmanFactor)},
        {"kalmanthreshold", shown(f.kalmanThreshold)},
        {"edgeenable", shown(f.edgeEnable)},
        {"edgethreshold", shown(f.edgeThreshold)},
        {"dustenable", shown(f.dustEnable)},
        {"dustthreshold", shown(f.dustThreshold)},
        {"postprocessEnable", s.pclFilterOn ? "1" : "0"},
        {"postprocessthreshold", shown(f.postprocessThreshold)},
        {"dynamicsEnabled", shown(f.dynamicsEnabled)},
        {"dynamicsWinsize", shown(f.dynamicsWinsize)},
        {"dynamicsMotionsize", shown(f.dynamicsMotionsize)},
        {"reflectiveEnable", shown(f.reflectiveEnable)},
        {"ref_th_min", shown(f.refThMin)},
        {"ref_th_max", shown(f.refThMax)},
        {"spatialEnable", shown(f.spatialEnable)},
        {"spatialAlpha", shown(f.spatialAlpha)},
        {"spatialDelta", shown(f.spatialDelta)},
        {"spatialIterations", shown(f.spatialIterations)},
        {"averageEnable", shown(f.averageEnable)},
        {"averageSize", shown(f.averageSize)},
    };
    for (const auto& [label, value] : lines) out << label << ":  " << value << '\n';
    rule(out);
    return out.str();
}

}  // namespace vantory::settings
