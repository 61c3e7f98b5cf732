#include "LensModel.h"

#include <cmath>

namespace camsim {
namespace {
constexpr int kUndistortIterations = 20;
}

void LensModel::distort(double x, double y, double& xd, double& yd) const {
    const double r2 = x * x + y * y;
    const double radial = 1 + lens_.k1 * r2 + lens_.k2 * r2 * r2 + lens_.k3 * r2 * r2 * r2;
    xd = x * radial + 2 * lens_.p1 * x * y + lens_.p2 * (r2 + 2 * x * x);
    yd = y * radial + lens_.p1 * (r2 + 2 * y * y) + 2 * lens_.p2 * x * y;
}

Vec3 LensModel::ray(double u, double v) const {
    const double xd = (u - lens_.cx) / lens_.fx;
    const double yd = (v - lens_.cy) / lens_.fy;
    // Fixed-point inversion of the distortion; converges for the moderate
    // coefficients of these lenses.
    double x = xd, y = yd;
    for (int i = 0; i < kUndistortIterations; ++i) {
        double dx, dy;
        distort(x, y, dx, dy);
        x += xd - dx;
        y += yd - dy;
    }
    const double n = std::sqrt(x * x + y * y + 1.0);
    return {x / n, y / n, 1.0 / n};
}

bool LensModel::project(const Vec3& p, double& u, double& v) const {
    if (p.z <= 0) return false;
    double xd, yd;
    distort(p.x / p.z, p.y / p.z, xd, yd);
    u = xd * lens_.fx + lens_.cx;
    v = yd * lens_.fy + lens_.cy;
    return true;
}

RayTable buildRayTable(const LensModel& lens, const AcquisitionConfig& config) {
    RayTable table;
    table.width = config.width();
    table.height = config.height();
    table.rays.resize(size_t(table.width) * size_t(table.height));
    const int stepX = config.binningH ? 2 : 1;
    const int stepY = config.binningV ? 2 : 1;
    // A binned pixel looks through the centre of the sensor pixels it joins.
    const double centreX = (stepX - 1) * 0.5;
    const double centreY = (stepY - 1) * 0.5;
    for (int row = 0; row < table.height; ++row) {
        for (int col = 0; col < table.width; ++col) {
            const double u = config.roiX0 + col * stepX + centreX;
            const double v = config.roiY0 + row * stepY + centreY;
            table.rays[size_t(row) * size_t(table.width) + size_t(col)] = lens.ray(u, v);
        }
    }
    return table;
}

}  // namespace camsim
