// The camera's optics: which ray each sensor position looks along, including the lens
// distortion, and the reverse projection (used by tests and to check the tables).
#pragma once

#include <vector>

#include "CameraSettings.h"

namespace camsim {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

class LensModel {
public:
    explicit LensModel(const Lens& lens) : lens_(lens) {}

    // Unit ray through sensor position (u, v) in pixels (x right, y down, z forward).
    Vec3 ray(double u, double v) const;
    // Pixel position of a point in front of the camera; false behind it.
    bool project(const Vec3& point, double& u, double& v) const;
    const Lens& lens() const { return lens_; }

private:
    void distort(double x, double y, double& xd, double& yd) const;
    Lens lens_;
};

// Rays of every pixel of one frame geometry (region of interest and binning), built once.
struct RayTable {
    int width = 0, height = 0;
    std::vector<Vec3> rays;  // row-major, frame columns left to right
};
RayTable buildRayTable(const LensModel& lens, const AcquisitionConfig& config);

}  // namespace camsim
