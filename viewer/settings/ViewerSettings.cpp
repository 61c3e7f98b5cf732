#include "ViewerSettings.h"

namespace vantory {

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

}  // namespace vantory
