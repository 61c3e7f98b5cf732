// The SDK's own daemon against the simulated camera: it connects, exchanges commands and
// finds an older camera through its byte-order auto-detection.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "CameraSim.h"
#include "CamsimConstants.h"
#include "daemon/MvDaemon.h"

using namespace std::chrono_literals;

namespace {

camsim::SimOptions cameraAt(const std::string& address, bool legacy) {
    camsim::SimOptions o;
    o.bindAddress = address;
    o.identity.ip = {127, 0, 0, 28};
    o.announce = false;
    o.legacy = legacy;
    return o;
}

bool connectedWithin(const Movoda::MvDaemon& daemon, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (daemon.sdkState() == Movoda::SDK_Connected) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

void expectCameraAnswers(bool legacy, bool autoDetect) {
    camsim::CameraSim camera(cameraAt("127.0.0.28", legacy));
    std::string error;
    ASSERT_TRUE(camera.start(&error)) << error;
    Movoda::MvDaemon daemon;
    daemon.setImagePort(9628);
    daemon.setEndianAutoDetect(autoDetect);
    ASSERT_TRUE(daemon.setConnectAddress("127.0.0.28"));
    daemon.startup();
    ASSERT_TRUE(connectedWithin(daemon, 20s));
    EXPECT_EQ(daemon.getBigEndianLength(), legacy);
    const Movoda::CmdResult info = daemon.transceiveCmd(camsim::cmd::kDevInfo, {}, 2000);
    EXPECT_EQ(info.status, 0u);
    EXPECT_EQ(info.payload.size(), legacy ? camsim::kLegacyDevInfoSize : camsim::kDevInfoSize);
    const Movoda::CmdResult unknown = daemon.transceiveCmd(77, {}, 300);
    EXPECT_EQ(unknown.status, 1u);
    daemon.stop();
    camera.stop();
}

}  // namespace

TEST(SdkDaemonAgainstCamera, CurrentCameraWithoutAutoDetection) {
    expectCameraAnswers(false, false);
}

TEST(SdkDaemonAgainstCamera, OlderCameraIsFoundByAutoDetection) {
    expectCameraAnswers(true, true);
}

TEST(SdkDaemonAgainstCamera, CurrentCameraIsFoundByAutoDetection) {
    expectCameraAnswers(false, true);
}
