// MvSdk against the simulated camera on 127.0.0.40 (image port 9640): the connection
// follow-up, the exact request of every command as the camera received it, the device
// information and configuration in the current layouts, and the follow-up again after
// the camera drops the link.
#include <cstdio>
#include <future>

#include "E2eSupport.h"

namespace {

using namespace e2e;
using Movoda::MvSdk;
using Bytes = std::vector<uint8_t>;

constexpr const char* kCamera = "127.0.0.40";
constexpr uint16_t kImagePort = 9640;
const Bytes kGuard = {'M', 'O', 'V', 'O', 'D', 'A'};

class CommandsE2e : public ::testing::Test {
protected:
    void SetUp() override {
        camera_ = startCamera(cameraOptions(kCamera));
        rig_.connect(kCamera, kCamera, kImagePort);
        ASSERT_TRUE(waitUntil([&] { return rig_.sdk->isConnected(); }, 5000ms));
        // The application hears of the connection once the follow-up has finished.
        ASSERT_TRUE(rig_.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 1, 8000ms));
    }
    void TearDown() override {
        rig_.sdk.reset();
        if (camera_) camera_->stop();
    }
    MvSdk& sdk() { return *rig_.sdk; }

    std::unique_ptr<camsim::CameraSim> camera_;
    SdkRig rig_;
};

std::string printed(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(v));
    return text;
}

TEST_F(CommandsE2e, FollowUpReadsInfoAndLensThenPointsTheStreamHere) {
    const auto log = commandsWithoutLinkChecks(*camera_);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].id, 4);
    EXPECT_EQ(log[1].id, 18);
    EXPECT_EQ(log[2].id, 19);
    // 127.0.0.40, port 9640 = 0x25A8 least significant byte first.
    EXPECT_EQ(log[2].payload, (Bytes{127, 0, 0, 40, 0xA8, 0x25}));
    EXPECT_EQ(rig_.events.countOf("sdkState", Movoda::kEventIdFirstConnected), 1u);

    // The lens the camera holds reached the point-cloud processor (as logged).
    const camsim::Lens lens = camera_->identity().lens;
    const std::string expected = "getLensCalidata=true cx=" + printed(lens.cx) +
                                 " cy=" + printed(lens.cy) + " fx=" + printed(lens.fx) +
                                 " fy=" + printed(lens.fy) + " k1=" + printed(lens.k1);
    EXPECT_FALSE(infoLogLines(expected).empty()) << expected;
    EXPECT_EQ(sdk().getStateString(), "Connected-Idle");
}

TEST_F(CommandsE2e, DeviceInformationInTheCurrentLayout) {
    Movoda::DevInfo info;
    ASSERT_TRUE(sdk().getDevInfo(info));
    const camsim::Identity id = camera_->identity();
    EXPECT_EQ(info.sn, id.serial);
    EXPECT_EQ(info.fwVersion, id.firmware);
    EXPECT_EQ(info.bootVersion, id.boot);
    EXPECT_EQ(info.mac, id.mac);
    EXPECT_EQ(info.ip, id.ip);
    EXPECT_EQ(info.netmask, id.netmask);
    EXPECT_EQ(info.gateway, id.gateway);
    EXPECT_EQ(info.idText, std::to_string(id.idWord1) + " " + std::to_string(id.idWord2));
    // The destination the follow-up set is what the camera reports back.
    EXPECT_EQ(info.udpDestIp, (std::array<uint8_t, 4>{127, 0, 0, 40}));
    EXPECT_EQ(info.udpDestPort, kImagePort);
}

TEST_F(CommandsE2e, DeviceConfigurationInTheCurrentLayoutFollowsTheCamera) {
    ASSERT_TRUE(sdk().setIntTimesus(700, 1200, 0, 0, 0, 0));
    ASSERT_TRUE(sdk().setMinAmplitude(77));
    ASSERT_TRUE(sdk().setMaxFps(22));
    Movoda::DevConfig config;
    ASSERT_TRUE(sdk().getDevConfig(config));
    EXPECT_EQ(config.intTime[0], 1200);
    EXPECT_EQ(config.intTimeGs, 700);
    EXPECT_EQ(config.minAmplitude, 77);
    EXPECT_EQ(config.maxFps, 22);
    EXPECT_EQ(config.recordVersion, 3);
    EXPECT_EQ(config.imageType, 0u);  // distance stream, no cloud

    // While the SDK computes clouds the stream types read as their cloud counterparts.
    ASSERT_TRUE(sdk().start(Movoda::IMG_POINTCLOUDAMP, false));
    ASSERT_TRUE(sdk().getDevConfig(config));
    EXPECT_EQ(config.imageType, 4u);
    EXPECT_TRUE(sdk().stop());
}

struct CommandRow {
    const char* name;
    std::function<bool(MvSdk&)> call;
    bool result;
    std::vector<camsim::ReceivedCommand> expected;
};

std::vector<CommandRow> commandRows() {
    const Bytes zeros20(20, 0);
    Bytes lens = {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40,
                  0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x80, 0xBF};
    lens.insert(lens.end(), zeros20.begin(), zeros20.end());
    Bytes imu = {0x00, 0x00, 0x80, 0x3F};
    imu.insert(imu.end(), 12, 0);
    imu.insert(imu.end(), {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x80, 0xBF});
    const Bytes serial = {'M', 'K', '1', '5', '0', 'P', 'L', 'U', 'S', '9', '9'};

    return {
        {"start cloud+amp",
         [](MvSdk& s) { return s.start(Movoda::IMG_POINTCLOUDAMP, false); },
         true,
         {{1, {2, 1}}}},
        {"start grayscale flag",
         [](MvSdk& s) { return s.start(Movoda::IMG_GRAYSCALE, true); },
         true,
         {{1, {3, 0}}}},
        {"start unknown type",
         [](MvSdk& s) { return s.start(Movoda::ImageType(7), false); },
         false,
         {}},
        {"stop", [](MvSdk& s) { return s.stop(); }, true, {{2, {}}}},
        {"setIp",
         [](MvSdk& s) { return s.setIp("127.0.0.40", "255.255.255.0", "127.0.0.1"); },
         true,
         {{3, {127, 0, 0, 40, 255, 255, 255, 0, 127, 0, 0, 1}}}},
        {"setIp bad mask",
         [](MvSdk& s) { return s.setIp("127.0.0.40", "255.255.256.0", "127.0.0.1"); },
         false,
         {}},
        {"getDevConfig",
         [](MvSdk& s) {
             Movoda::DevConfig c;
             return s.getDevConfig(c);
         },
         true,
         {{5, {}}}},
        {"setIntTimesus",
         [](MvSdk& s) { return s.setIntTimesus(100, 1000, 0, 0, 0, 0); },
         true,
         {{8, {0xE8, 0x03, 0, 0, 0, 0, 0x64, 0, 0, 0, 0, 0}}}},
        {"setIntTimesus all",
         [](MvSdk& s) { return s.setIntTimesus(6, 1, 2, 3, 4, 5); },
         true,
         {{8, {1, 0, 2, 0, 3, 0, 6, 0, 4, 0, 5, 0}}}},
        {"setMinAmplitude",
         [](MvSdk& s) { return s.setMinAmplitude(0x0102); },
         true,
         {{9, {0x02, 0x01}}}},
        {"setHdrMode temporal",
         [](MvSdk& s) { return s.setHdrMode(Movoda::HDR_TAMPORAL); },
         true,
         {{10, {2}}}},
        {"setHdrMode spatial",
         [](MvSdk& s) { return s.setHdrMode(Movoda::HDR_SPATIAL); },
         true,
         {{10, {1}}}},
        {"setHdrMode other",
         [](MvSdk& s) { return s.setHdrMode(Movoda::HdrMode(9)); },
         true,
         {{10, {0}}}},
        {"restoreFactory", [](MvSdk& s) { return s.restoreFactory(); }, true, {{14, kGuard}}},
        {"getLensCalidata",
         [](MvSdk& s) {
             Movoda::LensParams p;
             return s.getLensCalidata(p);
         },
         true,
         {{18, {}}}},
        {"setUdpDestIp connected",
         [](MvSdk& s) { return s.setUdpDestIp("127.0.0.40", 9640); },
         true,
         {{19, {127, 0, 0, 40, 0xA8, 0x25}}}},
        {"setUdpDestIp bad", [](MvSdk& s) { return s.setUdpDestIp("127.0.0", 9640); }, false, {}},
        {"getImuExtrinsic read",
         [](MvSdk& s) {
             Movoda::ImuExtrinsic e;
             return s.getImuExtrinsic(e, true);
         },
         true,
         {{29, {}}}},
        {"getImuExtrinsic stored",
         [](MvSdk& s) {
             Movoda::ImuExtrinsic e;
             return s.getImuExtrinsic(e, false);
         },
         true,
         {}},
        {"setRoi full",
         [](MvSdk& s) { return s.setRoi(0, 0, 319, 239); },
         true,
         {{51, {0, 0, 0, 0, 0x3F, 0x01, 0xEF, 0x00}}}},
        {"setRoi too wide", [](MvSdk& s) { return s.setRoi(0, 0, 320, 239); }, false, {}},
        {"setRoi reversed", [](MvSdk& s) { return s.setRoi(10, 0, 5, 239); }, false, {}},
        {"setModFreq 4.8M",
         [](MvSdk& s) { return s.setModFreq(Movoda::FREQ_4_8M); },
         true,
         {{52, {5}}}},
        {"setModFreq 6M",
         [](MvSdk& s) { return s.setModFreq(Movoda::FREQ_6M); },
         true,
         {{52, {1}}}},
        {"setMaxFps", [](MvSdk& s) { return s.setMaxFps(25); }, true, {{56, {25}}}},
        {"setMaxFps refused", [](MvSdk& s) { return s.setMaxFps(0); }, false, {{56, {0}}}},
        {"customCmd",
         [](MvSdk& s) {
             Bytes r;
             return s.customCmd(23, {1}, r, 300) && r.empty();
         },
         true,
         {{23, {1}}}},
        {"customCmd unsupported",
         [](MvSdk& s) {
             Bytes r;
             return s.customCmd(240, {9, 8}, r, 300);
         },
         false,
         {{240, {9, 8}}}},
        // Factory and service operations.
        {"setBinning",
         [](MvSdk& s) { return s.factory()->setBinning(1, 0); },
         true,
         {{12, {0x10}}}},
        {"setBinning off",
         [](MvSdk& s) { return s.factory()->setBinning(0, 0); },
         true,
         {{12, {0}}}},
        {"setCompensationOnoff",
         [](MvSdk& s) { return s.factory()->setCompensationOnoff(1, 0); },
         true,
         {{161, {1, 0}}}},
        {"setDevInfo",
         [](MvSdk& s) { return s.factory()->setDevInfo("MK150PLUS99"); },
         true,
         {{150, serial}}},
        {"setIntgrtionLevel",
         [](MvSdk& s) { return s.factory()->setIntgrtionLevel(2); },
         true,
         {{57, {2}}}},
        {"setMac mixed case",
         [](MvSdk& s) { return s.factory()->setMac("02-4d-56-53-49-4D"); },
         true,
         {{151, Bytes(6, 0xFF)}, {151, {0x02, 0x4D, 0x56, 0x53, 0x49, 0x4D}}}},
        {"setMac colons",
         [](MvSdk& s) { return s.factory()->setMac("02:4d:56:53:49:4D"); },
         false,
         {}},
        {"setTemprtCoeffict",
         [](MvSdk& s) { return s.factory()->setTemprtCoeffict(1000, 0); },
         true,
         {{163, {0xE8, 0x03, 0, 0, 0}}}},
        {"setVcselOnOff",
         [](MvSdk& s) { return s.factory()->setVcselOnOff(3); },
         true,
         {{53, {3}}}},
        {"getTemprtCoeffict",
         [](MvSdk& s) {
             uint32_t c = 0;
             return s.factory()->getTemprtCoeffict(0, c) && c == 1000;
         },
         true,
         {{164, {0}}}},
        {"writeLensParams",
         [](MvSdk& s) {
             Movoda::LensParams p{1.0f, 2.0f, 0.5f, -1.0f, 0, 0, 0, 0, 0};
             return s.factory()->writeLensParams(p);
         },
         true,
         {{168, lens}}},
        {"writeImuExtrinsic",
         [](MvSdk& s) {
             Movoda::ImuExtrinsic e{1.0f, 0, 0, 0, 2.0f, 0.5f, -1.0f};
             return s.factory()->writeImuExtrinsic(e);
         },
         true,
         {{169, imu}}},
        {"saveConfigToDevice",
         [](MvSdk& s) { return s.factory()->saveConfigToDevice(); },
         true,
         {{31, kGuard}}},
        {"getBootloaderText",
         [](MvSdk& s) {
             std::string text = "unknow";
             return s.factory()->getBootloaderText(text) && text == "BOOT_V1.2.0";
         },
         true,
         {{47, {}}}},
    };
}

TEST_F(CommandsE2e, EveryCommandSendsTheExactRequestOfItsRow) {
    for (const CommandRow& row : commandRows()) {
        SCOPED_TRACE(row.name);
        camera_->clearReceivedCommands();
        EXPECT_EQ(row.call(sdk()), row.result);
        const auto log = commandsWithoutLinkChecks(*camera_);
        ASSERT_EQ(log.size(), row.expected.size());
        for (size_t i = 0; i < log.size(); ++i) {
            EXPECT_EQ(int(log[i].id), int(row.expected[i].id));
            EXPECT_EQ(log[i].payload, row.expected[i].payload);
        }
    }
}

TEST_F(CommandsE2e, DroppedLinkRunsTheFollowUpAgain) {
    camera_->clearReceivedCommands();
    // Reset answers, then the camera closes the link and stays away for a moment.
    EXPECT_TRUE(sdk().resetDev());
    ASSERT_TRUE(rig_.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 2, 10000ms));
    ASSERT_TRUE(camera_->waitForCommand(19, 5000ms));
    const auto log = commandsWithoutLinkChecks(*camera_);
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0].id, 13);
    EXPECT_EQ(log[0].payload, kGuard);
    EXPECT_EQ(countOf(log, 4), 1u);
    EXPECT_EQ(countOf(log, 18), 1u);
    EXPECT_EQ(log.back().payload, (Bytes{127, 0, 0, 40, 0xA8, 0x25}));
    EXPECT_TRUE(sdk().isConnected());
}

// Before the connection only ports a camera can stream to are stored; the follow-up then
// points the stream at the stored address and the default port.
TEST(CommandsE2eStoredPort, PortsFrom10000AreRefusedBeforeTheConnection) {
    auto camera = startCamera(cameraOptions(kCamera));
    SdkRig rig;
    rig.create();
    EXPECT_FALSE(rig.sdk->setUdpDestIp(kCamera, 12000));
    ASSERT_TRUE(rig.sdk->setConnectAddress(kCamera));
    rig.sdk->startup();
    ASSERT_TRUE(camera->waitForCommand(19, 8000ms));
    const auto log = commandsWithoutLinkChecks(*camera);
    // 7687 = 0x1E07, least significant byte first.
    EXPECT_EQ(log.back().payload, (Bytes{127, 0, 0, 40, 0x07, 0x1E}));
    rig.sdk.reset();
    camera->stop();
}

TEST(CommandsE2eTeardown, DestroyingTheSdkDuringTheFollowUpIsSafe) {
    camsim::SimOptions o = cameraOptions(kCamera);
    o.faults.responseDelayMs = 400;  // keeps the follow-up busy for a while
    auto camera = startCamera(o);
    SdkRig rig;
    rig.connect(kCamera, kCamera, kImagePort);
    ASSERT_TRUE(camera->waitForCommand(4, 8000ms));  // the follow-up has begun
    auto destroyed = std::async(std::launch::async, [&] { rig.sdk.reset(); });
    ASSERT_EQ(destroyed.wait_for(10s), std::future_status::ready);
    // The follow-up was cut short: it never pointed the stream anywhere.
    EXPECT_EQ(countOf(camera->receivedCommands(), 19), 0u);
    camera->stop();
}

}  // namespace
