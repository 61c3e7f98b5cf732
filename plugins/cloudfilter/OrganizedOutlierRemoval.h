// Outlier removal on an organised cloud (one point per camera pixel). A point's
// neighbours in space are found among its neighbours on the pixel grid, so no search
// tree is built: one frame costs a few passes over the grid. PCL's own outlier filters
// search an organised cloud through OrganizedNeighbor and took about 40 ms per
// 320 x 240 frame here, several times the frame budget.
//   statistical: in each of the four grid directions through a point (row, column, two
//     diagonals) take the nearer of its two neighbours; the point's score is the mean of
//     the two smallest of those four distances over its range. Points scoring above
//     mean + multiplier x standard deviation of all scores, and points with neighbours in
//     fewer than two directions, are removed.
//   radius: a point is removed when fewer than minNeighbours of the 24 points round it
//     (5 x 5 pixels) lie within radiusPerMetre x its range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mvpclfilter/MvPclFilter.h"

namespace Movoda::pclfilter {

class OrganizedOutlierRemoval {
public:
    // Marks removed[i] = 1 for every point of the organised cloud to remove (0 otherwise)
    // and returns how many. The cloud must be organised (height > 1).
    size_t classify(const Cloud& cloud, const Config& config, std::vector<uint8_t>& removed);

private:
    void loadPlanes(const Cloud& cloud);
    size_t statistical(const Config& config, std::vector<uint8_t>& removed);
    size_t radius(const Config& config, std::vector<uint8_t>& removed);
    size_t paddedIndex(int x, int y) const {
        return static_cast<size_t>(y + kPad) * stride_ + static_cast<size_t>(x + kPad);
    }

    static constexpr int kPad = 2;
    int width_ = 0;
    int height_ = 0;
    size_t stride_ = 0;
    // Coordinates with a border of NaN points, so that the grid needs no bounds checks.
    std::vector<float> x_, y_, z_;
    std::vector<float> range_;  // per point, unpadded
    std::vector<float> score_;
    std::vector<uint8_t> count_;
};

}  // namespace Movoda::pclfilter
