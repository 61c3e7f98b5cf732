// Rays through the lens and what the scenes put in their way.
#include <gtest/gtest.h>

#include <cmath>

#include "LensModel.h"
#include "Scene.h"

using namespace camsim;

TEST(LensModel, RayAndProjectionAreInverse) {
    Lens lens;
    lens.k1 = -0.25f;
    lens.k2 = 0.08f;
    lens.p1 = 0.002f;
    lens.p2 = -0.001f;
    const LensModel model(lens);
    const double points[][2] = {{0, 0}, {319, 239}, {160, 120}, {10, 200}, {300, 5}};
    for (const auto& pt : points) {
        const Vec3 r = model.ray(pt[0], pt[1]);
        EXPECT_NEAR(r.x * r.x + r.y * r.y + r.z * r.z, 1.0, 1e-12);
        double u, v;
        ASSERT_TRUE(model.project({r.x * 3, r.y * 3, r.z * 3}, u, v));
        EXPECT_NEAR(u, pt[0], 1e-6);
        EXPECT_NEAR(v, pt[1], 1e-6);
    }
    double u, v;
    EXPECT_FALSE(model.project({0, 0, -1}, u, v));
}

TEST(LensModel, PrincipalPointLooksStraightAhead) {
    const LensModel model(Lens{});
    const Vec3 r = model.ray(Lens{}.cx, Lens{}.cy);
    EXPECT_NEAR(r.z, 1.0, 1e-12);
    // Barrel distortion (k1 < 0) makes an edge pixel look wider than a pinhole would.
    const Vec3 edge = model.ray(0, Lens{}.cy);
    const double pinhole = std::atan((Lens{}.cx) / Lens{}.fx);
    EXPECT_GT(std::atan2(-edge.x, edge.z), pinhole);
}

TEST(RayTable, FollowsRegionAndBinning) {
    AcquisitionConfig c;
    c.roiX0 = 100;
    c.roiX1 = 199;
    c.roiY0 = 50;
    c.roiY1 = 51;
    c.binningV = true;
    const LensModel model(Lens{});
    const RayTable t = buildRayTable(model, c);
    EXPECT_EQ(t.width, 100);
    EXPECT_EQ(t.height, 1);
    ASSERT_EQ(t.rays.size(), 100u);
    const Vec3 expected = model.ray(100, 50.5);
    EXPECT_DOUBLE_EQ(t.rays[0].y, expected.y);
}

TEST(Scenes, WallIsAPlaneAtItsDistance) {
    SceneOptions o;
    o.distance = 2.5;
    o.reflectivity = 0.3;
    const auto wall = makeScene(o);
    ASSERT_TRUE(wall);
    const double n = std::sqrt(0.5 * 0.5 + 1.0);
    const Hit h = wall->cast({0.5 / n, 0, 1 / n}, 0);
    ASSERT_TRUE(h.hit);
    EXPECT_NEAR(h.distance, 2.5 * n, 1e-12);
    EXPECT_EQ(h.reflectivity, 0.3);
    EXPECT_FALSE(wall->cast({1, 0, 0}, 0).hit);
}

TEST(Scenes, RoomSphereMovesAndFloorIsBelow) {
    SceneOptions o;
    o.name = "room";
    const auto room = makeScene(o);
    ASSERT_TRUE(room);
    // Straight down-forward hits the floor 1.2 m below.
    const double n = std::sqrt(1.0 + 1.0);
    const Hit floor = room->cast({0, 1 / n, 1 / n}, 0);
    ASSERT_TRUE(floor.hit);
    EXPECT_NEAR(floor.distance, 1.2 * n, 1e-9);
    // Straight ahead meets the back wall; the sphere passes through other rays over time.
    const Hit ahead = room->cast({0, 0, 1}, 0);
    EXPECT_NEAR(ahead.distance, 4.0, 1e-9);
    const Vec3 towardSphere{0, 0.6 / std::sqrt(0.36 + 6.25), 2.5 / std::sqrt(0.36 + 6.25)};
    const Hit at0 = room->cast(towardSphere, 0);
    const Hit at2 = room->cast(towardSphere, 2.0);
    EXPECT_NE(at0.distance, at2.distance);
}

TEST(Scenes, StepsRiseFromLeftToRight) {
    SceneOptions o;
    o.name = "steps";
    const auto steps = makeScene(o);
    ASSERT_TRUE(steps);
    double previous = 0;
    for (double slope : {-0.7, -0.35, 0.0, 0.35, 0.7}) {
        const double n = std::sqrt(slope * slope + 1);
        const Hit h = steps->cast({slope / n, 0, 1 / n}, 0);
        ASSERT_TRUE(h.hit);
        const double depth = h.distance / n;
        EXPECT_GT(depth, previous + 0.4);
        previous = depth;
    }
}

TEST(Scenes, UnknownNamesAreRefused) {
    SceneOptions o;
    o.name = "garden";
    EXPECT_FALSE(makeScene(o));
    EXPECT_FALSE(isKnownScene("garden"));
}
