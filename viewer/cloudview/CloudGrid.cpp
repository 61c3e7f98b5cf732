#include "CloudGrid.h"

#include <algorithm>

#include "CloudViewConstants.h"

namespace vantory::cloudview {

double gridStep(double target) {
    if (target <= 0.0) return kGridFirstDecade;
    double scale = kGridFirstDecade;
    for (int decade = 0; decade < kGridDecades; ++decade, scale *= 10.0) {
        for (double multiplier : {1.0, 2.0, 5.0}) {
            if (scale * multiplier >= target) return scale * multiplier;
        }
    }
    return kGridFallbackStep;
}

std::vector<GridLine> gridLines(int maxDistanceMm, double gridHeight, int coordType) {
    const double size = std::max(kMinGridSize, maxDistanceMm / 1000.0);
    const double step = gridStep(size / kGridDivisions);
    const int n = static_cast<int>(size / step);
    const double h = gridHeight;
    std::vector<GridLine> lines;
    lines.reserve(static_cast<std::size_t>(3 * n + 2));
    if (coordType == kCoordCar) {
        for (int i = -n; i <= n; ++i) lines.push_back({{0.0, i * step, -h}, {size, i * step, -h}});
        for (int i = 0; i <= n; ++i) lines.push_back({{i * step, size, -h}, {i * step, -size, -h}});
    } else {
        for (int i = -n; i <= n; ++i) lines.push_back({{i * step, -h, size}, {i * step, -h, 0.0}});
        for (int i = 0; i <= n; ++i) lines.push_back({{size, -h, i * step}, {-size, -h, i * step}});
    }
    return lines;
}

std::string gridLineId(std::size_t n) {
    return kGridIdPrefix + std::to_string(n);
}

}  // namespace vantory::cloudview
