#include "CloudColorScalars.h"

#include <cmath>

namespace vantory::cloudview {

void colorScalars(const Cloud& cloud, const DisplayValues& display, std::vector<float>& out) {
    out.clear();
    out.reserve(cloud.size() + 2 * kPinCount);
    const bool byDistance = display.renderType == kRenderDistance;
    const bool forwardIsX = display.coordType == kCoordCar;
    const float valueMax = static_cast<float>(
        display.renderType == kRenderReflectivity ? display.reflectivityMax : display.amplitudeMax);
    for (const pcl::PointXYZI& p : cloud.points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;
        if (byDistance)
            out.push_back(forwardIsX ? p.x : p.z);
        else
            out.push_back(p.intensity > valueMax ? 1.0f : valueMax - p.intensity);
    }
    const float low = byDistance ? static_cast<float>(display.minDistanceMm / 1000.0) : 1.0f;
    const float high = byDistance ? static_cast<float>(display.maxDistanceMm / 1000.0) : valueMax;
    out.insert(out.end(), kPinCount, low);
    out.insert(out.end(), kPinCount, high);
}

}  // namespace vantory::cloudview
