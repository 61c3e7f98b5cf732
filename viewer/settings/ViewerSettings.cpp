#include "ViewerSettings.h"

#include <algorithm>
#include <array>
#include <iostream>

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

bool ViewerSettings::operator==(const ViewerSettings& o) const {
    return useUsb == o.useUsb && ipAddress == o.ipAddress && imgType == o.imgType &&
           series == o.series && freqIndices == o.freqIndices && intGs == o.intGs &&
           minLsb == o.minLsb && minDist == o.minDist && maxDist == o.maxDist &&
           modFreq == o.modFreq && pclFilterOn == o.pclFilterOn && hMirror == o.hMirror &&
           vMirror == o.vMirror && maxFps == o.maxFps && renderType == o.renderType &&
           cloudCoord == o.cloudCoord && cutCorner == o.cutCorner && filters == o.filters &&
           mainWindow == o.mainWindow && cloudWindow == o.cloudWindow &&
           cloudShowGrid == o.cloudShowGrid && cloudGridHeight == o.cloudGridHeight;
}

namespace settings {
namespace {

// Modulation code stored for box items "24M", "12M", "6M", "4.8M", "3M", "1.5M";
// "0.75M" has none.
constexpr std::array<int, 6> kCodeOfIndex = {2, 0, 1, 6, 3, 4};
constexpr int kMinShownFps = 1, kDefaultFps = 10, kMaxStoredFps = 30;
constexpr int kModFreqEntries = 5, kMaxShownModFreq = 2;

}  // namespace

int freqCodeOfIndex(int index) {
    if (index >= 0 && index < static_cast<int>(kCodeOfIndex.size()))
        return kCodeOfIndex[static_cast<std::size_t>(index)];
    std::cout << kUnknownFreqText << std::endl;
    return kUnknownFreqCode;
}

int freqIndexOfCode(int code) {
    const auto* found = std::find(kCodeOfIndex.begin(), kCodeOfIndex.end(), code);
    if (found != kCodeOfIndex.end()) return static_cast<int>(found - kCodeOfIndex.begin());
    std::cout << kUnknownFreqText << std::endl;
    return kNoSelection;
}

int loadedMaxFps(int stored) {
    if (stored < kMinShownFps) return kDefaultFps;
    return std::min(stored, kMaxStoredFps);
}

std::optional<int> loadedModFreq(int stored) {
    if (stored < 0 || stored >= kModFreqEntries) return std::nullopt;
    return std::min(stored, kMaxShownModFreq);
}

}  // namespace settings
}  // namespace vantory
