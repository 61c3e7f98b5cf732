// The daemon on its real network transport against a loopback camera.
#include <gtest/gtest.h>

#include <mutex>

#include "FakeTransport.h"  // waitUntil
#include "LoopbackPeer.h"
#include "daemon/MvDaemon.h"
#include "link/CmdSet.h"

using namespace Movoda;
using vantory_test::LoopbackPeer;
using vantory_test::waitUntil;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

constexpr const char* kCameraAddress = "127.0.0.12";

class DaemonNetTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Answers each request with status 0, device state 2 and the id as payload.
        peer_.setResponder([](const Bytes& inner) {
            return LoopbackPeer::response(inner[0], {inner[0], 0x5A}, 0, 2, false);
        });
        daemon_.setEventCallback([this](const std::shared_ptr<const CBEventData>& event) {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
        });
        daemon_.setImagePort(9612);
    }
    std::vector<std::pair<int, int>> connectedEvents() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::pair<int, int>> out;
        for (const auto& e : events_) {
            if (e->eventName == "sdkState" && e->data.at(0) == SDK_Connected) {
                out.emplace_back(e->data[0], e->cmdId);
            }
        }
        return out;
    }
    std::vector<std::shared_ptr<const CBEventData>> dataEvents(uint8_t id) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::shared_ptr<const CBEventData>> out;
        for (const auto& e : events_) {
            if (e->eventName == "data" && e->cmdId == id) out.push_back(e);
        }
        return out;
    }

    void TearDown() override { daemon_.stop(); }

    // The daemon is declared last so that its threads end before what they write to.
    LoopbackPeer peer_{kCameraAddress};
    std::mutex mutex_;
    std::vector<std::shared_ptr<const CBEventData>> events_;
    MvDaemon daemon_;
};

}  // namespace

TEST_F(DaemonNetTest, ConnectsExchangesAndReconnectsAfterADrop) {
    ASSERT_TRUE(daemon_.setConnectAddress(kCameraAddress));
    daemon_.startup();
    ASSERT_TRUE(waitUntil([&] { return daemon_.isConnected(); }, 15s));
    ASSERT_TRUE(waitUntil([&] { return connectedEvents().size() == 1; }));
    EXPECT_EQ(connectedEvents()[0].second, 254);

    CmdResult result = daemon_.transceiveCmd(cmd::kGetDevInfo, {}, 2000);
    EXPECT_EQ(result.status, CMD_OK);
    EXPECT_EQ(result.payload, (Bytes{cmd::kGetDevInfo, 0x5A}));

    // A report and the response in one segment: both arrive.
    peer_.setResponder([](const Bytes& inner) {
        Bytes both = LoopbackPeer::response(cmd::kDataReport, {1, 2, 3}, 0, 2, false);
        const Bytes reply = LoopbackPeer::response(inner[0], {0x77}, 0, 2, false);
        both.insert(both.end(), reply.begin(), reply.end());
        return both;
    });
    result = daemon_.transceiveCmd(cmd::kGetDevConfig, {}, 300);
    EXPECT_EQ(result.status, CMD_OK);
    EXPECT_EQ(result.payload, Bytes{0x77});
    ASSERT_TRUE(waitUntil([&] { return !dataEvents(cmd::kDataReport).empty(); }));
    EXPECT_EQ(dataEvents(cmd::kDataReport)[0]->data, (Bytes{1, 2, 3}));

    // The camera drops the connection: the daemon reopens it and reports 254 again.
    peer_.closeClient();
    ASSERT_TRUE(waitUntil([&] { return peer_.connections() == 2; }, 15s));
    ASSERT_TRUE(waitUntil([&] { return connectedEvents().size() == 2; }, 15s));
    EXPECT_EQ(connectedEvents()[1].second, 254);
    EXPECT_TRUE(daemon_.transceiveCmd(cmd::kStart, {}, 300).ok());
}

TEST_F(DaemonNetTest, FrameOnCommandChannelReachesTheIntake) {
    std::mutex mutex;
    std::vector<Bytes> frames;
    PipelineHooks hooks;
    hooks.frameIntake = [&](const Bytes& inner, const std::string&) {
        std::lock_guard<std::mutex> lock(mutex);
        frames.push_back(inner);
        return true;
    };
    daemon_.setPipelineHooks(hooks);
    ASSERT_TRUE(daemon_.setConnectAddress(kCameraAddress));
    daemon_.startup();
    ASSERT_TRUE(waitUntil([&] { return daemon_.isConnected(); }, 15s));
    // A frame far larger than one segment travels over the stream.
    const uint8_t trailer[] = {0x00, 0x00, 0x03};
    const Bytes payload(300000, 0x21);
    ASSERT_TRUE(peer_.send(
        packet::buildPacket(cmd::kFrame, payload.data(), payload.size(), trailer, 3, false)));
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return !frames.empty();
    }));
    daemon_.stop();  // the intake refers to this test's locals
    EXPECT_EQ(frames[0].size(), 1 + payload.size() + 3);
}
