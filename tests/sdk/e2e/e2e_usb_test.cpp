// MvSdk on the simulated camera's serial port, linked as /dev/ttyACM40: frames travel as
// command-id 251 packets on the command channel and reach the application like streamed
// ones. Skips without write access to /dev.
#include <unistd.h>

#include "E2eSupport.h"

namespace {

using namespace e2e;

constexpr const char* kPort = "/dev/ttyACM40";
// The camera's stream sockets bind here; nothing is sent to it on the serial path.
constexpr const char* kBindAddress = "127.0.0.45";

TEST(UsbE2e, FramesOnTheCommandChannelReachTheApplication) {
    if (::access("/dev", W_OK) != 0) GTEST_SKIP() << "linking " << kPort << " needs write access to /dev";
    camsim::SimOptions o = cameraOptions(kBindAddress);
    o.usbPath = kPort;
    o.config.maxFps = 20;
    auto camera = startCamera(o);

    SdkRig rig;
    rig.create();
    ASSERT_TRUE(rig.sdk->setConnectAddress(kPort));
    rig.sdk->startup();
    ASSERT_TRUE(rig.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 1, 8000ms));
    // The follow-up does not point an image stream anywhere on the serial link.
    EXPECT_EQ(countOf(camera->receivedCommands(), 19), 0u);

    ASSERT_TRUE(rig.sdk->start(Movoda::IMG_DISTANCE, false));
    ASSERT_TRUE(rig.frames.waitForCount(3, 8000ms));
    const auto frame = rig.frames.last();
    EXPECT_EQ(frame->width(), 320);
    EXPECT_NEAR(double(centreDistance(*frame)), 1500.0, 15.0);
    // Named by the decoder (model and frame number), not by the channel.
    EXPECT_EQ(frame->name(), frame->modelText() + "_" + std::to_string(frame->frameId()));

    const Movoda::MvStreamStats stats = rig.sdk->getStreamStats();
    EXPECT_EQ(stats.udpFramesCompleted, 0u);
    EXPECT_GE(stats.framesAccepted, 3u);
    EXPECT_TRUE(rig.sdk->isConnected());
    EXPECT_TRUE(rig.sdk->stop());
    rig.sdk.reset();
    camera->stop();
}

}  // namespace
