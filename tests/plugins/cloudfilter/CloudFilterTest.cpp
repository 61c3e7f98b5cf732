// The point-cloud filter library, loaded by path and looked up by name as the viewer does:
// outliers go, a noisy plane stays, organised clouds keep their grid, and the
// configuration is guarded.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "mvpclfilter/MvPclFilter.h"

namespace pf = Movoda::pclfilter;

namespace {

constexpr int kW = 320, kH = 240;
constexpr float kFocal = 210.0f;

struct Library {
    void* module = ::dlopen(VANTORY_CLOUDFILTER_PATH, RTLD_NOW | RTLD_LOCAL);
    pf::FilterFunction filter = nullptr;
    pf::GetConfigFunction getConfig = nullptr;
    pf::SetConfigFunction setConfig = nullptr;
    Library() {
        if (module == nullptr) return;
        filter = reinterpret_cast<pf::FilterFunction>(::dlsym(module, pf::kFilterSymbol));
        getConfig = reinterpret_cast<pf::GetConfigFunction>(::dlsym(module, pf::kGetConfigSymbol));
        setConfig = reinterpret_cast<pf::SetConfigFunction>(::dlsym(module, pf::kSetConfigSymbol));
    }
    ~Library() {
        if (module != nullptr) ::dlclose(module);
    }
};

// A camera's view of a wall 1.5 m away and a box 1 m away, with depth noise, and a few
// isolated points floating 0.4 m in front of the wall, every one at its own pixel. The
// box's edges and corners must stay.
struct Scene {
    pf::CloudPtr cloud = pcl::make_shared<pf::Cloud>(kW, kH);
    std::set<size_t> outliers;
};

Scene noisyWall(bool organised, bool withOutliers) {
    Scene s;
    std::mt19937 rng(5);
    std::normal_distribution<float> noise(0.0f, 0.004f);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const size_t i = size_t(y) * kW + x;
            const bool box = x >= 100 && x < 200 && y >= 60 && y < 160;
            const bool outlier = withOutliers && !box && (x % 37 == 11) && (y % 29 == 13);
            const float z = outlier ? 1.1f : (box ? 1.0f : 1.5f) + noise(rng);
            pcl::PointXYZI& p = s.cloud->points[i];
            p.x = (x - kW / 2) / kFocal * z;
            p.y = (y - kH / 2) / kFocal * z;
            p.z = z;
            p.intensity = 40.0f;
            if (outlier) s.outliers.insert(i);
        }
    }
    // A missing point is no outlier and no neighbour.
    s.cloud->points[5 * kW + 5].z = std::numeric_limits<float>::quiet_NaN();
    s.cloud->is_dense = false;
    if (!organised) {
        s.cloud->width = kW * kH;
        s.cloud->height = 1;
    }
    return s;
}

bool isPoint(const pcl::PointXYZI& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

TEST(CloudFilter, OutliersGoAndTheWallStays) {
    Library lib;
    ASSERT_NE(lib.module, nullptr) << ::dlerror();
    ASSERT_TRUE(lib.filter && lib.getConfig && lib.setConfig);
    pf::Config defaults;
    lib.getConfig(&defaults);

    struct Case {
        const char* name;
        int32_t method;
        bool organised;
        bool withOutliers;
    };
    // Outliers widen the statistics, so the surface's loss is also measured without them.
    const std::vector<Case> cases = {
        {"statistical, organised", pf::kMethodStatistical, true, true},
        {"statistical, organised, surfaces only", pf::kMethodStatistical, true, false},
        {"radius, organised", pf::kMethodRadius, true, true},
        {"radius, organised, surfaces only", pf::kMethodRadius, true, false},
        {"statistical, unorganised", pf::kMethodStatistical, false, true},
        {"radius, unorganised", pf::kMethodRadius, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Config config = defaults;
        config.method = c.method;
        // Without a grid PCL's radius is in metres: 3 cm round points 7 mm apart.
        if (!c.organised) config.radiusPerMetre = 0.03f;
        ASSERT_TRUE(lib.setConfig(&config));
        Scene scene = noisyWall(c.organised, c.withOutliers);
        auto target = pcl::make_shared<pf::Cloud>();
        lib.filter(&scene.cloud, target);

        if (c.organised) {
            ASSERT_EQ(target->width, uint32_t(kW));
            ASSERT_EQ(target->height, uint32_t(kH));
            size_t wallLost = 0;
            for (size_t i = 0; i < target->points.size(); ++i) {
                const pcl::PointXYZI& p = target->points[i];
                const bool kept = isPoint(p);
                if (scene.outliers.count(i)) {
                    // A dropped point of a display cloud is NaN in all three coordinates.
                    EXPECT_TRUE(std::isnan(p.x) && std::isnan(p.y) && std::isnan(p.z)) << i;
                } else if (isPoint(scene.cloud->points[i]) && !kept) {
                    ++wallLost;
                }
                EXPECT_EQ(p.intensity, 40.0f);
            }
            EXPECT_LT(wallLost, target->points.size() / 200) << "more than 0.5 % of the wall lost";
        } else {
            const size_t wall = size_t(kW) * kH - scene.outliers.size() - 1;
            for (const auto& p : target->points) {
                if (isPoint(p)) {
                    EXPECT_NE(p.z, 1.1f) << "an outlier stayed";
                }
            }
            EXPECT_GT(target->points.size(), wall - wall / 200);
        }
    }
    ASSERT_TRUE(lib.setConfig(&defaults));
}

TEST(CloudFilter, ConfigurationRefusesWhatItCannotUse) {
    Library lib;
    ASSERT_NE(lib.module, nullptr) << ::dlerror();
    pf::Config original;
    lib.getConfig(&original);
    EXPECT_GE(original.versionMajor, 1) << "the filter window shows the version";

    struct Case {
        const char* name;
        std::function<void(pf::Config&)> change;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"unknown method", [](pf::Config& c) { c.method = 7; }, false},
        {"zero multiplier", [](pf::Config& c) { c.stddevMultiplier = 0; }, false},
        {"NaN multiplier", [](pf::Config& c) { c.stddevMultiplier = std::nanf(""); }, false},
        {"radius of zero",
         [](pf::Config& c) { c.method = pf::kMethodRadius, c.radiusPerMetre = 0; }, false},
        {"more neighbours than the window holds",
         [](pf::Config& c) { c.method = pf::kMethodRadius, c.minNeighbours = 25; }, false},
        {"versions are not the caller's to set",
         [](pf::Config& c) { c.versionMajor = 99, c.stddevMultiplier = 2.5f; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Config wanted = original;
        c.change(wanted);
        EXPECT_EQ(lib.setConfig(&wanted), c.accepted);
        pf::Config now;
        lib.getConfig(&now);
        EXPECT_EQ(now.versionMajor, original.versionMajor);
        EXPECT_EQ(now.stddevMultiplier,
                  c.accepted ? wanted.stddevMultiplier : original.stddevMultiplier);
        ASSERT_TRUE(lib.setConfig(&original));
    }
    EXPECT_FALSE(lib.setConfig(nullptr));
    // Missing clouds are no crash: nothing to fill, or an empty target.
    pf::CloudPtr none;
    auto target = pcl::make_shared<pf::Cloud>();
    lib.filter(&none, target);
    lib.filter(nullptr, target);
    EXPECT_TRUE(target->empty());
}

}  // namespace
