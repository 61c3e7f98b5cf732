// Scenes that the camera looks at: ray casting from the camera's origin.
#pragma once

#include <memory>
#include <string>

#include "LensModel.h"

namespace camsim {

struct Hit {
    bool hit = false;
    double distance = 0;      // metres along the ray
    double reflectivity = 0;  // 0..1
};

class Scene {
public:
    virtual ~Scene() = default;
    // Nearest surface along a unit ray at scene time t (seconds).
    virtual Hit cast(const Vec3& ray, double t) const = 0;
};

struct SceneOptions {
    std::string name = "wall";  // wall, room, steps
    double distance = 1.5;      // wall: metres to the plane
    double reflectivity = 0.5;  // wall: 0..1
};

// Empty when the name is unknown.
std::unique_ptr<Scene> makeScene(const SceneOptions& options);
bool isKnownScene(const std::string& name);

}  // namespace camsim
