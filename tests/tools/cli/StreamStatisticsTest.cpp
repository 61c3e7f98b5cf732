#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "StreamStatistics.h"

namespace vantory_cli {
namespace {

// Reference: sort, then index.
double sortedPercentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(v.size())));
    if (rank < 1) rank = 1;
    return v[rank - 1];
}

TEST(Median, OddEvenAndEmpty) {
    EXPECT_FALSE(median({}));
    EXPECT_DOUBLE_EQ(*median({7}), 7);
    EXPECT_DOUBLE_EQ(*median({3, 1, 2}), 2);
    EXPECT_DOUBLE_EQ(*median({4, 1, 3, 2}), 2.5);        // mean of the middle two
    EXPECT_DOUBLE_EQ(*median({10, -10}), 0);
    EXPECT_DOUBLE_EQ(*median({5, 5, 5, 1, 9, 9}), 5);    // ties
}

TEST(Percentile, NearestRankAtTheEdges) {
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);  // reversed on purpose
    EXPECT_DOUBLE_EQ(*percentile(hundred, 99), 99);
    EXPECT_DOUBLE_EQ(*percentile(hundred, 100), 100);
    EXPECT_DOUBLE_EQ(*percentile(hundred, 0), 1);          // the smallest, not index -1
    EXPECT_DOUBLE_EQ(*percentile(hundred, 50), 50);
    EXPECT_DOUBLE_EQ(*percentile(hundred, 99.5), 100);
    EXPECT_DOUBLE_EQ(*percentile(hundred, 150), 100);      // clamped
    EXPECT_DOUBLE_EQ(*percentile(hundred, -3), 1);
    EXPECT_FALSE(percentile(hundred, std::nan("")));
    EXPECT_FALSE(percentile({}, 99));
    // With fewer than 100 samples the 99th percentile is the maximum: one slow frame shows.
    EXPECT_DOUBLE_EQ(*percentile({1, 1, 1, 1, 1, 1, 1, 1, 1, 42}, 99), 42);
}

TEST(Percentile, BinnedCountsGiveTheUpperEdgeOfTheRankBin) {
    const std::vector<uint64_t> counts = {0, 2, 0, 1};  // bins of 0.01; the last is open
    EXPECT_DOUBLE_EQ(*binnedPercentile(counts, 0.01, 50), 0.02);
    EXPECT_DOUBLE_EQ(*binnedPercentile(counts, 0.01, 0), 0.02);
    EXPECT_DOUBLE_EQ(*binnedPercentile(counts, 0.01, 99), 0.03);  // lower edge of the open bin
    EXPECT_DOUBLE_EQ(*binnedPercentile({5, 0}, 0.01, 99), 0.01);
    EXPECT_FALSE(binnedPercentile({0, 0}, 0.01, 50));
    EXPECT_FALSE(binnedPercentile(counts, 0.01, std::nan("")));
}

TEST(Percentile, MatchesSortingOnRandomData) {
    std::mt19937 rng(12345);
    std::exponential_distribution<double> latency(0.7);
    for (size_t n : {1u, 2u, 3u, 50u, 99u, 100u, 101u, 3000u}) {
        std::vector<double> v(n);
        for (double& x : v) x = latency(rng);
        for (double p : {1.0, 50.0, 90.0, 99.0}) {
            EXPECT_DOUBLE_EQ(*percentile(v, p), sortedPercentile(v, p)) << n << " " << p;
        }
        std::vector<double> sorted = v;
        std::sort(sorted.begin(), sorted.end());
        const double expectedMedian =
            n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
        EXPECT_DOUBLE_EQ(*median(v), expectedMedian) << n;
    }
}

// Organised cloud of x, y, z, intensity with z = f(column, row).
class CentralDepth : public ::testing::Test {
protected:
    static constexpr size_t kStride = 4;
    void makeCloud(uint16_t width, uint16_t height, float (*depth)(int, int)) {
        w = width;
        h = height;
        cloud.assign(static_cast<size_t>(w) * h * kStride, 0.0f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) cloud[(static_cast<size_t>(y) * w + x) * kStride + 2] = depth(x, y);
    }
    std::optional<double> centre(uint16_t window = 21) {
        return centralMedianZ(cloud.data(), cloud.size() / kStride, kStride, w, h, window);
    }
    std::vector<float> cloud;
    uint16_t w = 0, h = 0;
};

TEST_F(CentralDepth, UsesOnlyTheCentralWindow) {
    // 1500 inside columns 150..170 and rows 110..130 of a 320 x 240 frame, 9000 outside.
    makeCloud(320, 240, [](int x, int y) {
        return (x >= 150 && x <= 170 && y >= 110 && y <= 130) ? 1500.0f : 9000.0f;
    });
    EXPECT_DOUBLE_EQ(*centre(), 1500.0);
}

TEST_F(CentralDepth, WindowIsCentredExactly) {
    // z = column index: the window 150..170 has median 160; one column off would give 159 or 161.
    makeCloud(320, 240, [](int x, int) { return static_cast<float>(x); });
    EXPECT_DOUBLE_EQ(*centre(), 160.0);
    makeCloud(320, 240, [](int, int y) { return static_cast<float>(y); });
    EXPECT_DOUBLE_EQ(*centre(), 120.0);
}

TEST_F(CentralDepth, SkipsPointsWithoutMeasurement) {
    // Two thirds of the centre dropped (NaN), the rest at 800.
    makeCloud(320, 240, [](int x, int) {
        return x % 3 == 0 ? 800.0f : std::numeric_limits<float>::quiet_NaN();
    });
    EXPECT_DOUBLE_EQ(*centre(), 800.0);
    makeCloud(320, 240, [](int, int) { return std::numeric_limits<float>::quiet_NaN(); });
    EXPECT_FALSE(centre());
}

TEST_F(CentralDepth, SmallAndBinnedImagesStayInside) {
    // A binned 160 x 120 image, and images smaller than the window: no read outside.
    makeCloud(160, 120, [](int x, int) { return static_cast<float>(x); });
    EXPECT_DOUBLE_EQ(*centre(), 80.0);
    makeCloud(5, 3, [](int x, int y) { return static_cast<float>(x + 10 * y); });
    EXPECT_DOUBLE_EQ(*centre(), 12.0);  // every point: 0..4, 10..14, 20..24
    makeCloud(1, 1, [](int, int) { return 42.0f; });
    EXPECT_DOUBLE_EQ(*centre(), 42.0);
}

TEST_F(CentralDepth, RefusesACloudSmallerThanTheImage) {
    makeCloud(320, 240, [](int, int) { return 1.0f; });
    EXPECT_FALSE(centralMedianZ(cloud.data(), 320 * 240 - 1, kStride, 320, 240, 21));
    EXPECT_FALSE(centralMedianZ(nullptr, 0, kStride, 320, 240, 21));
    EXPECT_FALSE(centralMedianZ(cloud.data(), 320 * 240, kStride, 0, 240, 21));
}

TEST(FrameGapCounter, CountsMissingNumbersAcrossTheWrap) {
    struct Step {
        uint32_t number;
        uint32_t missing;
    };
    const Step steps[] = {
        {65530, 0},  // first frame: nothing to compare with
        {65531, 0}, {65533, 1}, {65535, 1},
        {0, 0},      // wrap without a loss
        {3, 2},      // 1 and 2 lost
        {3, 0},      // the same frame again
        {2, 0},      // a late frame: not a loss of 65535
        {4, 0},      // counting goes on from 3, the newest
        {65535, 0},  // 5 behind 4 across the wrap: late as well
        {5, 0},
        {40000, 0},  // a jump of half the range or more is a restart, not 39994 losses
        {40002, 1},
        {39000, 0},  // a backward jump beyond the late window is a restart too
        {39001, 0},
    };
    FrameGapCounter counter;
    uint64_t total = 0;
    for (const Step& s : steps) {
        EXPECT_EQ(counter.observe(s.number), s.missing) << "at " << s.number;
        total += s.missing;
    }
    EXPECT_EQ(counter.totalMissing(), total);
    counter.reset();
    EXPECT_EQ(counter.totalMissing(), 0u);
    EXPECT_EQ(counter.observe(100), 0u);
}

}  // namespace
}  // namespace vantory_cli
