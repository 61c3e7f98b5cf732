// The daemon on the USB transport, end to end: against the simulated camera's serial port
// (/dev/ttyACM42 to /dev/ttyACM45) and against a scripted peer that answers with the other
// length byte order and puts garbage between frames.
#include <gtest/gtest.h>

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <mutex>
#include <thread>

#include "CameraSim.h"
#include "SerialPeer.h"
#include "daemon/MvDaemon.h"
#include "link/CommnunicationNet.h"
#include "link/CommnunicationUsb.h"

using namespace vantory_test;
using namespace std::chrono_literals;
using Movoda::MvDaemon;

namespace {

constexpr const char* kCameraPort = "/dev/ttyACM42";
constexpr const char* kSwitchPort = "/dev/ttyACM43";
constexpr const char* kScriptedPort = "/dev/ttyACM44";
constexpr const char* kSoakPort = "/dev/ttyACM45";
constexpr const char* kNetCamera = "127.0.0.51";
constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 240;

template <typename Predicate>
bool waitUntil(Predicate done, std::chrono::milliseconds within = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::unique_ptr<camsim::CameraSim> startCamera(const std::string& usbPath,
                                               const std::string& bindAddress = "127.0.0.1") {
    camsim::SimOptions options;
    options.usbPath = usbPath;
    options.bindAddress = bindAddress;
    options.announce = false;
    auto camera = std::make_unique<camsim::CameraSim>(options);
    std::string why;
    EXPECT_TRUE(camera->start(&why)) << why;
    return camera;
}

uint16_t u16le(const Bytes& b, size_t at) {
    return uint16_t(b[at] | b[at + 1] << 8);
}

class UsbDaemonTest : public ::testing::Test {
protected:
    void SetUp() override {
        VANTORY_REQUIRE_DEV_LINKS();
        auto net = std::make_unique<Movoda::CommnunicationNet>(io_);
        auto usb = std::make_unique<Movoda::CommnunicationUsb>(io_);
        net_ = net.get();
        usb_ = usb.get();
        Movoda::daemon::DaemonTiming timing;
        timing.tick = 100ms;
        timing.connectRetry = 100ms;
        timing.endianFlipPause = 50ms;
        daemon_ = std::make_unique<MvDaemon>(std::move(net), std::move(usb), timing);
        daemon_->setEventCallback([this](const std::shared_ptr<const Movoda::CBEventData>& e) {
            if (e->eventName != "sdkState" || e->data.empty()) return;
            std::lock_guard<std::mutex> lock(mutex_);
            states_.emplace_back(e->data[0], e->cmdId);
        });
        Movoda::PipelineHooks hooks;
        hooks.frameIntake = [this](const Bytes& inner, const std::string&) {
            std::lock_guard<std::mutex> lock(mutex_);
            frames_.push_back(inner.size() > 64 ? Bytes(inner.begin(), inner.begin() + 64) : inner);
            ++frameCount_;
            return true;
        };
        daemon_->setPipelineHooks(hooks);
    }
    void TearDown() override {
        if (daemon_) daemon_->stop();
        daemon_.reset();
    }

    bool waitConnected(std::chrono::milliseconds within = 10s) {
        return waitUntil([&] { return daemon_->sdkState() == Movoda::SDK_Connected; }, within);
    }
    // "Connected" events reported as the first after an opening (id 254).
    int firstConnectedEvents() {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const auto& [state, id] : states_) {
            n += (state == Movoda::SDK_Connected && id == Movoda::kEventIdFirstConnected) ? 1 : 0;
        }
        return n;
    }
    size_t frameCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return frameCount_;
    }
    std::vector<Bytes> frameHeads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }

    boost::asio::io_context io_;
    std::unique_ptr<MvDaemon> daemon_;
    Movoda::Commnunication* net_ = nullptr;
    Movoda::CommnunicationUsb* usb_ = nullptr;
    std::mutex mutex_;
    std::vector<std::pair<int, int>> states_;
    std::vector<Bytes> frames_;  // the first bytes of each frame
    size_t frameCount_ = 0;
};

}  // namespace

TEST_F(UsbDaemonTest, ConnectsAnswersCommandsAndDeliversFrames) {
    auto camera = startCamera(kCameraPort);
    ASSERT_TRUE(daemon_->setConnectAddress(kCameraPort));
    EXPECT_FALSE(daemon_->isNet());
    daemon_->startup();
    ASSERT_TRUE(waitConnected());
    EXPECT_TRUE(waitUntil([&] { return firstConnectedEvents() == 1; }));

    const Movoda::CmdResult info = daemon_->transceiveCmd(Movoda::cmd::kGetDevInfo, {}, 2000);
    EXPECT_EQ(info.status, Movoda::CMD_OK);
    EXPECT_FALSE(info.payload.empty());
    EXPECT_EQ(daemon_->transceiveCmd(Movoda::cmd::kSetMaxFps, {10}, 300).status, Movoda::CMD_OK);
    EXPECT_EQ(camera->config().maxFps, 10);
    const Movoda::CmdResult start = daemon_->transceiveCmd(Movoda::cmd::kStart, {1}, 300);
    ASSERT_EQ(start.status, Movoda::CMD_OK);

    ASSERT_TRUE(waitUntil([&] { return frameCount() >= 5; }));
    // Commands still get their answers between frames on the same stream.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(daemon_->transceiveCmd(Movoda::cmd::kGetDevConfig, {}, 300).status,
                  Movoda::CMD_OK);
    }
    EXPECT_EQ(daemon_->transceiveCmd(Movoda::cmd::kStop, {}, 300).status, Movoda::CMD_OK);

    for (const Bytes& head : frameHeads()) {
        ASSERT_GE(head.size(), 8u);
        EXPECT_EQ(head[0], Movoda::cmd::kFrame);
        EXPECT_EQ(u16le(head, 4), kFrameWidth);
        EXPECT_EQ(u16le(head, 6), kFrameHeight);
    }
    EXPECT_EQ(usb_->droppedStreamBytes(), 0u);
    EXPECT_EQ(camera->counters().stream.framesSkipped, 0u);
}

TEST_F(UsbDaemonTest, VanishingPortDropsTheLinkAndTheDaemonReopensIt) {
    auto camera = startCamera(kCameraPort);
    ASSERT_TRUE(daemon_->setConnectAddress(kCameraPort));
    daemon_->startup();
    ASSERT_TRUE(waitConnected());

    // The camera goes away: its pseudo-terminal closes and the link disappears. The read
    // sees the hang-up at once, long before four unanswered link checks would drop the link.
    camera.reset();
    ASSERT_TRUE(waitUntil([&] { return !usb_->isConnected(); }, 3s));
    EXPECT_TRUE(waitUntil([&] { return daemon_->sdkState() != Movoda::SDK_Connected; }));
    EXPECT_EQ(daemon_->transceiveCmd(Movoda::cmd::kLinkCheck, {}, 300).status, Movoda::CMD_TIMEOUT);

    camera = startCamera(kCameraPort);
    ASSERT_TRUE(waitConnected());
    EXPECT_TRUE(usb_->isConnected());
    EXPECT_TRUE(waitUntil([&] { return firstConnectedEvents() == 2; }));
    EXPECT_EQ(daemon_->transceiveCmd(Movoda::cmd::kGetDevInfo, {}, 2000).status, Movoda::CMD_OK);
}

TEST_F(UsbDaemonTest, SwitchingBetweenAddressAndPortClosesTheOtherTransport) {
    auto netCamera = startCamera("", kNetCamera);
    auto usbCamera = startCamera(kSwitchPort);
    ASSERT_TRUE(daemon_->setConnectAddress(kNetCamera));
    daemon_->startup();
    ASSERT_TRUE(waitConnected());
    EXPECT_TRUE(net_->isConnected());
    EXPECT_FALSE(usb_->isConnected());

    // The switch closes the old transport. The receive thread may still be inside a step
    // on it and open it once more; the supervisor then closes it on its next tick.
    ASSERT_TRUE(daemon_->setConnectAddress(kSwitchPort));
    EXPECT_FALSE(daemon_->isNet());
    ASSERT_TRUE(waitUntil([&] { return usb_->isConnected() && daemon_->isConnected(); }));
    usbCamera->clearReceivedCommands();
    EXPECT_EQ(daemon_->transceiveCmd(Movoda::cmd::kGetDevInfo, {}, 2000).status, Movoda::CMD_OK);
    EXPECT_TRUE(usbCamera->waitForCommand(Movoda::cmd::kGetDevInfo, 1s));
    EXPECT_TRUE(waitUntil([&] { return !net_->isConnected(); }, 2s));

    ASSERT_TRUE(daemon_->setConnectAddress(kNetCamera));
    ASSERT_TRUE(waitUntil([&] { return net_->isConnected() && daemon_->isConnected(); }));
    netCamera->clearReceivedCommands();
    EXPECT_EQ(daemon_->transceiveCmd(Movoda::cmd::kGetDevInfo, {}, 2000).status, Movoda::CMD_OK);
    EXPECT_TRUE(netCamera->waitForCommand(Movoda::cmd::kGetDevInfo, 1s));
    EXPECT_TRUE(waitUntil([&] { return !usb_->isConnected(); }, 2s));
    EXPECT_TRUE(waitConnected());
    EXPECT_TRUE(net_->isConnected());
}

// A camera whose length fields use the other byte order than the link, and a stream with
// garbage between frames and one frame cut short.
TEST_F(UsbDaemonTest, OtherByteOrderAndGarbageBetweenFrames) {
    SerialPeer peer;
    peer.open(kScriptedPort);
    std::atomic<bool> running{true};
    std::mutex writeMutex;
    const Bytes infoPayload = patterned(120, 4);
    std::thread answerer([&] {
        Movoda::packet::PacketStream requests;
        Bytes inner;
        while (running.load()) {
            const Bytes got = peer.read(4096, 20ms);
            requests.append(got.data(), got.size());
            while (requests.next(inner, false)) {
                const uint8_t id = inner[0];
                const Bytes payload = id == Movoda::cmd::kGetDevInfo ? infoPayload : Bytes{};
                std::lock_guard<std::mutex> lock(writeMutex);
                peer.write(cameraPacket(id, payload, true));
            }
        }
    });
    ASSERT_FALSE(daemon_->getBigEndianLength());
    ASSERT_TRUE(daemon_->setConnectAddress(kScriptedPort));
    daemon_->startup();
    const bool connected = waitConnected();
    Movoda::CmdResult info;
    if (connected) info = daemon_->transceiveCmd(Movoda::cmd::kGetDevInfo, {}, 2000);

    // Frames numbered in their first payload byte; frame 3 is cut short.
    constexpr int kFrames = 8;
    constexpr int kCutFrame = 3;
    Bytes stream;
    for (int i = 0; i < kFrames; ++i) {
        Bytes payload = patterned(20000, uint32_t(i));
        payload[0] = uint8_t(i);
        Bytes frame = cameraPacket(Movoda::cmd::kFrame, payload, false);
        if (i == kCutFrame) frame.resize(frame.size() / 3);
        const Bytes garbage = patterned(size_t(11 + 13 * i), uint32_t(100 + i));
        stream.insert(stream.end(), frame.begin(), frame.end());
        stream.insert(stream.end(), garbage.begin(), garbage.end());
    }
    if (connected) {
        std::lock_guard<std::mutex> lock(writeMutex);
        peer.write(stream);
    }
    const bool allFrames = connected && waitUntil([&] { return frameCount() >= kFrames - 1; });
    running.store(false);
    answerer.join();

    ASSERT_TRUE(connected);
    EXPECT_EQ(info.status, Movoda::CMD_OK);
    EXPECT_EQ(info.payload, infoPayload);
    ASSERT_TRUE(allFrames) << frameCount() << " frames";
    std::vector<int> numbers;
    for (const Bytes& head : frameHeads()) numbers.push_back(head.size() > 1 ? head[1] : -1);
    EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2, 4, 5, 6, 7}));
}

// The long run: run with --gtest_also_run_disabled_tests; VANTORY_USB_SOAK_SECONDS sets its
// length (60 s by default). Distance and amplitude at 10 frames per second, a command every
// quarter second; not one frame may go missing.
TEST_F(UsbDaemonTest, DISABLED_NoFrameLostAtTenFramesPerSecond) {
    const char* env = std::getenv("VANTORY_USB_SOAK_SECONDS");
    const int seconds = env != nullptr ? std::max(1, std::atoi(env)) : 60;
    auto camera = startCamera(kSoakPort);
    ASSERT_TRUE(daemon_->setConnectAddress(kSoakPort));
    daemon_->startup();
    ASSERT_TRUE(waitConnected());
    ASSERT_EQ(daemon_->transceiveCmd(Movoda::cmd::kSetMaxFps, {10}, 300).status, Movoda::CMD_OK);
    ASSERT_EQ(daemon_->transceiveCmd(Movoda::cmd::kStart, {1}, 300).status, Movoda::CMD_OK);

    int commands = 0;
    int answered = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        ++commands;
        answered +=
            daemon_->transceiveCmd(Movoda::cmd::kGetDevConfig, {}, 300).status == Movoda::CMD_OK
                ? 1
                : 0;
        std::this_thread::sleep_for(250ms);
    }
    ASSERT_EQ(daemon_->transceiveCmd(Movoda::cmd::kStop, {}, 300).status, Movoda::CMD_OK);
    const auto counters = camera->counters().stream;
    EXPECT_TRUE(waitUntil([&] { return frameCount() >= counters.framesBuilt; }, 5s));
    std::cout << "soak " << seconds << " s: frames sent " << counters.framesBuilt
              << ", skipped by the camera " << counters.framesSkipped << ", received "
              << frameCount() << ", commands " << answered << "/" << commands << ", bytes lost "
              << usb_->droppedStreamBytes() << std::endl;
    EXPECT_EQ(counters.framesSkipped, 0u);
    EXPECT_EQ(frameCount(), counters.framesBuilt);
    EXPECT_EQ(answered, commands);
    EXPECT_EQ(usb_->droppedStreamBytes(), 0u);
    EXPECT_GE(counters.framesBuilt, uint64_t(seconds) * 9);
}
