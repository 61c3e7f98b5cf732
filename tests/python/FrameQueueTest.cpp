// The hand-off between the SDK's delivery thread and Python readers.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "FrameQueue.h"

namespace {

using vantory_py::DeliveredFrame;
using vantory_py::FrameQueue;

DeliveredFrame frameNumbered(uint64_t id) {
    return {std::make_shared<const Movoda::Frame>(0, id, 4, 2), int64_t(id)};
}

FrameQueue::Clock::time_point in(std::chrono::milliseconds ms) {
    return FrameQueue::Clock::now() + ms;
}

TEST(FrameQueueTest, FullQueueDropsTheOldestAndCountsIt) {
    FrameQueue queue(3);
    for (uint64_t id = 1; id <= 5; ++id) queue.push(frameNumbered(id));
    EXPECT_EQ(queue.dropped(), 2u);
    DeliveredFrame out;
    for (uint64_t id = 3; id <= 5; ++id) {
        ASSERT_EQ(queue.pop(out, in(std::chrono::milliseconds(0))), FrameQueue::PopResult::Frame);
        EXPECT_EQ(out.frame->frameId(), id);
    }
    EXPECT_EQ(queue.pop(out, in(std::chrono::milliseconds(20))), FrameQueue::PopResult::TimedOut);
}

TEST(FrameQueueTest, CloseWakesAnUnboundedWaiterAndDropsWhatWaits) {
    FrameQueue queue(2);
    auto waiter = std::async(std::launch::async, [&queue] {
        DeliveredFrame out;
        return queue.pop(out, FrameQueue::Clock::time_point::max());
    });
    ASSERT_EQ(waiter.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    queue.close();
    ASSERT_EQ(waiter.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(waiter.get(), FrameQueue::PopResult::Closed);

    std::weak_ptr<const Movoda::Frame> late;
    {
        DeliveredFrame item = frameNumbered(9);
        late = item.frame;
        queue.push(std::move(item));  // after close: refused, not kept
    }
    EXPECT_TRUE(late.expired());
    DeliveredFrame out;
    EXPECT_EQ(queue.pop(out, in(std::chrono::milliseconds(0))), FrameQueue::PopResult::Closed);
}

}  // namespace
