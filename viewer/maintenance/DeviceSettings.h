// What the device-settings window sends: one or a few command exchanges per action, on
// the calling (GUI) thread. No widgets: the window moves values in and out and asks the
// questions; a Confirm answers them here, so nothing is sent before a Yes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ServiceConstants.h"

namespace Movoda {
class MvSdk;
}

namespace vantory::maintenance {

using Confirm = std::function<bool()>;

// The region of interest as sent: symmetric about the middle rows and at least the
// minimum width (x0 + 20 <= x1).
struct RoiBox {
    uint16_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
constexpr int kSensorLastRow = 239;
constexpr int kRoiMinWidth = 20;
RoiBox symmetricRoi(int x0, int y0, int x1);

// Integration level for a maximum integration time in microseconds: one level per started
// 500 us above 2500 us, never below 0 or above 255.
constexpr int kIntegrationLevelBaseUs = 2500;
constexpr int kIntegrationLevelStepUs = 500;
uint8_t integrationLevel(int maxIntegrationUs);

// Dotted decimal IPv4 text, whole text.
bool isIpv4Text(const std::string& text);
// A whole decimal number that fits 32 bits, optionally signed; nothing else.
std::optional<int32_t> parseCoefficient(const std::string& text);

enum class WriteResult { Invalid, Failed, Written };

class DeviceSettings {
public:
    explicit DeviceSettings(Movoda::MvSdk& sdk) : sdk_(sdk) {}

    std::optional<int32_t> readTemperatureCoefficient();
    // Invalid (nothing sent) unless the text is a whole number.
    WriteResult writeTemperatureCoefficient(const std::string& text);
    bool setMac(const std::string& text);
    bool setSerial(const std::string& text);
    // Invalid (nothing sent) unless all three are IPv4 texts.
    WriteResult setIp(const std::string& ip, const std::string& mask, const std::string& gateway);

    // Clear, set or read; the value the camera answers with, when it answered with two bytes.
    std::optional<uint16_t> maxLightEnergy(service::LightEnergyOp op, uint16_t value);
    bool setPtpDomain(int domain);
    // Sends the adjusted region and returns it, for the window to show.
    RoiBox applyRoi(int x0, int y0, int x1);
    bool clearRoi();
    // The four cut values (small integration time, its distance, big integration time,
    // its distance), one command each, in this order; stops at the first refusal.
    bool sendCut(const std::array<int, 4>& values);
    bool setCutSwitch(bool on);
    bool sendDistanceOffset(bool useOffset, int offsetMm);
    bool setCompensation(bool drnu, bool temperature);
    // Sends the integration level of this maximum and returns the level.
    uint8_t applyMaxIntegration(int maxIntegrationUs);
    void setByteOrderDetection(bool on);
    bool reboot(const Confirm& confirm);
    bool restoreFactory(const Confirm& confirm);

private:
    Movoda::MvSdk& sdk_;
};

}  // namespace vantory::maintenance
