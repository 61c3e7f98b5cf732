// What each device-settings action sends to the simulated camera on 127.0.0.62 (image
// port 9462), byte for byte, and what it refuses to send.
#include <gtest/gtest.h>

#include <functional>

#include "DeviceSettings.h"
#include "SimulatedCamera.h"

namespace vantory::maintenance {
namespace {

constexpr const char* kCameraAddress = "127.0.0.62";
constexpr uint16_t kImagePort = 9462;
constexpr uint8_t kLinkCheck = 0;

struct Sent {
    uint8_t id;
    std::vector<uint8_t> payload;
    bool operator==(const Sent& o) const { return id == o.id && payload == o.payload; }
};

std::ostream& operator<<(std::ostream& out, const Sent& sent) {
    out << int(sent.id) << ":";
    for (uint8_t b : sent.payload) out << ' ' << int(b);
    return out;
}

class DeviceSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        camsim::SimOptions options;
        options.bindAddress = kCameraAddress;
        ASSERT_NO_FATAL_FAILURE(sim_.start(options, kImagePort));
        settings_ = std::make_unique<DeviceSettings>(sim_.sdk());
    }
    // What the camera received since the last call, without link checks.
    std::vector<Sent> sentSinceLast() {
        std::vector<Sent> sent;
        for (const auto& command : sim_.camera().receivedCommands()) {
            if (command.id != kLinkCheck) sent.push_back({command.id, command.payload});
        }
        sim_.camera().clearReceivedCommands();
        return sent;
    }

    testsupport::SimulatedCamera sim_;
    std::unique_ptr<DeviceSettings> settings_;
};

TEST_F(DeviceSettingsTest, EachActionSendsItsBytesOrNothing) {
    using service::LightEnergyOp;
    const auto no = [] { return false; };
    const auto yes = [] { return true; };
    struct Row {
        const char* name;
        std::function<void(DeviceSettings&)> act;
        std::vector<Sent> sent;
    };
    const Row rows[] = {
        {"roi symmetric rows",
         [](DeviceSettings& s) { s.applyRoi(0, 20, 319); },
         {{51, {0, 0, 20, 0, 0x3F, 0x01, 219, 0}}}},
        {"roi minimum width",
         [](DeviceSettings& s) { s.applyRoi(300, 0, 310); },
         {{51, {0x22, 0x01, 0, 0, 0x36, 0x01, 239, 0}}}},
        {"roi at the left border",
         [](DeviceSettings& s) { s.applyRoi(5, 0, 10); },
         {{51, {0, 0, 0, 0, 20, 0, 239, 0}}}},
        {"max integration 3000",
         [](DeviceSettings& s) { s.applyMaxIntegration(3000); },
         {{57, {1}}}},
        {"max integration 3001",
         [](DeviceSettings& s) { s.applyMaxIntegration(3001); },
         {{57, {2}}}},
        {"max integration below the base",
         [](DeviceSettings& s) { s.applyMaxIntegration(2000); },
         {{57, {0}}}},
        {"ptp domain low byte", [](DeviceSettings& s) { s.setPtpDomain(300); }, {{30, {1, 44}}}},
        {"cut values in order",
         [](DeviceSettings& s) {
             s.sendCut({100, 2000, 800, 65535});
         },
         {{202, {11, 0, 100, 0}},
          {202, {11, 1, 0xD0, 0x07}},
          {202, {11, 2, 0x20, 0x03}},
          {202, {11, 3, 0xFF, 0xFF}}}},
        {"cut switch", [](DeviceSettings& s) { s.setCutSwitch(true); }, {{202, {10, 1}}}},
        {"negative distance offset",
         [](DeviceSettings& s) { s.sendDistanceOffset(true, -5); },
         {{202, {0x29, 1, 0xFB, 0xFF}}}},
        {"light energy set",
         [](DeviceSettings& s) { s.maxLightEnergy(LightEnergyOp::Set, 1234); },
         {{59, {1, 0xD2, 0x04}}}},
        {"light energy clear",
         [](DeviceSettings& s) { s.maxLightEnergy(LightEnergyOp::Clear, 9); },
         {{59, {0, 9, 0}}}},
        {"compensation",
         [](DeviceSettings& s) { s.setCompensation(true, false); },
         {{161, {1, 0}}}},
        {"mac, mixed case",
         [](DeviceSettings& s) { s.setMac("0a-1B-2c-3D-4e-5F"); },
         {{151, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
          {151, {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}}}},
        {"mac with colons", [](DeviceSettings& s) { s.setMac("0a:1B:2c:3D:4e:5F"); }, {}},
        {"ip",
         [](DeviceSettings& s) { s.setIp("192.168.1.20", "255.255.255.0", "192.168.1.1"); },
         {{3, {192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1}}}},
        {"ip out of range",
         [](DeviceSettings& s) { s.setIp("192.168.1.300", "255.255.255.0", "1.1.1.1"); },
         {}},
        {"ip with trailing text",
         [](DeviceSettings& s) { s.setIp("1.2.3.4x", "255.0.0.0", "1.1.1.1"); },
         {}},
        {"temperature coefficient",
         [](DeviceSettings& s) { s.writeTemperatureCoefficient("1000"); },
         {{163, {0xE8, 0x03, 0, 0, 0}}}},
        {"temperature coefficient not a number",
         [](DeviceSettings& s) { s.writeTemperatureCoefficient("10a"); },
         {}},
        {"serial",
         [](DeviceSettings& s) { s.setSerial("MK150X1"); },
         {{150, {'M', 'K', '1', '5', '0', 'X', '1'}}}},
        {"factory restore, no", [&](DeviceSettings& s) { s.restoreFactory(no); }, {}},
        {"factory restore, yes",
         [&](DeviceSettings& s) { s.restoreFactory(yes); },
         {{14, {'M', 'O', 'V', 'O', 'D', 'A'}}}},
        {"reboot, no", [&](DeviceSettings& s) { s.reboot(no); }, {}},
        // Last: the camera drops the link when it reboots.
        {"reboot, yes",
         [&](DeviceSettings& s) { s.reboot(yes); },
         {{13, {'M', 'O', 'V', 'O', 'D', 'A'}}}},
    };
    sentSinceLast();
    for (const Row& row : rows) {
        row.act(*settings_);
        EXPECT_EQ(sentSinceLast(), row.sent) << row.name;
    }
}

TEST_F(DeviceSettingsTest, ValuesComeBackFromTheCamera) {
    ASSERT_EQ(settings_->writeTemperatureCoefficient("-1234"), WriteResult::Written);
    EXPECT_EQ(settings_->readTemperatureCoefficient(), -1234);
    EXPECT_EQ(settings_->writeTemperatureCoefficient("99999999999"), WriteResult::Invalid);

    settings_->maxLightEnergy(service::LightEnergyOp::Set, 4321);
    EXPECT_EQ(settings_->maxLightEnergy(service::LightEnergyOp::Read, 0), 4321);
}

}  // namespace
}  // namespace vantory::maintenance
