// ROI statistics, percentile ranges and histograms of small synthetic planes against
// figures worked out by hand, with camera codes, zeros and rectangles reaching outside.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/AutoRange.h"
#include "analysis/Histogram.h"
#include "analysis/PlaneStats.h"

namespace va = vantory::analysis;

namespace {

// 4 x 3: a no-signal code, a 0 and an out-of-range code among ten measurements.
const std::vector<std::uint16_t> kPlane = {10, 20, 64001, 30,  //
                                           40, 0,  50,    65535, 60, 70, 80, 90};

std::vector<std::uint32_t> asDistance(const std::vector<std::uint16_t>& plane) {
    std::vector<std::uint32_t> out;
    for (std::uint16_t v : plane)
        out.push_back(v >= 64000 ? std::uint32_t{v} + Movoda::kDistanceCodeOffset : v);
    return out;
}

struct StatsCase {
    const char* name;
    va::Roi roi;
    bool zeroIsInvalid;
    std::size_t pixels, valid;
    double mean, median, stddev, min, max;
};

void expectStats(const va::PlaneStats& s, const StatsCase& c) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(s.pixels, c.pixels);
    EXPECT_EQ(s.valid, c.valid);
    EXPECT_DOUBLE_EQ(s.validShare, double(c.valid) / double(c.pixels));
    EXPECT_NEAR(s.mean, c.mean, 1e-9);
    EXPECT_DOUBLE_EQ(s.median, c.median);
    EXPECT_NEAR(s.stddev, c.stddev, 1e-9);
    EXPECT_DOUBLE_EQ(s.min, c.min);
    EXPECT_DOUBLE_EQ(s.max, c.max);
}

}  // namespace

TEST(PlaneStats, HandComputedFiguresWithCodesZerosAndClampedRectangles) {
    const StatsCase cases[] = {
        // 0..90 in steps of 10: deviations +-5..45, variance 825.
        {"whole frame, zero measured", {}, false, 12, 10, 45, 45, std::sqrt(825.0), 0, 90},
        // 10..90: variance 6000 / 9.
        {"whole frame, zero a code", {}, true, 12, 9, 50, 50, std::sqrt(6000.0 / 9), 10, 90},
        // Reaches past the right and bottom edge: 50, 65535 (code), 80, 90.
        {"clamped rectangle",
         {2, 1, 5, 5},
         true,
         4,
         3,
         220.0 / 3,
         80,
         std::sqrt((2500.0 + 6400 + 8100) / 3 - (220.0 / 3) * (220.0 / 3)),
         50,
         90},
        {"one column from a negative corner",
         {-3, -1, 4, 9},
         true,
         3,
         3,
         110.0 / 3,
         40,
         std::sqrt((100.0 + 1600 + 3600) / 3 - (110.0 / 3) * (110.0 / 3)),
         10,
         60},
    };
    for (const StatsCase& c : cases) {
        expectStats(
            va::planeStats(kPlane.data(), 4, 3, c.roi, va::kAmplitudeInvalidFrom, c.zeroIsInvalid),
            c);
        if (c.zeroIsInvalid) {
            // The SDK's distance plane carries the same codes moved up; 0 is no distance.
            expectStats(va::planeStats(asDistance(kPlane).data(), 4, 3, c.roi), c);
        }
    }
}

TEST(PlaneStats, NothingMeasuredGivesNaNFiguresNotGarbage) {
    const std::vector<std::uint16_t> codes(6, va::kCodeSaturated);
    const va::PlaneStats s = va::planeStats(codes.data(), 3, 2, {}, va::kAmplitudeInvalidFrom);
    EXPECT_EQ(s.pixels, 6u);
    EXPECT_EQ(s.valid, 0u);
    EXPECT_EQ(s.validShare, 0);
    EXPECT_TRUE(std::isnan(s.mean) && std::isnan(s.median) && std::isnan(s.stddev));

    const va::PlaneStats outside =
        va::planeStats(kPlane.data(), 4, 3, {10, 10, 2, 2}, va::kAmplitudeInvalidFrom);
    EXPECT_EQ(outside.pixels, 0u);
    EXPECT_TRUE(std::isnan(outside.min));
    EXPECT_EQ(va::planeStats(static_cast<const std::uint16_t*>(nullptr), 4, 3, {}, 1).pixels, 0u);
}

TEST(PlaneStats, FloatPlaneSkipsNaNInfinityAndNonPositive) {
    const std::vector<float> plane = {1.5f, NAN, -1.f, 0.f, 2.5f, INFINITY, 3.f, 4.f};
    const va::PlaneStats s = va::planeStats(plane.data(), 4, 2, {});
    EXPECT_EQ(s.valid, 4u);
    EXPECT_DOUBLE_EQ(s.mean, 2.75);
    EXPECT_DOUBLE_EQ(s.median, 2.75);
    EXPECT_NEAR(s.stddev, std::sqrt(0.8125), 1e-9);
    EXPECT_DOUBLE_EQ(s.min, 1.5);
    EXPECT_DOUBLE_EQ(s.max, 4.0);
}

// Values spread wider than the coarse bins go through the second, resolving pass.
TEST(PlaneStats, MedianIsExactForWideAndNarrowValueSpreads) {
    std::mt19937 rng(7);
    for (std::uint32_t top : {50u, 60000u, 963999u}) {
        for (std::size_t count : {1u, 2u, 999u, 1000u}) {
            std::uniform_int_distribution<std::uint32_t> value(1, top);
            std::vector<std::uint32_t> plane(count);
            for (auto& v : plane) v = value(rng);
            std::vector<std::uint32_t> sorted = plane;
            std::sort(sorted.begin(), sorted.end());
            const double expected = (double(sorted[(count - 1) / 2]) + sorted[count / 2]) / 2;
            const va::PlaneStats s = va::planeStats(plane.data(), int(count), 1, {});
            EXPECT_DOUBLE_EQ(s.median, expected) << "top " << top << " count " << count;

            const va::ValueRange r = va::percentileRange(plane.data(), count, 0.01, 0.99);
            const auto rank = [&](double share) {
                return sorted[std::max<std::size_t>(1, std::size_t(std::ceil(share * count))) - 1];
            };
            EXPECT_EQ(r.low, rank(0.01));
            EXPECT_EQ(r.high, rank(0.99));
        }
    }
}

TEST(PlaneStats, FloatMedianIsExactForClusteredAndSpreadValues) {
    std::mt19937 rng(11);
    for (double spread : {1e-3, 50.0, 1e6}) {
        for (std::size_t count : {2u, 3u, 4000u, 4001u}) {
            std::uniform_real_distribution<float> value(0.5f, 0.5f + float(spread));
            std::vector<float> plane(count);
            for (auto& v : plane) v = value(rng);
            plane[count / 2] = 7.0f;  // a few repeats
            plane[count / 3] = 7.0f;
            std::vector<float> sorted = plane;
            std::sort(sorted.begin(), sorted.end());
            const double expected =
                (double(sorted[(count - 1) / 2]) + double(sorted[count / 2])) / 2;
            EXPECT_DOUBLE_EQ(va::planeStats(plane.data(), int(count), 1, {}).median, expected)
                << "spread " << spread << " count " << count;
        }
    }
}

TEST(AutoRange, PercentilesIgnoreCodesAndSmoothingFollowsTheFrames) {
    std::vector<std::uint16_t> plane;
    for (std::uint16_t v = 1; v <= 200; ++v) plane.push_back(v);
    plane.insert(plane.end(), 50, va::kCodeSaturated);
    const va::ValueRange r =
        va::percentileRange(plane.data(), plane.size(), 0.01, 0.99, va::kAmplitudeInvalidFrom);
    EXPECT_EQ(r.low, 2);
    EXPECT_EQ(r.high, 198);
    EXPECT_FALSE(va::isKnown(
        va::percentileRange(plane.data() + 200, 50, 0.01, 0.99, va::kAmplitudeInvalidFrom)));

    va::AutoRange smooth(0.5);
    EXPECT_FALSE(va::isKnown(smooth.update({NAN, NAN})));
    const va::ValueRange first = smooth.update({0, 100});
    EXPECT_EQ(first.low, 0);
    EXPECT_EQ(first.high, 100);
    const va::ValueRange second = smooth.update({100, 200});
    EXPECT_EQ(second.low, 50);
    EXPECT_EQ(second.high, 150);
    const va::ValueRange kept = smooth.update({NAN, NAN});
    EXPECT_EQ(kept.low, 50);
    EXPECT_EQ(kept.high, 150);
}

TEST(Histogram, BinsMeasuredValuesAndCountsSaturatedAndWeakPixels) {
    const std::uint32_t noSignal = Movoda::kDistanceCodeOffset + va::kCodeNoSignal;
    const std::uint32_t saturated = Movoda::kDistanceCodeOffset + va::kCodeSaturated;
    const std::vector<std::uint32_t> distance = {1000, saturated, noSignal, 2000,
                                                 3000, 4000,      0,        5000};
    const std::vector<std::uint16_t> amplitude = {10, va::kCodeSaturated, 5, 100, 200, 300, 400,
                                                  500};
    struct Case {
        const char* name;
        va::ValueRange range;
        int binCount;
        std::vector<std::uint32_t> bins;
    } cases[] = {
        {"even bins", {0, 6000}, 3, {1, 2, 2}},
        {"outside the range to the edge bins", {2000, 4000}, 2, {2, 3}},
        {"unknown range takes the values' own", {NAN, NAN}, 4, {1, 1, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const va::Histogram h =
            va::histogramOf(distance.data(), 4, 2, {}, c.binCount, c.range, amplitude.data(), 50);
        EXPECT_EQ(h.bins, c.bins);
        EXPECT_EQ(h.total, 8u);
        EXPECT_DOUBLE_EQ(h.saturatedShare(), 1.0 / 8);
        EXPECT_DOUBLE_EQ(h.lowAmplitudeShare(), 2.0 / 8);  // the no-signal code and amplitude 10
    }

    // The amplitude plane on its own, in the right column only.
    const va::Histogram a =
        va::histogramOf(amplitude.data(), 4, 2, {3, 0, 1, 2}, 1, {0, 1000},
                        va::kAmplitudeInvalidFrom, false, amplitude.data(), 150);
    EXPECT_EQ(a.total, 2u);
    EXPECT_EQ(a.bins, std::vector<std::uint32_t>{2});
    EXPECT_EQ(a.lowAmplitude, 1u);  // 100
    EXPECT_EQ(a.saturated, 0u);
}
