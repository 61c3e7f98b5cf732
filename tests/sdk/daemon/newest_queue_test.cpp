#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "daemon/NewestQueue.h"

using Movoda::NewestQueue;
using namespace std::chrono_literals;

namespace {

constexpr auto kDeadline = 5s;  // generous bound for waits that must succeed

TEST(NewestQueue, LaterPushReplacesUnreadItemAndSaysSo) {
    NewestQueue<int> q;
    EXPECT_FALSE(q.push(1));
    EXPECT_TRUE(q.push(2));
    EXPECT_TRUE(q.push(3));
    EXPECT_EQ(q.tryPop(), 3);
    EXPECT_EQ(q.tryPop(), std::nullopt);
    EXPECT_FALSE(q.push(4));  // the slot was emptied by the pop
    EXPECT_EQ(q.pushedCount(), 4u);
    EXPECT_EQ(q.replacedCount(), 2u);
}

TEST(NewestQueue, ReplacedItemIsReleasedAtOnce) {
    NewestQueue<std::shared_ptr<int>> q;
    auto first = std::make_shared<int>(1);
    std::weak_ptr<int> watch = first;
    q.push(std::move(first));
    q.push(std::make_shared<int>(2));
    EXPECT_TRUE(watch.expired());
    auto got = q.tryPop();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(**got, 2);
}

TEST(NewestQueue, MoveOnlyItemsPassThrough) {
    NewestQueue<std::unique_ptr<int>> q;
    q.push(std::make_unique<int>(7));
    auto got = q.popWait(10ms);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(**got, 7);
}

TEST(NewestQueue, PopWaitTimesOutOnEmptyQueue) {
    NewestQueue<int> q;
    const auto start = NewestQueue<int>::Clock::now();
    EXPECT_EQ(q.popWait(30ms), std::nullopt);
    EXPECT_GE(NewestQueue<int>::Clock::now() - start, 30ms);
    EXPECT_EQ(q.popUntil(NewestQueue<int>::Clock::now() - 1s), std::nullopt);
}

TEST(NewestQueue, WaiterWakesForAPushFromAnotherThread) {
    NewestQueue<int> q;
    auto waiter = std::async(std::launch::async, [&] { return q.popWait(kDeadline); });
    q.push(42);
    ASSERT_EQ(waiter.wait_for(kDeadline), std::future_status::ready);
    EXPECT_EQ(waiter.get(), 42);
}

TEST(NewestQueue, CloseWakesEveryWaiterAndDropsTheItem) {
    NewestQueue<int> q;
    std::vector<std::future<std::optional<int>>> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.push_back(std::async(std::launch::async, [&] { return q.pop(); }));
    std::this_thread::sleep_for(20ms);  // lets them block; correctness does not depend on it
    q.close();
    for (auto& w : waiters) {
        ASSERT_EQ(w.wait_for(kDeadline), std::future_status::ready);
        EXPECT_EQ(w.get(), std::nullopt);
    }

    NewestQueue<int> held;
    held.push(5);
    held.close();
    held.close();
    EXPECT_TRUE(held.closed());
    EXPECT_EQ(held.tryPop(), std::nullopt);
    EXPECT_FALSE(held.push(6));
    EXPECT_TRUE(held.empty());
    EXPECT_EQ(held.pushedCount(), 1u);
}

TEST(NewestQueue, ReopenAcceptsItemsAgain) {
    NewestQueue<int> q;
    q.close();
    q.reopen();
    EXPECT_FALSE(q.closed());
    q.push(9);
    EXPECT_EQ(q.pop(), 9);
    q.push(10);
    q.clear();
    EXPECT_EQ(q.tryPop(), std::nullopt);
    EXPECT_FALSE(q.closed());
}

// A fast producer and a slow consumer: the consumer sees a rising sequence that ends
// with the last item, and every item was either taken or reported as replaced.
TEST(NewestQueue, SlowConsumerGetsNewestAndNothingIsLostUnreported) {
    NewestQueue<int> q;
    constexpr int kItems = 20000;
    std::promise<void> lastSeen;
    auto consumer = std::async(std::launch::async, [&] {
        std::vector<int> seen;
        while (auto item = q.pop()) {
            seen.push_back(*item);
            if (*item == kItems) lastSeen.set_value();
            if (seen.size() % 64 == 0) std::this_thread::sleep_for(100us);
        }
        return seen;
    });
    uint64_t replaced = 0;
    for (int i = 1; i <= kItems; ++i) replaced += q.push(i) ? 1 : 0;
    ASSERT_EQ(lastSeen.get_future().wait_for(kDeadline), std::future_status::ready);
    q.close();
    ASSERT_EQ(consumer.wait_for(kDeadline), std::future_status::ready);
    const std::vector<int> seen = consumer.get();

    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), kItems);
    for (size_t i = 1; i < seen.size(); ++i) ASSERT_LT(seen[i - 1], seen[i]);
    EXPECT_EQ(seen.size() + replaced, static_cast<size_t>(kItems));
    EXPECT_EQ(q.replacedCount(), replaced);
}

}  // namespace
