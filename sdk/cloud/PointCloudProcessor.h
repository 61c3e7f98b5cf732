// Turns a frame's distance plane into an undistorted point cloud. The undistortion is
// built once per lens (or sensor grid) change into a per-pixel table of unit rays; each
// frame then costs one lookup and three multiplications per pixel.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "mvsdk/Frame.h"
#include "mvsdk/MvTypes.h"

namespace Movoda {

class PointCloudProcessor {
public:
    PointCloudProcessor();

    // Rebuilds the undistortion table when the parameters differ from the last ones given.
    // Parameters with fx, fy and k1 all 0 select the alternate lens; parameters with a
    // non-finite value select the default lens (logged once).
    void setLensParams(const LensParams& params);
    // Fills the frame's cloud and sets hasCloud; does nothing before the first lens.
    void generateCloud(Frame& frame);

    // 0 or above 201 switches the cut off.
    void setCutCorner(uint32_t radius);
    // 0 switches the floor off.
    void setSdkMinAmplitude(uint16_t amplitude);
    // 1 stores points as (z, x, y).
    void setCloudCoordType(uint8_t type);
    void setMirror(uint8_t horizontal, uint8_t vertical);
    void setImuExtrinsic(const ImuExtrinsic& extrinsic);
    // The converted form when both mirror switches are set, else the stored form.
    ImuExtrinsic getImuExtrinsic() const;

    // State, for the facade and for tests.
    bool ready() const;
    bool smallSensor() const;
    LensParams lens() const;
    uint32_t gridWidth() const;
    uint32_t gridHeight() const;
    bool cornerCutOn() const;
    uint32_t cornerRadiusInUse() const;
    bool cornerMasked(uint32_t row, uint32_t column) const;
    // Undistorted position of sensor pixel (row, column) of the current grid.
    std::pair<float, float> undistorted(uint32_t row, uint32_t column) const;

private:
    // Index of the pixel that row-mirroring pairs with index i on a grid of width w.
    static size_t mirrorIndex(size_t i, size_t w) {
        const size_t col = i % w;
        return i - col + w - 1 - col;
    }

    void rebuildLocked(const LensParams& params, bool force);
    void applyCornerCutLocked();

    mutable std::mutex mutex_;
    LensParams lens_;
    LensParams requested_;
    bool hasRequested_ = false;
    ImuExtrinsic extrinsic_;
    ImuExtrinsic convertedExtrinsic_;
    double principalX_ = 0.0;
    double principalY_ = 0.0;
    std::vector<std::pair<float, float>> table_;
    // Per pixel in stored (row-mirrored) order, so that a frame's pixels index them
    // directly: (u - cx) / fx, (v - cy) / fy and 0.001 / sqrt(rx^2 + ry^2 + 1), the metres
    // along the axis per millimetre of distance.
    std::vector<float> rayX_;
    std::vector<float> rayY_;
    std::vector<float> rayZ_;
    // Set for pixels removed by the corner cut, also in stored order.
    std::vector<uint8_t> cornerMask_;
    bool cornerCutOn_ = false;
    uint16_t amplitudeFloor_ = 0;
    uint32_t cornerRadiusInUse_ = 0;
    bool ready_ = false;
    bool nonFiniteLensLogged_ = false;
    uint32_t cornerRadiusSetting_ = 0;
    // Written under the lock; atomic so that the grid size can be read without it.
    std::atomic<bool> smallSensor_{false};
    uint8_t coordType_ = 0;
    uint8_t horizontalSwitch_ = 0;
    uint8_t verticalSwitch_ = 0;
};

}  // namespace Movoda
