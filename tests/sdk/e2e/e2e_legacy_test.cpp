// MvSdk against an older simulated camera on 127.0.0.41 (image port 9641): big-endian
// link, the older device information and configuration layouts, big-endian payload
// fields and the older frame format.
#include "E2eSupport.h"

namespace {

using namespace e2e;
using Bytes = std::vector<uint8_t>;

constexpr const char* kCamera = "127.0.0.41";
constexpr uint16_t kImagePort = 9641;

class LegacyE2e : public ::testing::Test {
protected:
    void SetUp() override {
        camsim::SimOptions o = cameraOptions(kCamera);
        o.legacy = true;
        o.config.maxFps = 25;
        camera_ = startCamera(o);
        rig_.create();
        // This camera only answers requests whose length field is big-endian.
        ASSERT_TRUE(rig_.sdk->setEndianFlag(true));
        rig_.connect(kCamera, kCamera, kImagePort);
        ASSERT_TRUE(rig_.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 1, 8000ms));
    }
    void TearDown() override {
        rig_.sdk.reset();
        if (camera_) camera_->stop();
    }
    Movoda::MvSdk& sdk() { return *rig_.sdk; }

    std::unique_ptr<camsim::CameraSim> camera_;
    SdkRig rig_;
};

TEST_F(LegacyE2e, DeviceInformationInTheOlderLayout) {
    Movoda::DevInfo info;
    ASSERT_TRUE(sdk().getDevInfo(info));
    const camsim::Identity id = camera_->identity();
    EXPECT_EQ(info.sn, id.serial);
    EXPECT_EQ(info.fwVersion, id.firmware);
    EXPECT_EQ(info.ip, id.ip);
    EXPECT_EQ(info.mac, id.mac);
    EXPECT_EQ(info.idWord1, id.idWord1);
    EXPECT_EQ(info.idWord2, id.idWord2);
    // The follow-up's destination, reported back in reverse byte order by older cameras.
    EXPECT_EQ(info.udpDestIp, (std::array<uint8_t, 4>{127, 0, 0, 41}));
    EXPECT_EQ(info.udpDestPort, kImagePort);
}

TEST_F(LegacyE2e, ConfigurationInTheOlderLayoutWithBigEndianFields) {
    camera_->clearReceivedCommands();
    ASSERT_TRUE(sdk().setIntTimesus(700, 1200, 0, 0, 0, 0));
    ASSERT_TRUE(sdk().setMinAmplitude(0x0102));
    const auto log = commandsWithoutLinkChecks(*camera_);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].payload, (Bytes{0x04, 0xB0, 0, 0, 0, 0, 0x02, 0xBC, 0, 0, 0, 0}));
    EXPECT_EQ(log[1].payload, (Bytes{0x01, 0x02}));

    Movoda::DevConfig config;
    ASSERT_TRUE(sdk().getDevConfig(config));
    EXPECT_EQ(config.recordVersion, 2);
    EXPECT_EQ(config.intTime[0], 1200);
    EXPECT_EQ(config.intTimeGs, 700);
    EXPECT_EQ(config.minAmplitude, 0x0102);
    EXPECT_EQ(config.maxFps, 25);
    EXPECT_EQ(config.intTime[3], 0);
}

TEST_F(LegacyE2e, OlderFramesAreDecoded) {
    ASSERT_TRUE(sdk().start(Movoda::IMG_AMPLITUDE, false));
    ASSERT_TRUE(rig_.frames.waitForCount(3, 5000ms));
    const auto frame = rig_.frames.last();
    EXPECT_EQ(frame->version(), 2);
    EXPECT_EQ(frame->width(), 320);
    EXPECT_NEAR(double(centreDistance(*frame)), 1500.0, 15.0);
    // The older trailer keeps the link big-endian.
    EXPECT_TRUE(sdk().getEndianFlag());
    EXPECT_TRUE(sdk().isConnected());
}

}  // namespace
