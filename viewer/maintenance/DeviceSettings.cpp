#include "DeviceSettings.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <limits>

#include "ServiceCommands.h"
#include "mvsdk/MvSdk.h"

namespace vantory::maintenance {

namespace {
constexpr uint8_t kTemperatureSelector = 0;
}  // namespace

RoiBox symmetricRoi(int x0, int y0, int x1) {
    RoiBox box;
    box.y0 = static_cast<uint16_t>(y0);
    box.y1 = static_cast<uint16_t>(kSensorLastRow - y0);
    // Too narrow a region keeps its right edge and moves its left one; near the left
    // border the right edge moves instead, so no column number goes below 0.
    const int right = std::max(x1, kRoiMinWidth);
    const int left = x0 + kRoiMinWidth > right ? right - kRoiMinWidth : x0;
    box.x0 = static_cast<uint16_t>(left);
    box.x1 = static_cast<uint16_t>(right);
    return box;
}

uint8_t integrationLevel(int maxIntegrationUs) {
    const int above = maxIntegrationUs - kIntegrationLevelBaseUs;
    int level = above / kIntegrationLevelStepUs;
    if (above - level * kIntegrationLevelStepUs > 0) ++level;
    return static_cast<uint8_t>(std::clamp(level, 0, 255));
}

bool isIpv4Text(const std::string& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^((25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?"
                       "[0-9][0-9]?)$"));
    return pattern.match(QString::fromStdString(text)).hasMatch();
}

std::optional<int32_t> parseCoefficient(const std::string& text) {
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]{1,10}$"));
    if (!pattern.match(QString::fromStdString(text)).hasMatch()) return std::nullopt;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::optional<int32_t> DeviceSettings::readTemperatureCoefficient() {
    uint32_t coefficient = 0;
    if (!sdk_.factory()->getTemprtCoeffict(kTemperatureSelector, coefficient)) return std::nullopt;
    return static_cast<int32_t>(coefficient);
}

WriteResult DeviceSettings::writeTemperatureCoefficient(const std::string& text) {
    const std::optional<int32_t> value = parseCoefficient(text);
    if (!value) return WriteResult::Invalid;
    return sdk_.factory()->setTemprtCoeffict(*value, kTemperatureSelector) ? WriteResult::Written
                                                                           : WriteResult::Failed;
}

bool DeviceSettings::setMac(const std::string& text) {
    const bool ok = sdk_.factory()->setMac(text);
    std::cout << "MAC:  set=" << (ok ? "true" : "false") << std::endl;
    return ok;
}

bool DeviceSettings::setSerial(const std::string& text) {
    return sdk_.factory()->setDevInfo(text);
}

WriteResult DeviceSettings::setIp(const std::string& ip, const std::string& mask,
                                  const std::string& gateway) {
    if (!isIpv4Text(ip) || !isIpv4Text(mask) || !isIpv4Text(gateway)) return WriteResult::Invalid;
    return sdk_.setIp(ip, mask, gateway) ? WriteResult::Written : WriteResult::Failed;
}

std::optional<uint16_t> DeviceSettings::maxLightEnergy(service::LightEnergyOp op, uint16_t value) {
    const bool bigEndian = sdk_.getEndianFlag();
    std::vector<uint8_t> answer;
    if (!service::send(sdk_, service::lightEnergyCommand(op, value, bigEndian), &answer)) {
        return std::nullopt;
    }
    return service::lightEnergyFromAnswer(answer, bigEndian);
}

bool DeviceSettings::setPtpDomain(int domain) {
    return service::send(sdk_, service::ptpDomainCommand(domain));
}

RoiBox DeviceSettings::applyRoi(int x0, int y0, int x1) {
    const RoiBox box = symmetricRoi(x0, y0, x1);
    sdk_.setRoi(box.x0, box.y0, box.x1, box.y1);
    return box;
}

bool DeviceSettings::clearRoi() {
    return service::send(sdk_, service::clearRoiCommand());
}

bool DeviceSettings::sendCut(const std::array<int, 4>& values) {
    const bool bigEndian = sdk_.getEndianFlag();
    for (std::size_t k = 0; k < values.size(); ++k) {
        const auto command = service::cutValueCommand(static_cast<uint8_t>(k),
                                                      static_cast<uint16_t>(values[k]), bigEndian);
        if (!service::send(sdk_, command)) return false;
    }
    return true;
}

bool DeviceSettings::setCutSwitch(bool on) {
    return service::send(sdk_, service::cutSwitchCommand(on));
}

bool DeviceSettings::sendDistanceOffset(bool useOffset, int offsetMm) {
    const auto mm = static_cast<int16_t>(std::clamp<int>(
        offsetMm, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
    return service::send(sdk_, service::distanceOffsetCommand(useOffset, mm, sdk_.getEndianFlag()));
}

bool DeviceSettings::setCompensation(bool drnu, bool temperature) {
    return sdk_.factory()->setCompensationOnoff(drnu ? 1 : 0, temperature ? 1 : 0);
}

uint8_t DeviceSettings::applyMaxIntegration(int maxIntegrationUs) {
    std::cout << "max int time = " << maxIntegrationUs << std::endl;
    const uint8_t level = integrationLevel(maxIntegrationUs);
    sdk_.factory()->setIntgrtionLevel(level);
    return level;
}

void DeviceSettings::setByteOrderDetection(bool on) {
    sdk_.setEndianFlag(on);
}

bool DeviceSettings::reboot(const Confirm& confirm) {
    if (!confirm()) return false;
    return sdk_.resetDev();
}

bool DeviceSettings::restoreFactory(const Confirm& confirm) {
    if (!confirm()) return false;
    return sdk_.restoreFactory();
}

}  // namespace vantory::maintenance
