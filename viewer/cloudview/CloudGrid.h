// The floor grid of the point-cloud window: its step and its lines, as plain numbers.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vantory::cloudview {

struct GridLine {
    std::array<double, 3> from{};
    std::array<double, 3> to{};
};

// The first of 1, 2, 5 times 0.1, 1, 10, ... (seven decades) that reaches the target;
// 0.1 for a target of 0 or less, 100000 when none does.
double gridStep(double target);

// Lines in drawing order for a maximum distance in millimetres, the grid height in
// metres below the origin and the coordinate type (1 "Car": forward is x, up is z;
// otherwise forward is z, up is y). The grid is at least 1 m deep.
std::vector<GridLine> gridLines(int maxDistanceMm, double gridHeight, int coordType);

// "grid_" + n.
std::string gridLineId(std::size_t n);

}  // namespace vantory::cloudview
