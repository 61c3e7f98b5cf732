// MvSdk: the follow-up that runs each time the link to a camera is established anew
// (device information, lens calibration, image-stream destination), and the image-stream
// destination command it ends with.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "daemon/FramePipeline.h"
#include "daemon/MvDaemon.h"
#include "facade/AddressText.h"
#include "facade/CalibrationCodec.h"
#include "facade/CommandPayloads.h"
#include "facade/LocalAddress.h"
#include "link/NetConstants.h"
#include "mvsdk/MvLog.h"
#include "mvsdk/MvSdk.h"

namespace Movoda {

namespace {

constexpr const char* kFollowUp = "eventInternalProcess";
// Firmware texts longer than this carry a release number after their first "v".
constexpr size_t kShortFirmwareText = 8;
// A camera's firmware streams only to image ports below this.
constexpr uint16_t kMaxStoredImagePort = 10000;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string printed(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

std::string lensText(const LensParams& p) {
    return "getLensCalidata=true cx=" + printed(p.cx) + " cy=" + printed(p.cy) +
           " fx=" + printed(p.fx) + " fy=" + printed(p.fy) + " k1=" + printed(p.k1) +
           " k2=" + printed(p.k2) + " k3=" + printed(p.k3) + " p1=" + printed(p.p1) +
           " p2=" + printed(p.p2);
}

}  // namespace

void MvSdk::eventHook(std::shared_ptr<const CBEventData> event, void* user) {
    if (user != nullptr && event) static_cast<MvSdk*>(user)->eventInternalProcess(event);
}

void MvSdk::eventInternalProcess(const std::shared_ptr<const CBEventData>& event) {
    log(kFollowUp, std::to_string(event->cmdId));
    if (daemon_->sdkState() != SDK_Connected || event->cmdId != kEventIdFirstConnected) return;

    DevInfo info;
    getDevInfo(info);
    info.sn = lowerCase(info.sn);
    info.fwVersion = lowerCase(info.fwVersion);
    log(kFollowUp, "sn =" + info.sn);
    log(kFollowUp, "fw =" + info.fwVersion + "boot = " + info.bootVersion);

    const std::string& fw = info.fwVersion;
    const size_t v = fw.find('v');
    if (fw.size() > kShortFirmwareText && v != std::string::npos) {
        const std::string release = fw.substr(v + 1, fw.size() - 2);
        const double number = std::strtod(release.c_str(), nullptr);
        std::cout << "fw release version=" << number << "  str=" << release << std::endl;
    }

    readLensAfterConnect();
    if (daemon_->isNet()) pointStreamAfterConnect();
}

void MvSdk::readLensAfterConnect() {
    LensParams lens;
    if (getLensCalidata(lens)) {
        log(kFollowUp, lensText(lens));
    } else {
        const char* text = "getLensCalidata failed, use default params";
        log(kFollowUp, text);
        std::cout << text << std::endl;
        lens = LensParams();
    }
    pipeline().cloudProcessor().setLensParams(lens);
}

void MvSdk::pointStreamAfterConnect() {
    const std::string stored = daemon_->udpDestAddress();
    const uint16_t port = daemon_->imagePort();
    const bool storedValid = facade::isValidIpv4Text(stored);
    if (!storedValid && port == net::kDefaultImagePort) return;
    setUdpDestIp(storedValid ? stored : facade::localIpv4Address(), port);
}

bool MvSdk::setUdpDestIp(const std::string& ip, uint16_t port) {
    const std::string values = ip + " " + std::to_string(port);
    if (daemon_->sdkState() == SDK_Connected) {
        log("setUdpDestIp", values);
        const auto request = facade::setUdpDestIpRequest(ip, port, daemon_->getBigEndianLength());
        if (!request) return false;
        const CmdResult result = daemon_->transceiveCmd(request->id, request->payload,
                                                        request->timeoutMs);
        return result.ok();
    }
    log("setUdpDestIp", "noconnect: " + values);
    if (port != 0 && port < kMaxStoredImagePort) {
        daemon_->setImagePort(port);
    } else {
        sdkLog(LOG_WARN, "Movoda::MvSdk::setUdpDestIp",
               "image port " + std::to_string(port) +
                   " not stored: cameras stream only to ports from 1 to 9999",
               instanceName_);
    }
    if (facade::isValidIpv4Text(ip)) daemon_->setUdpDestAddress(ip);
    return false;
}

}  // namespace Movoda
