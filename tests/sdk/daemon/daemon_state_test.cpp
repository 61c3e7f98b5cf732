#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <iostream>
#include <set>

#include "DaemonFixture.h"
#include "link/CmdSet.h"

using namespace Movoda;
using vantory_test::DaemonFixture;
using vantory_test::FakeTransport;
using vantory_test::waitUntil;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;
using StatePair = std::pair<int, int>;

namespace {

class DaemonStateTest : public DaemonFixture {
protected:
    DaemonStateTest() { tick_ = 50ms; }

    // Silent ticks at send time of the link checks sent while "Connected".
    std::vector<uint32_t> connectedLinkCheckTicks() {
        std::vector<uint32_t> ticks;
        for (const auto& s : fake_->sent()) {
            if (s.packet[8] == cmd::kLinkCheck && (s.mark >> 16) == SDK_Connected) {
                ticks.push_back(s.mark & 0xFFFF);
            }
        }
        return ticks;
    }
};

}  // namespace

TEST_F(DaemonStateTest, NothingRunsBeforeStartup) {
    EXPECT_EQ(daemon_->sdkState(), SDK_NotStartup);
    EXPECT_EQ(fake_->connects.load(), 0);
}

TEST_F(DaemonStateTest, FirstConnectedAfterPortOpeningCarries254) {
    startConnected();
    ASSERT_TRUE(waitForEvents("sdkState", 3));
    EXPECT_EQ(stateEvents(),
              (std::vector<StatePair>{
                  {SDK_PortOpening, 255}, {SDK_TxRxVerifying, 255}, {SDK_Connected, 254}}));
    EXPECT_EQ(fake_->sentIds().front(), cmd::kLinkCheck) << "link check right after opening";

    // More packets do not repeat the event.
    fake_->inject(FakeTransport::inner(8));
    ASSERT_TRUE(waitUntil([&] { return eventsNamed("data").size() >= 2; }));
    EXPECT_EQ(stateEvents().size(), 3u);

    // A dropped channel goes through PortOpening again, so the next Connected is 254 again.
    fake_->disconnect();
    ASSERT_TRUE(waitUntil([&] { return fake_->connects.load() == 2; }));
    ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == SDK_TxRxVerifying; }));
    fake_->inject(FakeTransport::inner(7));
    ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == SDK_Connected; }));
    ASSERT_TRUE(waitUntil([&] { return stateEvents().back() == StatePair(SDK_Connected, 254); }));
    const auto states = stateEvents();
    // Between the two connections: PortOpening, then TxRxVerifying right before Connected.
    const std::vector<StatePair> afterDrop(states.begin() + 3, states.end());
    ASSERT_GE(afterDrop.size(), 3u);
    EXPECT_NE(std::find(afterDrop.begin(), afterDrop.end(), StatePair(SDK_PortOpening, 255)),
              afterDrop.end());
    EXPECT_EQ(afterDrop[afterDrop.size() - 2], StatePair(SDK_TxRxVerifying, 255));
    for (size_t i = 0; i + 1 < afterDrop.size(); ++i) EXPECT_NE(afterDrop[i].first, SDK_Connected);
    EXPECT_EQ(fake_->connects.load(), 2);
}

TEST_F(DaemonStateTest, SilenceDropsToVerifyingAfterOneLinkCheckAtThreeTicks) {
    startConnected();
    ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == SDK_TxRxVerifying; }));
    const auto marks = connectedLinkCheckTicks();
    EXPECT_EQ(marks, (std::vector<uint32_t>{3, 3, 3, 3})) << "one exchange of four tries at 3";

    // Reconnecting without PortOpening reports Connected with 255.
    fake_->inject(FakeTransport::inner(7));
    ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == SDK_Connected; }));
    ASSERT_TRUE(waitForEvents("sdkState", 5));
    EXPECT_EQ(stateEvents().back(), StatePair(SDK_Connected, 255));
    EXPECT_TRUE(fake_->isConnected()) << "silence alone does not close the channel";
}

TEST_F(DaemonStateTest, LongOperationStretchesTheSilenceLimitTo30Ticks) {
    startConnected();
    fake_->setResponder([](const Bytes& request) -> std::vector<Bytes> {
        if (request[0] == cmd::kCalibrateOne) return {FakeTransport::inner(cmd::kCalibrateOne)};
        return {};
    });
    ASSERT_TRUE(daemon_->transceiveCmd(cmd::kCalibrateOne, {0}, 1000).ok());
    const size_t before = connectedLinkCheckTicks().size();
    ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == SDK_TxRxVerifying; }, 30s));
    auto marks = connectedLinkCheckTicks();
    marks.erase(marks.begin(), marks.begin() + std::ptrdiff_t(before));
    ASSERT_EQ(marks.size(), 8u);
    EXPECT_EQ(std::set<uint32_t>(marks.begin(), marks.end()), (std::set<uint32_t>{30, 31}));
    EXPECT_TRUE(daemon_->longOperationFlag()) << "unanswered checks leave the flag";
}

TEST_F(DaemonStateTest, SilentCameraStaysVerifyingWhileProbed) {
    daemon_->startup();
    // The check right after opening, then exchanges of four tries every fourth tick.
    ASSERT_TRUE(waitUntil([&] { return fake_->sent().size() >= 5; }, 20s));
    for (uint8_t id : fake_->sentIds()) EXPECT_EQ(id, cmd::kLinkCheck);
    EXPECT_EQ(daemon_->sdkState(), SDK_TxRxVerifying) << "sending alone never connects";
    EXPECT_TRUE(eventsNamed("data").empty());
    EXPECT_EQ(fake_->connects.load(), 1);
}

TEST_F(DaemonStateTest, DeviceStateEventsAndClamp) {
    startConnected();
    ASSERT_TRUE(waitForEvents("devState", 1));
    EXPECT_EQ(daemon_->devState(), 2);
    fake_->inject(FakeTransport::inner(7, {}, 0, 2));  // unchanged: no event
    fake_->inject(FakeTransport::inner(7, {}, 0, 5));
    const Bytes splitTrailer{7, 0x00, 40, 0x03};  // type 3, state 40
    fake_->inject(splitTrailer);
    ASSERT_TRUE(waitForEvents("devState", 3));
    const auto dev = eventsNamed("devState");
    ASSERT_EQ(dev.size(), 3u);
    EXPECT_EQ(dev[0]->data, Bytes{2});
    EXPECT_EQ(dev[1]->data, Bytes{5});
    EXPECT_EQ(dev[2]->data, Bytes{27});
    for (const auto& e : dev) {
        EXPECT_EQ(e->cmdId, 255);
        EXPECT_EQ(e->reportByte, 0);
    }
    EXPECT_EQ(daemon_->devState(), 27);
}

namespace {
struct HookProbe {
    std::atomic<bool> entered{false};
    std::atomic<bool> sawImmediate{false};
    std::atomic<int> calls{0};
};
void blockingHook(std::shared_ptr<const CBEventData> event, void* user) {
    auto* probe = static_cast<HookProbe*>(user);
    if (event->cmdId != kEventIdFirstConnected) return;
    probe->calls.fetch_add(1);
    probe->entered = true;
    // Hold the event thread until the immediate report got through on its own.
    waitUntil([&] { return probe->sawImmediate.load(); }, std::chrono::seconds(5));
}
}  // namespace

TEST_F(DaemonStateTest, Report157BypassesABlockedEventQueue) {
    HookProbe probe;
    daemon_->setInternalEventHook(&blockingHook, &probe);
    daemon_->setEventCallback([&](const EventPtr& event) {
        if (event->cmdId == cmd::kImmediateReport) probe.sawImmediate = true;
        std::lock_guard<std::mutex> lock(eventsMutex_);
        events_.push_back(event);
    });
    startConnected();
    ASSERT_TRUE(waitUntil([&] { return probe.entered.load(); }));
    fake_->inject(FakeTransport::inner(cmd::kImmediateReport, {1, 2}, 0, 2));
    EXPECT_TRUE(waitUntil([&] { return probe.sawImmediate.load(); }, std::chrono::seconds(3)));
    ASSERT_TRUE(waitForEvents("sdkState", 3));  // the queue moves on afterwards
    EXPECT_EQ(probe.calls.load(), 1);
    daemon_->stop();  // the callbacks refer to this test's locals
}

TEST_F(DaemonStateTest, UdpReportBecomesDataEvent) {
    daemon_->startup();
    EXPECT_FALSE(daemon_->deliverUdpReport({252, 1, 3}));
    EXPECT_FALSE(daemon_->deliverUdpReport({7, 1, 2, 3}));
    EXPECT_TRUE(daemon_->deliverUdpReport({252, 0xA, 0xB, 0xC, 0x05, 0x02, 0x03}));
    ASSERT_TRUE(waitUntil([&] { return !eventsNamed("data").empty(); }));
    const auto data = eventsNamed("data");
    EXPECT_EQ(data[0]->cmdId, 252);
    EXPECT_EQ(data[0]->reportByte, 5);
    EXPECT_EQ(data[0]->data, (Bytes{0xA, 0xB, 0xC}));
}

TEST_F(DaemonStateTest, ConnectAddressSelection) {
    EXPECT_FALSE(daemon_->setConnectAddress("camera.local"));
    EXPECT_FALSE(daemon_->setConnectAddress("COM3")) << "no USB transport in this daemon";
    EXPECT_TRUE(daemon_->setConnectAddress("127.0.0.5"));
    EXPECT_EQ(fake_->getAddress(), "127.0.0.5");
    EXPECT_TRUE(daemon_->isNet());
    EXPECT_EQ(fake_->disconnects.load(), 0) << "nothing to reopen before startup";

    startConnected();
    const int connectsBefore = fake_->connects.load();
    EXPECT_TRUE(daemon_->setConnectAddress("127.0.0.5"));
    EXPECT_EQ(fake_->disconnects.load(), 0) << "same address: nothing happens";
    EXPECT_TRUE(daemon_->setConnectAddress("127.0.0.6"));
    EXPECT_TRUE(waitUntil([&] { return fake_->connects.load() > connectsBefore; }));
    EXPECT_EQ(fake_->getAddress(), "127.0.0.6");
}

TEST_F(DaemonStateTest, PipelineSeams) {
    std::mutex mutex;
    std::vector<Bytes> frames;
    std::vector<std::string> sources;
    std::atomic<int> ensureCalls{0};
    std::atomic<bool> sawNet{false};
    std::atomic<int> stopCalls{0};
    PipelineHooks hooks;
    hooks.ensureRunning = [&](bool isNet) {
        ensureCalls.fetch_add(1);
        if (isNet) sawNet = true;
    };
    hooks.stop = [&] { stopCalls.fetch_add(1); };
    hooks.frameIntake = [&](const Bytes& inner, const std::string& source) {
        std::lock_guard<std::mutex> lock(mutex);
        frames.push_back(inner);
        sources.push_back(source);
        return true;
    };
    daemon_->setPipelineHooks(hooks);
    startConnected();
    const Bytes frame = FakeTransport::inner(cmd::kFrame, Bytes(64, 0x33));
    fake_->inject(frame);
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return !frames.empty();
    }));
    {
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(frames[0], frame);
        EXPECT_EQ(sources[0], "cmd");
    }
    EXPECT_GT(ensureCalls.load(), 0);
    EXPECT_TRUE(sawNet.load());
    for (const auto& e : eventsNamed("data"))
        EXPECT_NE(e->cmdId, cmd::kFrame) << "frames are no events";
    daemon_->stop();
    EXPECT_EQ(stopCalls.load(), 1);
    daemon_->stop();
    EXPECT_EQ(stopCalls.load(), 1);
}

// Reports pile up behind a stuck event callback: the newest are kept, nothing else is
// dropped, and the drops are counted.
TEST_F(DaemonStateTest, SlowEventCallbackCostsOldReportsOnly) {
    fake_->allowConnect = false;
    std::mutex mutex;
    std::condition_variable released;
    bool hold = true;
    std::atomic<bool> entered{false};
    std::vector<EventPtr> seen;
    daemon_->setEventCallback([&](const EventPtr& event) {
        std::unique_lock<std::mutex> lock(mutex);
        seen.push_back(event);
        if (event->cmdId == cmd::kDataReport && event->data.at(0) == 0) {
            entered = true;
            released.wait_for(lock, 10s, [&] { return !hold; });
        }
    });
    daemon_->startup();
    const auto report = [&](uint8_t n) { daemon_->deliverUdpReport({252, n, 0, 2, 3}); };
    report(0);
    ASSERT_TRUE(waitUntil([&] { return entered.load(); }));
    for (uint8_t n = 1; n <= 100; ++n) {
        report(n);
        if (n == 50) daemon_->updateDevState(5);
    }
    EXPECT_EQ(daemon_->reportsDropped(), 100 - daemon::kMaxQueuedReports);
    {
        std::lock_guard<std::mutex> lock(mutex);
        hold = false;
    }
    released.notify_all();
    const auto reportsSeen = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return std::count_if(seen.begin(), seen.end(),
                             [](const EventPtr& e) { return e->cmdId == cmd::kDataReport; });
    };
    ASSERT_TRUE(waitUntil([&] { return reportsSeen() == 1 + long(daemon::kMaxQueuedReports); }));
    daemon_->stop();
    std::vector<int> reports;
    int devStates = 0;
    for (const auto& e : seen) {
        if (e->cmdId == cmd::kDataReport) reports.push_back(e->data[0]);
        if (e->eventName == "devState") ++devStates;
    }
    ASSERT_EQ(reports.size(), 1 + daemon::kMaxQueuedReports);
    EXPECT_EQ(reports[1], 101 - int(daemon::kMaxQueuedReports));  // the newest survived
    EXPECT_EQ(devStates, 1);
}

// A peer that accepts the connection and closes it at once is retried after a pause that
// doubles, not in a tight loop.
TEST_F(DaemonStateTest, LinkThatClosesAtOnceIsRetriedWithBackOff) {
    fake_->closeOnReceive = true;
    daemon_->startup();
    ASSERT_TRUE(waitUntil([&] { return daemon_->reconnectDelay() >= 800ms; }, 5s));
    // 100 + 200 + 400 ms of pauses went by, so only a handful of tries were made.
    EXPECT_LE(fake_->connects.load(), 6);
    EXPECT_GE(fake_->connects.load(), 4);
    fake_->closeOnReceive = false;
    ASSERT_TRUE(waitUntil(
        [&] { return daemon_->sdkState() == SDK_TxRxVerifying && fake_->isConnected(); }, 5s));
}
