#include <gtest/gtest.h>

#include "link/ReceivePacer.h"

using Movoda::ReceivePacer;
using Clock = ReceivePacer::Clock;
using namespace std::chrono_literals;

namespace {

constexpr size_t kDatagram = 1420;
constexpr size_t kBatch = 64;

// Feeds `count` datagrams `gap` apart starting at `start`; returns the last arrival.
Clock::time_point feed(ReceivePacer& pacer, Clock::time_point start, int count,
                       Clock::duration gap) {
    Clock::time_point at = start;
    for (int i = 0; i < count; ++i) {
        at = start + i * gap;
        pacer.onDatagram(at, kDatagram);
    }
    return at;
}

}  // namespace

// 1420 bytes every 5 us: 64 KB more are due about 231 us after the last arrival; the
// frame's tail is waited for only up to kWakeUpLead before it is due.
TEST(ReceivePacer, WaitsForTheGatherAmountOrForTheTailLessTheWakeUpLead) {
    ReceivePacer pacer;
    const Clock::time_point start{};
    const Clock::time_point last = feed(pacer, start, 40, 5us);
    const auto perByte = 5000.0 / kDatagram;  // ns

    const auto body = pacer.readAt(300000, 2, kBatch, last);
    ASSERT_TRUE(body);
    EXPECT_NEAR(double((*body - last).count()), perByte * ReceivePacer::kGatherBytes, 10.0);

    const uint32_t tailBytes = 40000;  // 141 us of data: woken 100 us early
    const auto tail = pacer.readAt(tailBytes, 2, kBatch, last);
    ASSERT_TRUE(tail);
    EXPECT_NEAR(double((*tail - last).count()),
                perByte * tailBytes - double(std::chrono::nanoseconds(ReceivePacer::kWakeUpLead).count()),
                10.0);

    // A tail due within the lead is read the moment it comes, without a wait.
    EXPECT_FALSE(pacer.readAt(20000, 2, kBatch, last));
    // The deadline is counted from the arrival, not from when the thread asks.
    EXPECT_FALSE(pacer.readAt(300000, 2, kBatch, last + 300us));
}

TEST(ReceivePacer, ReadsAtOnceWhenNothingIsInFlightOrTheRateIsUnknownOrTheThreadIsBehind) {
    ReceivePacer pacer;
    const Clock::time_point start{};
    Clock::time_point last = feed(pacer, start, int(ReceivePacer::kRateMinDatagrams), 5us);
    EXPECT_FALSE(pacer.readAt(300000, 1, kBatch, last)) << "rate from too few datagrams";
    last = feed(pacer, last + 5us, 1, 5us);
    EXPECT_TRUE(pacer.readAt(300000, 1, kBatch, last));
    EXPECT_FALSE(pacer.readAt(0, 1, kBatch, last)) << "no frame in flight";
    EXPECT_FALSE(pacer.readAt(300000, kBatch / 2, kBatch, last)) << "the last read was half full";
}

// The pause between two frames says nothing about how fast a frame arrives; a slow
// stream's wait is bounded.
TEST(ReceivePacer, GapsBetweenBurstsDoNotCountAndEveryWaitIsBounded) {
    ReceivePacer fast;
    Clock::time_point last = feed(fast, Clock::time_point{}, 30, 5us);
    last = feed(fast, last + 19ms, 30, 5us);
    const auto due = fast.readAt(300000, 1, kBatch, last);
    ASSERT_TRUE(due);
    EXPECT_LT(*due - last, 300us);

    ReceivePacer slow;
    last = feed(slow, Clock::time_point{}, 30, 900us);
    const auto capped = slow.readAt(300000, 1, kBatch, last);
    ASSERT_TRUE(capped);
    EXPECT_EQ(*capped - last, ReceivePacer::kMaxPause);
}
