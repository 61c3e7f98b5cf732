// Switching the connect address while the receive thread is still opening the previous
// transport: the late-opened transport must not stay open beside the newly selected one.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "FakeTransport.h"
#include "daemon/MvDaemon.h"

namespace {

using namespace std::chrono_literals;
using vantory_test::FakeTransport;
using vantory_test::waitUntil;

// A transport whose connect() blocks until the test opens the gate.
class GatedTransport : public FakeTransport {
public:
    bool connect() override {
        {
            std::unique_lock<std::mutex> lock(gateMutex_);
            entered_ = true;
            gateCv_.notify_all();
            gateCv_.wait_for(lock, 5s, [this] { return open_; });
        }
        return FakeTransport::connect();
    }
    bool waitEntered() {
        std::unique_lock<std::mutex> lock(gateMutex_);
        return gateCv_.wait_for(lock, 5s, [this] { return entered_; });
    }
    void openGate() {
        std::lock_guard<std::mutex> lock(gateMutex_);
        open_ = true;
        gateCv_.notify_all();
    }

private:
    std::mutex gateMutex_;
    std::condition_variable gateCv_;
    bool entered_ = false;
    bool open_ = false;
};

TEST(TransportSwitch, TransportOpenedAfterTheSwitchIsClosedAgain) {
    auto net = std::make_unique<GatedTransport>();
    auto usb = std::make_unique<FakeTransport>();
    GatedTransport* netRaw = net.get();
    FakeTransport* usbRaw = usb.get();
    Movoda::daemon::DaemonTiming timing;
    timing.tick = 1000ms;  // the supervisor's own clean-up stays out of the way
    timing.connectRetry = 20ms;
    Movoda::MvDaemon daemon(std::move(net), std::move(usb), timing);
    ASSERT_TRUE(daemon.setConnectAddress("127.0.0.46"));
    daemon.startup();
    ASSERT_TRUE(netRaw->waitEntered());  // the receive thread is inside connect()

    ASSERT_TRUE(daemon.setConnectAddress("/dev/ttyACM46"));
    EXPECT_FALSE(daemon.isNet());
    netRaw->openGate();

    ASSERT_TRUE(waitUntil([&] { return usbRaw->isConnected(); }, 3s));
    EXPECT_FALSE(netRaw->isConnected());
    EXPECT_EQ(netRaw->disconnects.load(), 1);
    // The stale transport never carried the link check; the new one did.
    EXPECT_TRUE(netRaw->sentIds().empty());
    ASSERT_TRUE(waitUntil([&] { return !usbRaw->sentIds().empty(); }, 3s));
    EXPECT_EQ(usbRaw->sentIds().front(), 0);
    daemon.stop();
}

}  // namespace
