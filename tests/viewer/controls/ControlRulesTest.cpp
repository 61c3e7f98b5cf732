// The controls' rules without a window: firmware versions, device texts, the camera's
// configuration read back into the panel, and the model of a serial number.
#include <gtest/gtest.h>

#include "ControlRules.h"
#include "DeviceView.h"
#include "ModelTable.h"

namespace vantory::controls {
namespace {

TEST(FirmwareVersion, DecidesTheSetupAfterConnecting) {
    struct Row {
        const char* text;
        float number;
        AfterConnect action;
    };
    const Row rows[] = {
        {"V2.5.3_20241101", 2.5f, AfterConnect::ReadBackOnly},
        {"V2.2.0_20230101", 2.2f, AfterConnect::ReadBackOnly},  // first self-configuring version
        {"V3.0.9_20240101", 3.0f, AfterConnect::ReadBackOnly},
        {"V2.1.0_20220101", 2.1f, AfterConnect::PushControls},
        {"V3.1.0_20260101", 3.1f, AfterConnect::Incompatible},
        {"fw_v2.4.1_2023", 2.4f, AfterConnect::ReadBackOnly},  // after the first "v"
        {"V3.1.0_x", 1.0f, AfterConnect::PushControls},        // shorter than 9: unknown
        {"unknow", 1.0f, AfterConnect::PushControls},
        {"read failed", 0.0f, AfterConnect::PushControls},  // no number at all
    };
    for (const Row& row : rows) {
        const float number = firmwareVersionNumber(row.text);
        EXPECT_NEAR(number, row.number, 1e-4) << row.text;
        EXPECT_EQ(afterConnectAction(number), row.action) << row.text;
    }
}

TEST(DeviceView, TextsOfTheDeviceDependentRefresh) {
    Movoda::DevInfo info;
    info.sn = "MK150APEX24110007";
    info.idWord1 = 2411;
    info.idWord2 = 7;
    info.fwVersion = "V2.5.3_20241101";
    info.ip = {192, 168, 2, 101};
    info.mac = {0x02, 0x4d, 0xab, 0x0c, 0xff, 0x01};
    info.factoryFlags = 0x12;
    DeviceView view = deviceView(info);
    EXPECT_EQ(view.serialText, "MK150APEX24110007 2411 7");
    EXPECT_EQ(view.ip, "192.168.2.101");
    EXPECT_EQ(view.mac, "02-4D-AB-0C-FF-01");
    EXPECT_EQ(view.maxIntTimeStyle, "color:red");  // eye-safety edition
    EXPECT_TRUE(view.newK150);
    EXPECT_EQ(view.devFlagsText, std::optional<std::string>("DevFctFlags: 10010 DRNU:1 LENS:1 "));
    EXPECT_EQ(devFlagsText(0xF0), "DevFctFlags: 11110000 DRNU:0 LENS:1 SUN:1 IMU:1 MUdp:1 ");
    EXPECT_EQ(devFlagsText(0x0E), "DevFctFlags: 1110 DRNU:7 ");
    info.factoryFlags = 0;
    info.sn = "MR300PLUS0001";
    view = deviceView(info);
    EXPECT_FALSE(view.devFlagsText);
    EXPECT_EQ(view.maxIntTimeText, "MAX IntTime:     ");
    EXPECT_FALSE(view.newK150);
}

TEST(ConfigReadBack, MapsTheCameraConfigurationOntoTheControls) {
    Movoda::DevConfig config;
    config.hdrMode = 1;
    config.maxFps = 31;  // above what the box shows
    config.maxFpsLimit = 0;
    config.recordVersion = 3;
    config.freqCode = {0, 1, 3, 4, 2};  // 2 is no item: the slowest
    config.vcselMode = 1;
    config.modFreq = Movoda::FREQ_3M;
    ConfigReadBack r = readBack(config, 0);
    EXPECT_FALSE(r.maxFps);
    EXPECT_EQ(r.maxFpsCaption, "Max FPS");
    EXPECT_EQ(r.freqIndices, (std::array<int, 5>{0, 1, 2, 3, 6}));
    EXPECT_EQ(r.vcselBoxes, (std::array<bool, 2>{true, false}));
    EXPECT_EQ(r.modFreqIndex, std::optional<int>(3));
    EXPECT_EQ(r.sliderMaxCm, 5000);

    // An older record carries no codes, emitters or channel; a frequency the combo
    // already shows (or cannot show) keeps the combo.
    config.recordVersion = 2;
    config.maxFps = 30;
    config.maxFpsLimit = 25;
    r = readBack(config, 3);
    EXPECT_FALSE(r.freqIndices);
    EXPECT_FALSE(r.vcselBoxes);
    EXPECT_FALSE(r.channel);
    EXPECT_EQ(r.maxFps, std::optional<int>(30));
    EXPECT_EQ(r.maxFpsCaption, "Max FPS: 25");
    EXPECT_FALSE(r.modFreqIndex);
    config.modFreq = Movoda::FREQ_4_8M;
    r = readBack(config, 1);
    EXPECT_FALSE(r.modFreqIndex);
    EXPECT_EQ(r.sliderMaxCm, 1250);
}

TEST(ModelOfSerial, CodeCutCornerAndSeries) {
    struct Row {
        const char* serial;
        const char* modelString;
        int code;
        int cutCorner;
    };
    const Row rows[] = {
        {"MK150PLUS24110007", "K150PLUS", 3, 30},
        {"MK150SUPRA0001", "K150SPURA", 5, 60},  // scene spelling, SUPRA's code
        {"MK75LITE0001", "K75", 8, 60},
        {"MR300LITE0001", "R300LITE", 0, 60},
        {"mr150plus0001", "R150PLUS", 13, 0},  // tokens are upper-cased; cut corner is not
        {"K150PLUS0001", "R300LITE", 0, 30},   // a token at the first character does not count
        {"MV300LITE0001", "V300LITE", 0, 60},
    };
    for (const Row& row : rows) {
        const std::string model = models::modelStringOf(row.serial);
        EXPECT_EQ(model, row.modelString) << row.serial;
        EXPECT_EQ(models::modelCode(model), row.code) << row.serial;
        EXPECT_EQ(cutCornerForModel(row.serial), row.cutCorner) << row.serial;
    }
    EXPECT_TRUE(isNewK150("MK150PLUS"));
    EXPECT_TRUE(isNewK150("mk150plus"));
    EXPECT_FALSE(isNewK150("MK150k150"));  // both forms: not the new series
    EXPECT_EQ(models::modelName(7), "R300LITE");
}

}  // namespace
}  // namespace vantory::controls
