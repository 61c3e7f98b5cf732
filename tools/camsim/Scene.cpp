#include "Scene.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace camsim {
namespace {

constexpr double kNoHit = std::numeric_limits<double>::infinity();

void keepNearest(Hit& best, double distance, double reflectivity) {
    if (distance > 0 && std::isfinite(distance) && (!best.hit || distance < best.distance)) {
        best.hit = true;
        best.distance = distance;
        best.reflectivity = reflectivity;
    }
}

// Distance along the ray to the plane  axis-coordinate == value, or infinity.
double toPlane(double rayComponent, double value) {
    if (std::fabs(rayComponent) < 1e-12) return kNoHit;
    const double t = value / rayComponent;
    return t > 0 ? t : kNoHit;
}

class WallScene : public Scene {
public:
    WallScene(double distance, double reflectivity)
        : distance_(distance), reflectivity_(reflectivity) {}
    Hit cast(const Vec3& ray, double) const override {
        Hit h;
        keepNearest(h, toPlane(ray.z, distance_), reflectivity_);
        return h;
    }

private:
    double distance_;
    double reflectivity_;
};

// Floor, back and side walls, a box on the floor and a sphere circling in front of it.
class RoomScene : public Scene {
public:
    Hit cast(const Vec3& r, double t) const override {
        Hit h;
        keepNearest(h, toPlane(r.y, kCameraHeight), kFloorReflectivity);
        keepNearest(h, toPlane(r.z, kBackWall), kWallReflectivity);
        keepNearest(h, toPlane(r.x, -kSideWall), kWallReflectivity);
        keepNearest(h, toPlane(r.x, kSideWall), kWallReflectivity);
        keepNearest(h, boxDistance(r), kBoxReflectivity);
        keepNearest(h, sphereDistance(r, t), kSphereReflectivity);
        return h;
    }

private:
    static constexpr double kCameraHeight = 1.2, kBackWall = 4.0, kSideWall = 2.0;
    static constexpr double kFloorReflectivity = 0.3, kWallReflectivity = 0.6;
    static constexpr double kBoxReflectivity = 0.75, kSphereReflectivity = 0.9;
    static constexpr double kBoxMin[3] = {-1.0, 0.6, 2.2}, kBoxMax[3] = {-0.4, 1.2, 2.8};
    static constexpr double kSphereRadius = 0.3, kSphereOrbit = 0.6, kSpherePeriod = 8.0;

    static double boxDistance(const Vec3& r) {
        const double dir[3] = {r.x, r.y, r.z};
        double near = 0, far = kNoHit;
        for (int i = 0; i < 3; ++i) {
            if (std::fabs(dir[i]) < 1e-12) {
                if (0 < kBoxMin[i] || 0 > kBoxMax[i]) return kNoHit;
                continue;
            }
            double a = kBoxMin[i] / dir[i], b = kBoxMax[i] / dir[i];
            if (a > b) std::swap(a, b);
            near = std::max(near, a);
            far = std::min(far, b);
        }
        return near <= far && near > 0 ? near : kNoHit;
    }

    static double sphereDistance(const Vec3& r, double t) {
        const double angle = 2 * M_PI * t / kSpherePeriod;
        const Vec3 c{kSphereOrbit * std::sin(angle), 0.6, 2.0 + 0.5 * std::cos(angle)};
        const double b = r.x * c.x + r.y * c.y + r.z * c.z;
        const double cc = c.x * c.x + c.y * c.y + c.z * c.z - kSphereRadius * kSphereRadius;
        const double disc = b * b - cc;
        if (disc < 0) return kNoHit;
        const double d = b - std::sqrt(disc);
        return d > 0 ? d : kNoHit;
    }
};

// Five vertical strips, each a plane facing the camera, nearer to the left.
class StepsScene : public Scene {
public:
    Hit cast(const Vec3& r, double) const override {
        Hit h;
        if (r.z <= 0) return h;
        const double slope = r.x / r.z;
        int step = int(std::floor((slope + kHalfWidth) / (2 * kHalfWidth) * kSteps));
        step = std::clamp(step, 0, kSteps - 1);
        keepNearest(h, toPlane(r.z, kFirst + kRise * step), kReflectivity[step]);
        return h;
    }

private:
    static constexpr int kSteps = 5;
    static constexpr double kHalfWidth = 0.8, kFirst = 1.0, kRise = 0.5;
    static constexpr double kReflectivity[kSteps] = {0.2, 0.4, 0.6, 0.8, 0.9};
};

}  // namespace

bool isKnownScene(const std::string& name) {
    return name == "wall" || name == "room" || name == "steps";
}

std::unique_ptr<Scene> makeScene(const SceneOptions& o) {
    if (o.name == "wall") return std::make_unique<WallScene>(o.distance, o.reflectivity);
    if (o.name == "room") return std::make_unique<RoomScene>();
    if (o.name == "steps") return std::make_unique<StepsScene>();
    return nullptr;
}

}  // namespace camsim
