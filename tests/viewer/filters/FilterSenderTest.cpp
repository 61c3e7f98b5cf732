// What each filter control sends, the order of applySdkFilters, and how stored values
// become controls.
#include <gtest/gtest.h>

#include <functional>

#include "FilterSender.h"
#include "FilterWindow.h"
#include "RecordingSink.h"

namespace vantory::filters {
namespace {

using Calls = std::vector<std::string>;

TEST(FilterSender, EachControlRowSendsItsValues) {
    struct Case {
        const char* name;
        std::function<void(FilterControls&)> change;
        void (*row)(FilterSink&, const FilterControls&);
        Calls expected;
    };
    const std::vector<Case> cases = {
        {"Kalman 0.35 is truncated to 350",
         [](FilterControls& c) { c.kalmanFactor = 0.35, c.kalmanThreshold = 420; },
         sendKalman,
         {"kalman 350 420 2000"}},
        {"Kalman 0.29 is not lowered to 289 by rounding",
         [](FilterControls& c) { c.kalmanFactor = 0.29; },
         sendKalman,
         {"kalman 290 300 2000"}},
        {"Kalman unticked",
         [](FilterControls& c) { c.kalmanOn = false; },
         sendKalman,
         {"kalman 0 0 300"}},
        {"dust 2000, type 0, 2 frames",
         [](FilterControls& c) { c.dustThreshold = 2000, c.dustFrames = 2; },
         sendDust,
         {"dust 2000 2 3000 100"}},
        {"dust type 1 adds 10000",
         [](FilterControls& c) { c.dustType = 1, c.dustThreshold = 1500; },
         sendDust,
         {"dust 11500 2 3000 100"}},
        {"dust unticked",
         [](FilterControls& c) { c.dustOn = false; },
         sendDust,
         {"dust 0 4 300 100"}},
        {"band 5.0 .. 2.0 goes as 5.0 .. 5.0",
         [](FilterControls& c) { c.reflectivityMin = 5.0, c.reflectivityMax = 2.0; },
         sendReflectivityBand,
         {"band 5 5"}},
        {"band unticked",
         [](FilterControls& c) { c.reflectivityOn = false; },
         sendReflectivityBand,
         {"band 0 0"}},
        {"median 5", [](FilterControls& c) { c.median5 = true; }, sendMedian, {"median 5"}},
        {"median unticked",
         [](FilterControls& c) { c.medianOn = false, c.median5 = true; },
         sendMedian,
         {"median 0"}},
        {"edge unticked", [](FilterControls& c) { c.edgeOn = false; }, sendEdge, {"edge 0"}},
        {"cloud filter on, smoothing and averaging on",
         [](FilterControls& c) {
             c.smoothOn = true, c.averageOn = true, c.smoothIterations = 3, c.averageSize = 6;
         },
         sendCloudFilters,
         {"cloud 5 1 9 5", "smooth 3 70 0.7", "average 6 2000", "cloud 5 1 9 5"}},
        {"cloud filter on, sub-filters unticked",
         [](FilterControls& c) { c.dynamicsOn = false; },
         sendCloudFilters,
         {"cloud 5 0 9 5", "smooth 1 0 0", "average 0 2000", "cloud 5 0 9 5"}},
        {"cloud filter off switches every cloud filter off",
         [](FilterControls& c) {
             c.cloudFilterOn = false, c.smoothOn = true, c.averageOn = true, c.windowSize = 4;
         },
         sendCloudFilters,
         {"cloud 5 1 4 5", "cloud 5 0 9 5", "average 0 2000", "smooth 1 0 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilterControls controls;
        c.change(controls);
        RecordingSink sink;
        c.row(sink, controls);
        EXPECT_EQ(sink.calls, c.expected);
    }
}

TEST(FilterSender, ApplySdkFiltersSendsEveryFilterInItsOrder) {
    RecordingSink sink;
    applySdkFilters(sink, FilterControls{});
    const Calls expected = {
        "median 3",     "kalman 300 300 2000", "edge 200",     "dust 2000 2 3000 100",
        "band 0.5 2",   "cloud 5 1 9 5",       "smooth 1 0 0", "average 0 2000",
        "cloud 5 1 9 5"};
    EXPECT_EQ(sink.calls, expected);
}

TEST(FilterSender, StoredValuesReplaceOnlyTheFieldsThatPassedTheirCheck) {
    FilterValues stored;
    stored.medianSize = 5;
    stored.kalmanEnable = false;
    stored.refThMin = 3.5;
    stored.dustThreshold = std::nullopt;  // failed its load check: keeps the base value
    FilterControls base;
    base.dustThreshold = 1234;
    base.dustType = 1;
    const FilterControls c = controlsFromValues(stored, false, base);
    EXPECT_TRUE(c.medianOn);
    EXPECT_TRUE(c.median5);
    EXPECT_FALSE(c.kalmanOn);
    EXPECT_DOUBLE_EQ(c.reflectivityMin, 3.5);
    EXPECT_EQ(c.dustThreshold, 1234);
    EXPECT_EQ(c.dustType, 0);
    EXPECT_FALSE(c.cloudFilterOn);

    // What the settings file stores of the controls comes back as the same controls.
    FilterControls changed = c;
    changed.medianOn = false, changed.edgeThreshold = 150, changed.smoothAlpha = 0.4;
    const FilterControls again = controlsFromValues(valuesOfControls(changed), false);
    EXPECT_FALSE(again.medianOn);
    EXPECT_EQ(again.edgeThreshold, 150);
    EXPECT_DOUBLE_EQ(again.smoothAlpha, 0.4);
    EXPECT_EQ(valuesOfControls(changed).medianSize, std::optional<int>(0));
}

TEST(FilterSender, RenderTypeCommandOnlyForFirmwareBelow22) {
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(renderTypeCommand(2.1f, 2), (Bytes{20, 0, 0}));
    EXPECT_EQ(renderTypeCommand(2.1f, 0), (Bytes{20, 0, 20}));
    EXPECT_EQ(renderTypeCommand(1.4f, 1), (Bytes{20, 0, 20}));
    EXPECT_FALSE(renderTypeCommand(2.2f, 2));
    EXPECT_FALSE(renderTypeCommand(2.5f, 0));
}

}  // namespace
}  // namespace vantory::filters
