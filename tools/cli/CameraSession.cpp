#include "CameraSession.h"

#include <cstdio>

#include "CliConstants.h"

namespace vantory_cli {

namespace {
const char* const kLoopbackDestination = "127.0.0.1";
}  // namespace

bool looksLikeIpv4(const std::string& address) {
    int parts = 0;
    size_t i = 0;
    while (i <= address.size()) {
        size_t digits = 0;
        unsigned value = 0;
        while (i < address.size() && address[i] >= '0' && address[i] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(address[i] - '0');
            ++digits;
            ++i;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        ++parts;
        if (i == address.size()) break;
        if (address[i] != '.' || parts == 4) return false;
        ++i;
    }
    return parts == 4;
}

CameraSession::CameraSession(FrameHandler frameHandler, const std::string& logDirectoryName)
    : sdk_(std::make_unique<Movoda::MvSdk>("", logDirectoryName)),
      frameHandler_(std::move(frameHandler)) {
    sdk_->setCallback(
        [this](const std::shared_ptr<const Movoda::CBEventData>& event) { onEvent(event); },
        [this](const std::shared_ptr<const Movoda::Frame>& frame) {
            if (frameHandler_ && frame) frameHandler_(frame);
        });
}

CameraSession::~CameraSession() {
    sdk_->setCallback(nullptr, nullptr);
    sdk_.reset();
}

void CameraSession::onEvent(const std::shared_ptr<const Movoda::CBEventData>& event) {
    // The SDK runs its follow-up (device information, lens, stream destination) before it
    // hands this event on, so the camera is ready once it arrives.
    if (event && event->eventName == Movoda::kEventSdkState &&
        event->cmdId == Movoda::kEventIdFirstConnected) {
        std::lock_guard<std::mutex> lock(mutex_);
        followUpDone_ = true;
        connectedCv_.notify_all();
    }
}

bool CameraSession::connect(const std::string& address, uint16_t imagePort,
                            std::chrono::milliseconds timeout, std::string& why) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    isNetwork_ = looksLikeIpv4(address);
    if (!sdk_->setConnectAddress(address)) {
        why = "'" + address + "' is neither an IPv4 address nor a serial port name";
        return false;
    }
    const uint16_t port = imagePort != 0 ? imagePort : kDefaultImagePort;
    // A camera on this machine streams back over loopback; elsewhere the SDK picks this
    // computer's address itself.
    const bool loopback = isNetwork_ && address.rfind("127.", 0) == 0;
    if (isNetwork_) sdk_->setUdpDestIp(loopback ? kLoopbackDestination : "", port);
    sdk_->startup();

    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!connectedCv_.wait_until(lock, deadline, [this] { return followUpDone_; })) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%g",
                          static_cast<double>(timeout.count()) / 1000.0);
            why = "no answer from " + address + " within " + seconds + " s (state " +
                  sdk_->getStateString() + ")";
            return false;
        }
    }
    // The SDK keeps only ports below 10000 before it is connected; say it again now.
    if (isNetwork_ && port != kDefaultImagePort) {
        std::string destination = kLoopbackDestination;
        if (!loopback) {
            // The follow-up has just pointed the camera at this computer: keep that address.
            Movoda::DevInfo info;
            if (!sdk_->getDevInfo(info)) {
                why = "cannot read the camera's stream destination";
                return false;
            }
            const auto& ip = info.udpDestIp;
            destination = std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." +
                          std::to_string(ip[2]) + "." + std::to_string(ip[3]);
        }
        if (!sdk_->setUdpDestIp(destination, port)) {
            why = "the camera refused the image port " + std::to_string(port);
            return false;
        }
    }
    return true;
}

}  // namespace vantory_cli
