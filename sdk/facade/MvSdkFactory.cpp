// MvSdk's factory and service operations: identity, calibration data and hardware
// settings written into the camera. Each logs its call and performs one exchange (the MAC
// write two), returning true when the camera answers with status 0.
#include <string>

#include "daemon/MvDaemon.h"
#include "facade/FactoryPayloads.h"
#include "mvsdk/MvLog.h"
#include "mvsdk/MvSdk.h"

namespace Movoda {

namespace {

void factoryLog(const std::string& instance, const std::string& operation,
                const std::string& values) {
    sdkLog(LOG_INFO, "Movoda::MvSdkFactory::" + operation, values, instance);
}

std::string floatsText(std::initializer_list<float> values) {
    std::string text;
    for (float v : values) {
        if (!text.empty()) text += ' ';
        text += std::to_string(v);
    }
    return text;
}

CmdResult exchange(MvDaemon& daemon, const facade::CommandRequest& request) {
    return daemon.transceiveCmd(request.id, request.payload, request.timeoutMs);
}

}  // namespace

bool MvSdk::setBinning(uint8_t first, uint8_t second) {
    factoryLog(instanceName_, "setBinning", std::to_string(first) + " " + std::to_string(second));
    return exchange(*daemon_, facade::setBinningRequest(first, second)).ok();
}

bool MvSdk::setCompensationOnoff(uint8_t first, uint8_t second) {
    factoryLog(instanceName_, "setCompensationOnoff",
               std::to_string(first) + " " + std::to_string(second));
    return exchange(*daemon_, facade::setCompensationOnoffRequest(first, second)).ok();
}

bool MvSdk::setDevInfo(const std::string& serial) {
    factoryLog(instanceName_, "setDevInfo", serial);
    return exchange(*daemon_, facade::setDevInfoRequest(serial)).ok();
}

bool MvSdk::setIntgrtionLevel(uint8_t level) {
    factoryLog(instanceName_, "setIntgrtionLevel", std::to_string(level));
    return exchange(*daemon_, facade::setIntgrtionLevelRequest(level)).ok();
}

bool MvSdk::setMac(const std::string& mac) {
    factoryLog(instanceName_, "setMac", mac);
    const auto bytes = facade::parseMacText(mac);
    if (!bytes) return false;
    exchange(*daemon_, facade::macClearRequest());  // the camera expects the clear first
    return exchange(*daemon_, facade::setMacRequest(*bytes)).ok();
}

bool MvSdk::setTemprtCoeffict(int32_t coefficient, uint8_t selector) {
    factoryLog(instanceName_, "setTemprtCoeffict",
               std::to_string(coefficient) + " " + std::to_string(selector));
    return exchange(*daemon_, facade::setTemprtCoefficientRequest(coefficient, selector,
                                                                  daemon_->getBigEndianLength()))
        .ok();
}

bool MvSdk::setVcselOnOff(uint8_t mode) {
    factoryLog(instanceName_, "setVcselOnOff", std::to_string(mode));
    return exchange(*daemon_, facade::setVcselOnOffRequest(mode)).ok();
}

bool MvSdk::getTemprtCoeffict(uint8_t selector, uint32_t& coefficient) {
    factoryLog(instanceName_, "getTemprtCoeffict", std::to_string(selector));
    const CmdResult result = exchange(*daemon_, facade::getTemprtCoefficientRequest(selector));
    if (!result.ok()) return false;
    const auto value = facade::decodeTemprtCoefficient(result.payload.data(), result.payload.size(),
                                                       daemon_->getBigEndianLength());
    if (!value) return false;
    coefficient = *value;
    return true;
}

bool MvSdk::writeLensParams(const LensParams& p) {
    factoryLog(instanceName_, "writeLensParams",
               floatsText({p.fx, p.fy, p.cx, p.cy, p.k1, p.k2, p.k3, p.p1, p.p2}));
    return exchange(*daemon_, facade::writeLensParamsRequest(p)).ok();
}

bool MvSdk::writeImuExtrinsic(const ImuExtrinsic& e) {
    factoryLog(instanceName_, "writeImuExtrinsic",
               floatsText({e.qw, e.qx, e.qy, e.qz, e.tx, e.ty, e.tz}));
    return exchange(*daemon_, facade::writeImuExtrinsicRequest(e)).ok();
}

bool MvSdk::saveConfigToDevice() {
    factoryLog(instanceName_, "saveConfigToDevice", "");
    return exchange(*daemon_, facade::saveConfigRequest()).ok();
}

bool MvSdk::getBootloaderText(std::string& text) {
    factoryLog(instanceName_, "getBootloaderText", "");
    const CmdResult result = exchange(*daemon_, facade::bootloaderTextRequest());
    if (!result.ok()) return false;
    const auto decoded = facade::decodeBootloaderText(result.payload.data(), result.payload.size());
    if (!decoded) return false;
    text = *decoded;
    return true;
}

}  // namespace Movoda
