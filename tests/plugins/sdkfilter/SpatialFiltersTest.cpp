// The filters that work within one frame: flying pixels and near-range rims, the median,
// the reflectivity band and edge-preserving smoothing, each on scenes that show what it
// must remove and what it must leave alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "FilterFrames.h"
#include "SdkFilter.h"
#include "SdkFilterConstants.h"

using namespace filter_test;
using Movoda::sdkfilter::SdkFilter;
using Apply = void (SdkFilter::*)(const Movoda::ISdkFilter::FramePtr&);

namespace {

constexpr int kW = 24, kH = 16;

// Columns left of `edge` at `near`, the rest at `far`.
Image step(int edge, uint16_t near, uint16_t far) {
    return makeImage(kW, kH, [=](int x, int) { return x < edge ? near : far; });
}

TEST(SpatialFilters, RimFiltersTakeExactlyTheirPixels) {
    struct Case {
        const char* name;
        Image scene;
        std::function<bool(SdkFilter&)> configure;
        Apply apply;
        std::function<bool(int, int)> removed;
        uint32_t code;
    };
    auto edge = [](uint16_t mm) { return [=](SdkFilter& f) { return f.setEdgeParams(mm); }; };
    auto erosion = [](float divisor) {
        return [=](SdkFilter& f) {
            const uint8_t on = 1;
            return f.setCloudParams(&divisor, &on, 0, 0);
        };
    };
    const uint32_t flying = Movoda::sdkfilter::kRemovedFlyingPixel;
    const uint32_t rim = Movoda::sdkfilter::kRemovedNearEdge;
    auto none = [](int, int) { return false; };

    Image flyingColumn = step(10, 1000, 2000);
    for (int y = 0; y < kH; ++y) flyingColumn.at(10, y) = 1500;
    Image mixedBand = step(10, 1000, 2000);
    for (int y = 0; y < kH; ++y) mixedBand.at(10, y) = 1350, mixedBand.at(11, y) = 1650;
    Image nearlyNear = step(10, 1000, 2000);
    for (int y = 0; y < kH; ++y) nearlyNear.at(10, y) = 1150;
    Image spike(kW, kH, 1500);
    spike.at(5, 5) = 900;
    auto lone500 = [] {
        Image wall(kW, kH, 500);
        wall.at(8, 8) = kNoReturn;
        return wall;
    };
    Image lone(kW, kH, kNoReturn);
    lone.at(7, 7) = 1200;

    const std::vector<Case> cases = {
        {"a flying column between two plateaus goes, both plateaus stay", flyingColumn, edge(200),
         &SdkFilter::applyEdge, [](int x, int) { return x == 10; }, flying},
        {"a two-pixel mixed band goes", mixedBand, edge(200), &SdkFilter::applyEdge,
         [](int x, int) { return x == 10 || x == 11; }, flying},
        {"a clean step loses nothing", step(12, 1000, 2000), edge(200), &SdkFilter::applyEdge, none,
         flying},
        {"a mixed pixel within the threshold of a plateau stays", nearlyNear, edge(200),
         &SdkFilter::applyEdge, none, flying},
        {"a spike on a wall goes alone", spike, edge(200), &SdkFilter::applyEdge,
         [](int x, int y) { return x == 5 && y == 5; }, flying},
        {"an object's rim against no return stays", step(10, 1000, kNoReturn), edge(200),
         &SdkFilter::applyEdge, none, flying},
        {"the image border makes no jump", step(1, 1000, 2000), edge(200), &SdkFilter::applyEdge,
         none, flying},
        {"a lone pixel amid no return goes", lone, edge(200), &SdkFilter::applyEdge,
         [](int x, int y) { return x == 7 && y == 7; }, flying},
        // Divisor 1 at 0.5 m: radius 2 pixels.
        {"a near object's rim erodes by its radius", step(12, 500, kNoReturn), erosion(1.0f),
         &SdkFilter::applyCloudFirstPass, [](int x, int) { return x == 10 || x == 11; }, rim},
        {"a far object keeps its rim", step(12, 2500, kNoReturn), erosion(1.0f),
         &SdkFilter::applyCloudFirstPass, none, rim},
        {"a lone missing pixel in a near wall is no rim", lone500(), erosion(1.0f),
         &SdkFilter::applyCloudFirstPass, none, rim},
        {"the image border is no rim", Image(kW, kH, 500), erosion(1.0f),
         &SdkFilter::applyCloudFirstPass, none, rim},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SdkFilter filter(nullptr);
        ASSERT_TRUE(c.configure(filter));
        auto frame = decode(c.scene);
        (filter.*c.apply)(frame);
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const uint32_t want = c.removed(x, y) ? c.code : decoded(c.scene.at(x, y));
                ASSERT_EQ(depthAt(*frame, x, y), want) << "at " << x << "," << y;
            }
        }
    }
}

// The lower middle of the measured depths in the window, by sorting.
uint32_t referenceMedian(const Image& image, int x, int y, int kernel) {
    std::vector<uint32_t> window;
    for (int dy = -kernel / 2; dy <= kernel / 2; ++dy) {
        for (int dx = -kernel / 2; dx <= kernel / 2; ++dx) {
            const int xx = x + dx, yy = y + dy;
            if (xx < 0 || yy < 0 || xx >= image.width || yy >= image.height) continue;
            if (image.at(xx, yy) < Movoda::kRawCodeFrom) window.push_back(image.at(xx, yy));
        }
    }
    std::sort(window.begin(), window.end());
    return window[(window.size() - 1) / 2];
}

TEST(SpatialFilters, MedianRemovesSaltAndKeepsWallsAndHoles) {
    Image wall(kW, kH, 1200);
    Image salt3 = wall, salt5 = wall, holes = wall;
    for (int y = 1; y < kH; y += 4) {
        for (int x = 1; x < kW; x += 4) salt3.at(x, y) = (x + y) % 8 ? 3000 : 200;
    }
    for (int y = 0; y < kH; y += 3) {
        for (int x = 0; x < kW; x += 3) salt5.at(x, y) = 5000;
    }
    for (int k = 0; k < 20; ++k) holes.at((k * 7) % kW, (k * 5) % kH) = kNoReturn;
    Noise noise(3);
    // Width not a multiple of eight: the last vector of each row is partly outside.
    Image random = makeImage(29, 13, [&](int, int) {
        return static_cast<uint16_t>(noise(10) > 6 ? kNoReturn : 1000 + 400 + noise(400));
    });

    struct Case {
        const char* name;
        Image scene;
        int kernel;
        std::function<uint32_t(const Image&, int, int)> expected;
        uint8_t distanceScale = 1;
    };
    auto flatWall = [](const Image& scene, int x, int y) {
        return scene.at(x, y) >= Movoda::kRawCodeFrom ? decoded(scene.at(x, y)) : 1200u;
    };
    auto reference = [](int kernel, uint32_t scale = 1) {
        return [=](const Image& scene, int x, int y) {
            return scene.at(x, y) >= Movoda::kRawCodeFrom
                       ? decoded(scene.at(x, y))
                       : scale * referenceMedian(scene, x, y, kernel);
        };
    };
    // Scaled by 4 these depths pass 65535 mm.
    Image far = makeImage(29, 13, [&](int, int) {
        return static_cast<uint16_t>(noise(10) > 6 ? kNoReturn : 16000 + 400 + noise(400));
    });
    const std::vector<Case> cases = {
        {"a flat wall stays exact (3)", wall, 3, flatWall},
        {"a flat wall stays exact (5)", wall, 5, flatWall},
        {"salt vanishes under 3 x 3", salt3, 3, flatWall},
        {"denser salt vanishes under 5 x 5", salt5, 5, flatWall},
        {"holes stay holes and do not pull their neighbours", holes, 5, flatWall},
        {"every window of a noisy frame with holes (3)", random, 3, reference(3)},
        {"every window of a noisy frame with holes (5)", random, 5, reference(5)},
        {"depths beyond 16 bits (3)", far, 3, reference(3, 4), 4},
        {"depths beyond 16 bits (5)", far, 5, reference(5, 4), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SdkFilter filter(nullptr);
        ASSERT_TRUE(filter.setMedianParams(static_cast<uint16_t>(c.kernel)));
        auto frame = decode(
            c.scene, [&](vantory_test::PacketPlan& plan) { plan.distanceScale = c.distanceScale; });
        filter.applyMedian(frame);
        for (int y = 0; y < c.scene.height; ++y) {
            for (int x = 0; x < c.scene.width; ++x) {
                ASSERT_EQ(depthAt(*frame, x, y), c.expected(c.scene, x, y)) << x << "," << y;
            }
        }
    }
}

TEST(SpatialFilters, ReflectivityBandRemovesDarkPixelsAndKeepsNormalSurfaces) {
    struct Case {
        const char* name;
        uint8_t planes;            // distance only, or distance and amplitude
        uint16_t saturatedColumn;  // amplitude code in this column (kW: none)
        std::function<float(int, int)> reflectivity;
        std::function<bool(int, int)> removed;
    };
    // The band is [5, 10) per cent.
    auto column = [](int x, int) { return float(x); };
    auto speck = [](int x, int y) { return x == 7 && y == 7 ? 7.0f : 50.0f; };
    auto pair = [](int x, int y) { return (x == 7 || x == 8) && y == 7 ? 7.0f : 50.0f; };
    auto none = [](int, int) { return false; };
    const std::vector<Case> cases = {
        {"below the band goes; inside it beside darker pixels and above it stay", 3, kW,
         column, [](int x, int) { return x < 5; }},
        {"a normal scene (10 .. 90 %) stays whole", 3, kW,
         [](int x, int y) { return 10.0f + float((x * 7 + y * 3) % 81); }, none},
        {"a lone doubtful pixel among brighter ones goes", 3, kW, speck,
         [](int x, int y) { return x == 7 && y == 7; }},
        {"two doubtful pixels side by side stay", 3, kW, pair, none},
        {"a saturated neighbour is not counted", 3, 6, speck,
         [](int x, int y) { return x == 7 && y == 7; }},
        {"a saturated pixel is not judged", 3, 2, column,
         [](int x, int) { return x != 2 && x < 5; }},
        {"a frame without amplitude has no reflectivity to judge", 1, kW, column, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SdkFilter filter(nullptr);
        const float lower = 5.0f, upper = 10.0f;
        ASSERT_TRUE(filter.setReflectivityParams(&lower, &upper));
        vantory_test::PacketPlan plan;
        plan.width = kW;
        plan.height = kH;
        plan.model = "XK75ANY";
        plan.dataFlags = c.planes;
        plan.distance.assign(plan.pixels(), 1500);
        plan.amplitude.assign(plan.pixels(), 800);
        for (int y = 0; y < kH && c.saturatedColumn < kW; ++y) {
            plan.amplitude[size_t(y) * kW + c.saturatedColumn] = 64002;
        }
        auto frame = vantory_test::decodeFrame(plan);
        for (size_t i = 0; i < plan.pixels(); ++i) {
            frame->setReflectivity(i, c.reflectivity(int(i % kW), int(i / kW)));
        }
        filter.applyReflectivity(frame);
        for (size_t i = 0; i < plan.pixels(); ++i) {
            const bool gone = c.removed(int(i % kW), int(i / kW));
            ASSERT_EQ(frame->distance(i), gone ? Movoda::sdkfilter::kRemovedReflectivity : 1500u)
                << i;
            if (gone) {
                ASSERT_EQ(frame->reflectivity(i), 0.0f);
            }
        }
    }
}

TEST(SpatialFilters, SmoothingLowersNoiseAndKeepsSteps) {
    struct Case {
        const char* name;
        Image scene;
        std::function<void(const Image&, const Movoda::Frame&)> check;
    };
    Noise noise(11);
    const Image plane =
        makeImage(40, 30, [&](int, int) { return static_cast<uint16_t>(1500 + noise(20)); });
    const Image stepped = makeImage(40, 30, [&](int x, int) {
        return static_cast<uint16_t>((x < 20 ? 1000 : 1600) + noise(20));
    });
    Image holed = plane;
    for (int y = 0; y < 30; y += 3) holed.at(y, y) = kNoReturn;

    const std::vector<Case> cases = {
        {"noise on a plane falls to less than half", plane,
         [](const Image& scene, const Movoda::Frame& out) {
             const double before = depthSpread(*decode(scene), 0, 0, 40, 30);
             EXPECT_LT(depthSpread(out, 0, 0, 40, 30), before / 2);
         }},
        {"a step stays a step", stepped,
         [](const Image&, const Movoda::Frame& out) {
             for (int y = 0; y < 30; ++y) {
                 EXPECT_LE(depthAt(out, 19, y), 1020u) << y;
                 EXPECT_GE(depthAt(out, 20, y), 1580u) << y;
             }
             EXPECT_LT(depthSpread(out, 0, 0, 20, 30), 10.0);
             EXPECT_LT(depthSpread(out, 20, 0, 40, 30), 10.0);
         }},
        {"holes stay holes", holed,
         [](const Image&, const Movoda::Frame& out) {
             for (int y = 0; y < 30; y += 3) EXPECT_EQ(depthAt(out, y, y), decoded(kNoReturn));
             EXPECT_LT(depthSpread(out, 0, 0, 40, 30), 10.0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SdkFilter filter(nullptr);
        const int iterations = 2, delta = 70;
        const float alpha = 0.5f;
        ASSERT_TRUE(filter.setSmoothParams(&iterations, &delta, &alpha));
        auto frame = decode(c.scene);
        filter.applySmooth(frame);
        c.check(c.scene, *frame);
    }
}

}  // namespace
