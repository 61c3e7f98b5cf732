// Configuration files (.mvcfg) as the import reads them, then exported and imported again:
// what was accepted on import stays accepted after an export, and a second export and
// import change nothing.
#include <QFile>
#include <cmath>

#include "CameraConfig.h"
#include "FuzzCheck.h"
#include "FuzzIniFile.h"
#include "ValueRules.h"

namespace {

using vantory::CameraConfig;

// An empty field leaves its control as it was, so an export (made from the controls)
// holds some value there: only fields the import filled must come back.
template <typename T>
void forgetUnfilled(const std::optional<T>& imported, std::optional<T>& reimported) {
    if (!imported) reimported.reset();
}

// The Kalman factor is exported with two decimals (at most 0.99); every other value exactly.
bool sameAsImported(const CameraConfig& imported, CameraConfig reimported) {
    forgetUnfilled(imported.renderType, reimported.renderType);
    forgetUnfilled(imported.hBinning, reimported.hBinning);
    forgetUnfilled(imported.vBinning, reimported.vBinning);
    const vantory::FilterValues& a = imported.filters;
    vantory::FilterValues& b = reimported.filters;
    forgetUnfilled(a.medianSize, b.medianSize);
    forgetUnfilled(a.kalmanEnable, b.kalmanEnable);
    forgetUnfilled(a.kalmanFactor, b.kalmanFactor);
    forgetUnfilled(a.kalmanThreshold, b.kalmanThreshold);
    forgetUnfilled(a.edgeEnable, b.edgeEnable);
    forgetUnfilled(a.edgeThreshold, b.edgeThreshold);
    forgetUnfilled(a.dustEnable, b.dustEnable);
    forgetUnfilled(a.dustThreshold, b.dustThreshold);
    forgetUnfilled(a.dustFrames, b.dustFrames);
    forgetUnfilled(a.postprocessThreshold, b.postprocessThreshold);
    forgetUnfilled(a.dynamicsEnabled, b.dynamicsEnabled);
    forgetUnfilled(a.dynamicsWinsize, b.dynamicsWinsize);
    forgetUnfilled(a.dynamicsMotionsize, b.dynamicsMotionsize);
    forgetUnfilled(a.reflectiveEnable, b.reflectiveEnable);
    forgetUnfilled(a.refThMin, b.refThMin);
    forgetUnfilled(a.refThMax, b.refThMax);
    forgetUnfilled(a.spatialEnable, b.spatialEnable);
    forgetUnfilled(a.spatialAlpha, b.spatialAlpha);
    forgetUnfilled(a.spatialDelta, b.spatialDelta);
    forgetUnfilled(a.spatialIterations, b.spatialIterations);
    forgetUnfilled(a.averageEnable, b.averageEnable);
    forgetUnfilled(a.averageSize, b.averageSize);
    if (a.kalmanFactor.has_value() != b.kalmanFactor.has_value()) return false;
    if (a.kalmanFactor && std::fabs(*a.kalmanFactor - *b.kalmanFactor) > 0.01 + 1e-9) return false;
    b.kalmanFactor = a.kalmanFactor;
    return imported == reimported;
}

std::optional<CameraConfig> exportAndImport(const CameraConfig& config) {
    const fuzzini::InputFile file(nullptr, 0, ".mvcfg");
    if (!vantory::settings::writeCameraConfig(file.path(), config)) return std::nullopt;
    return vantory::settings::readCameraConfig(file.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<CameraConfig> imported;
    {
        const fuzzini::InputFile file(data, size, ".mvcfg");
        imported = vantory::settings::readCameraConfig(file.path());
    }
    if (!imported) return 0;
    const CameraConfig& c = *imported;
    fuzzcheck::require(c.maxFps >= 1 && c.maxFps <= 30, "frame rate outside 1..30");
    for (int index : c.freqIndices)
        fuzzcheck::require((index >= 0 && index < 6) || index == vantory::settings::kNoSelection,
                           "frequency box index out of range");
    fuzzcheck::require(!c.renderType || (*c.renderType >= 0 && *c.renderType < 3),
                       "render type out of range");

    const std::optional<CameraConfig> once = exportAndImport(c);
    fuzzcheck::require(once.has_value(), "an imported configuration does not import once exported");
    fuzzcheck::require(sameAsImported(c, *once), "export and import changed the configuration");
    const std::optional<CameraConfig> twice = exportAndImport(*once);
    fuzzcheck::require(twice.has_value() && *twice == *once,
                       "a second export and import changed it");
    return 0;
}
