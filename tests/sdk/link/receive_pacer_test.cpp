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

// A tail due within kTailPoll is looked for without blocking until a little after it is
// due; one due later, or no tail at all, is not.
TEST(ReceivePacer, LooksForATailThatIsDueWithoutBlocking) {
    ReceivePacer pacer;
    const Clock::time_point last = feed(pacer, Clock::time_point{}, 40, 5us);
    const auto perByte = 5000.0 / kDatagram;  // ns

    const uint32_t soon = 20000;  // due 70 us after the last arrival
    const auto until = pacer.pollTailUntil(soon, last);
    ASSERT_TRUE(until);
    EXPECT_NEAR(double((*until - last).count()),
                perByte * soon + double(std::chrono::nanoseconds(ReceivePacer::kTailSlack).count()),
                10.0);

    const uint32_t later = 60000;  // due 211 us after it: first a wait, then the look
    EXPECT_FALSE(pacer.pollTailUntil(later, last));
    const auto afterWait = pacer.pollTailUntil(later, last + 120us);
    ASSERT_TRUE(afterWait);
    EXPECT_LE(*afterWait - (last + 120us), ReceivePacer::kTailPoll);

    // A tail already overdue gets one look, then the blocking read.
    EXPECT_EQ(pacer.pollTailUntil(soon, last + 5ms), last + 5ms);

    EXPECT_FALSE(pacer.pollTailUntil(0, last)) << "nothing in flight";
    EXPECT_FALSE(pacer.pollTailUntil(ReceivePacer::kGatherBytes + 1, last)) << "not the tail";
    EXPECT_FALSE(ReceivePacer().pollTailUntil(soon, last)) << "rate unknown";
}
