// A daemon on a fake transport with a fast supervisor tick, and the events it delivered.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "FakeTransport.h"
#include "daemon/MvDaemon.h"

namespace vantory_test {

using namespace std::chrono_literals;

class DaemonFixture : public ::testing::Test {
protected:
    using EventPtr = std::shared_ptr<const Movoda::CBEventData>;

    void SetUp() override {
        auto fake = std::make_unique<FakeTransport>();
        fake_ = fake.get();
        // Each request is stamped with the connection state and the silent ticks at send time.
        fake_->marker = [this] { return (raw_->sdkState() << 16) | raw_->silentSeconds(); };
        Movoda::daemon::DaemonTiming timing = timing_;
        timing.tick = tick_;
        daemon_ = std::make_unique<Movoda::MvDaemon>(std::move(fake), nullptr, timing);
        raw_ = daemon_.get();
        daemon_->setEventCallback([this](const EventPtr& event) {
            std::lock_guard<std::mutex> lock(eventsMutex_);
            events_.push_back(event);
        });
    }

    void TearDown() override {
        daemon_->stop();
        daemon_.reset();
    }

    // Starts the daemon and brings it to "Connected" with one unsolicited packet.
    void startConnected() {
        daemon_->startup();
        ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == Movoda::SDK_TxRxVerifying; }));
        fake_->inject(FakeTransport::inner(7, {}, 0, 2));
        ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == Movoda::SDK_Connected; }));
    }

    std::vector<EventPtr> events() {
        std::lock_guard<std::mutex> lock(eventsMutex_);
        return events_;
    }
    std::vector<EventPtr> eventsNamed(const std::string& name) {
        std::vector<EventPtr> out;
        for (const auto& e : events()) {
            if (e->eventName == name) out.push_back(e);
        }
        return out;
    }
    // (state, id) of every "sdkState" event so far.
    std::vector<std::pair<int, int>> stateEvents() {
        std::vector<std::pair<int, int>> out;
        for (const auto& e : eventsNamed("sdkState")) {
            out.emplace_back(e->data.empty() ? -1 : e->data[0], e->cmdId);
        }
        return out;
    }
    bool waitForEvents(const std::string& name, size_t count) {
        return waitUntil([&] { return eventsNamed(name).size() >= count; });
    }

    // Supervisor tick; long enough that a test thread descheduled for a while does not
    // miss the state it waits for.
    std::chrono::milliseconds tick_ = 20ms;
    // Fast retries; a test may change them in its constructor.
    Movoda::daemon::DaemonTiming timing_ = [] {
        Movoda::daemon::DaemonTiming t;
        t.connectRetry = 20ms;
        t.endianFlipPause = 10ms;
        return t;
    }();
    FakeTransport* fake_ = nullptr;
    Movoda::MvDaemon* raw_ = nullptr;
    std::unique_ptr<Movoda::MvDaemon> daemon_;
    std::mutex eventsMutex_;
    std::vector<EventPtr> events_;
};

}  // namespace vantory_test
