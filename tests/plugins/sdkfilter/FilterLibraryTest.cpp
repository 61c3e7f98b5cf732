// The built library behind the SDK's filter chain: loaded by path as the binding loads it,
// it must switch each filter on for the values the filter window sends with it ticked and
// off for the values it sends unticked (or for values it cannot use), and its filters
// must reach the frames the chain hands it.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "FilterFrames.h"
#include "cloud/FilterChain.h"

using Movoda::FilterChain;

namespace {

std::unique_ptr<FilterChain> loadChain() {
    ::testing::internal::CaptureStdout();
    auto chain = std::make_unique<FilterChain>(VANTORY_SDKFILTER_PATH);
    ::testing::internal::GetCapturedStdout();
    return chain;
}

TEST(FilterLibrary, WindowValuesSwitchEachFilter) {
    struct Case {
        const char* name;
        std::function<void(FilterChain&)> set;
        uint16_t bit;
        bool on;
    };
    auto band = [](float lower, float upper) {
        return [=](FilterChain& c) {
            float l = lower, u = upper;
            c.setReflectivityFilter(&l, &u);
        };
    };
    auto smooth = [](int iterations, int delta, float alpha) {
        return [=](FilterChain& c) {
            int i = iterations, d = delta;
            float a = alpha;
            c.setSmoothFilter(&i, &d, &a);
        };
    };
    auto cloud = [](float divisor, uint8_t on, uint32_t window, uint8_t motion) {
        return [=](FilterChain& c) {
            float d = divisor;
            uint8_t o = on;
            c.setCloudFilter(&d, &o, window, motion);
        };
    };
    using namespace Movoda;
    const std::vector<Case> cases = {
        {"edge 200 mm", [](FilterChain& c) { c.setEdgeFilter(200); }, kFilterEdge, true},
        {"edge unticked", [](FilterChain& c) { c.setEdgeFilter(0); }, kFilterEdge, false},
        {"median 3", [](FilterChain& c) { c.setMedianFilter(3); }, kFilterMedian, true},
        {"median 5", [](FilterChain& c) { c.setMedianFilter(5); }, kFilterMedian, true},
        {"median 4 is no kernel", [](FilterChain& c) { c.setMedianFilter(4); }, kFilterMedian,
         false},
        {"median unticked", [](FilterChain& c) { c.setMedianFilter(0); }, kFilterMedian, false},
        {"Kalman 0.35, 300 mm", [](FilterChain& c) { c.setKalmanFilter(350, 300, 2000); },
         kFilterKalman, true},
        {"Kalman unticked", [](FilterChain& c) { c.setKalmanFilter(0, 0, 300); }, kFilterKalman,
         false},
        {"Kalman gain above one", [](FilterChain& c) { c.setKalmanFilter(1001, 300, 2000); },
         kFilterKalman, false},
        {"dust 2000 mm over 2 frames", [](FilterChain& c) { c.setDustFilter(2000, 2, 3000, 100); },
         kFilterDust, true},
        {"dust unticked", [](FilterChain& c) { c.setDustFilter(0, 4, 300, 100); }, kFilterDust,
         false},
        {"dust of an unknown type", [](FilterChain& c) { c.setDustFilter(12000, 2, 3000, 100); },
         kFilterDust, false},
        {"reflectivity 0.5 .. 2 %", band(0.5f, 2.0f), kFilterReflectivity, true},
        {"reflectivity 5 .. 5 %", band(5.0f, 5.0f), kFilterReflectivity, true},
        {"reflectivity unticked", band(0.0f, 0.0f), kFilterReflectivity, false},
        {"averaging 4 frames", [](FilterChain& c) { c.setAverageFilter(4, 2000); }, kFilterAverage,
         true},
        {"averaging unticked", [](FilterChain& c) { c.setAverageFilter(0, 2000); }, kFilterAverage,
         false},
        {"smoothing 2, 70, 0.7", smooth(2, 70, 0.7f), kFilterSmooth, true},
        {"smoothing unticked", smooth(1, 0, 0.0f), kFilterSmooth, false},
        {"dynamic capture 9 / 5", cloud(5.0f, 1, 9, 5), kFilterCloud, true},
        {"dynamic capture unticked", cloud(5.0f, 0, 9, 5), kFilterCloud, false},
        {"dynamic capture with a NaN divisor", cloud(std::nanf(""), 1, 9, 5), kFilterCloud, false},
    };
    auto chain = loadChain();
    ASSERT_TRUE(chain->libraryLoaded()) << VANTORY_SDKFILTER_PATH;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.set(*chain);
        EXPECT_EQ((chain->enableMask() & c.bit) != 0, c.on);
    }
}

TEST(FilterLibrary, ChainRunsTheLibrarysFilters) {
    auto chain = loadChain();
    ASSERT_TRUE(chain->libraryLoaded());
    chain->setMedianFilter(3);
    filter_test::Image scene(20, 10, 1500);
    scene.at(6, 4) = 400;  // a speck the median takes
    auto frame = filter_test::decode(scene);
    chain->applyFilters(frame);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) ASSERT_EQ(filter_test::depthAt(*frame, x, y), 1500u);
    }
    EXPECT_EQ(frame->rawDistance(4 * 20 + 6), 400u) << "the received depth stays on record";
}

}  // namespace
