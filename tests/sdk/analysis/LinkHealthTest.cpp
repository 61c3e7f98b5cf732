// Link health from synthetic counter snapshots: rates and loss over the window, the amber
// threshold, latency percentiles, the sliding base and counters that start again.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/LinkHealth.h"

namespace va = vantory::analysis;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr std::uint64_t kPayload = 1400;
constexpr std::uint64_t kHeader = 20;

// Counters after `frames` frames of which the datagrams `lost` never arrived.
Movoda::MvStreamStats after(std::uint64_t frames, std::uint64_t received, std::uint64_t lost) {
    Movoda::MvStreamStats s;
    s.framesDelivered = frames;
    s.udpDatagramsReceived = received;
    s.udpBytesReceived = received * (kHeader + kPayload);
    s.udpBytesMissing = lost * kPayload;
    s.udpFramesEvicted = lost;  // one datagram short each
    s.rawDiscarded = 2;
    s.imageDiscarded = 1;
    return s;
}

}  // namespace

TEST(LinkHealth, LossShareAndAmberFromTwoSnapshots) {
    struct Case {
        std::uint64_t received, lost;
        double share;
        bool amber;
    } cases[] = {
        {10000, 0, 0.0, false},
        {9900, 100, 0.01, false},  // exactly 1 % is still fine
        {9800, 200, 0.02, true},
    };
    const auto t0 = std::chrono::steady_clock::time_point{} + seconds(100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lost);
        va::LinkHealth health;
        health.add(t0, Movoda::MvStreamStats{});
        health.add(t0 + seconds(10), after(500, c.received, c.lost));
        const va::LinkHealthFigures f = health.figures();
        EXPECT_DOUBLE_EQ(f.seconds, 10.0);
        EXPECT_DOUBLE_EQ(f.fps, 50.0);
        EXPECT_EQ(f.datagramsLost, c.lost);
        EXPECT_EQ(f.framesEvicted, c.lost);
        EXPECT_NEAR(f.lossShare, c.share, 1e-12);
        EXPECT_EQ(f.amber, c.amber);
        EXPECT_EQ(f.queueDrops, 3u);
        EXPECT_TRUE(std::isnan(f.latencyMedianMs));  // no frame went through the histogram
    }
}

TEST(LinkHealth, LatencyPercentilesAndTheSlidingWindow) {
    const auto t0 = std::chrono::steady_clock::time_point{} + seconds(100);
    va::LinkHealth health;
    Movoda::MvStreamStats s;
    health.add(t0, s);
    s.framesDelivered = 100;
    s.sdkLatency[2] = 90;   // 20..30 us
    s.sdkLatency[10] = 10;  // 100..110 us
    health.add(t0 + seconds(5), s);
    s.framesDelivered = 700;
    health.add(t0 + seconds(12), s);
    va::LinkHealthFigures f = health.figures();
    EXPECT_DOUBLE_EQ(f.seconds, 12.0);  // the base is the newest snapshot a window old
    EXPECT_NEAR(f.latencyMedianMs, 0.03, 1e-12);
    EXPECT_NEAR(f.latencyP99Ms, 0.11, 1e-12);

    // Snapshots closer than the spacing replace the newest one.
    s.framesDelivered = 800;
    health.add(t0 + seconds(16), s);
    health.add(t0 + seconds(16) + milliseconds(10), s);
    f = health.figures();
    EXPECT_NEAR(f.seconds, 11.01, 1e-9);  // from t0 + 5 s
    EXPECT_NEAR(f.fps, 700 / 11.01, 1e-9);
    EXPECT_TRUE(std::isnan(f.latencyMedianMs));  // nothing new since t0 + 5 s

    // The SDK was created again: its counters start from zero.
    Movoda::MvStreamStats fresh;
    fresh.framesDelivered = 20;
    health.add(t0 + seconds(17), fresh);
    EXPECT_NEAR(health.figures().fps, 20 / 12.0, 1e-9);
}
