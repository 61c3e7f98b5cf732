#include "CameraSession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <thread>

#include "BusyRetry.h"
#include "CliConstants.h"

namespace vantory_cli {

namespace {
const char* const kLoopbackDestination = "127.0.0.1";
constexpr auto kImageSocketPoll = std::chrono::milliseconds(20);
constexpr uint16_t kRoutingProbePort = 7787;
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

std::string localAddressTowards(const std::string& camera) {
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(kRoutingProbePort);
    if (::inet_pton(AF_INET, camera.c_str(), &remote.sin_addr) != 1) return "";
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return "";
    // Connecting a datagram socket only asks the routing table; nothing goes out.
    sockaddr_in local{};
    socklen_t length = sizeof local;
    std::string text;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
        char buffer[INET_ADDRSTRLEN] = {};
        if (::inet_ntop(AF_INET, &local.sin_addr, buffer, sizeof buffer) != nullptr) text = buffer;
    }
    ::close(fd);
    return text;
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

int CameraSession::connectOrReport(const CliOptions& options, bool streams) {
    std::string why;
    const int connected = connect(options, streams, std::chrono::milliseconds(kConnectTimeoutMs), why);
    if (connected != kExitOk) std::cerr << "vantory-cli: cannot connect: " << why << std::endl;
    return connected;
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

bool CameraSession::command(const std::function<bool(Movoda::MvSdk&)>& call) {
    Movoda::MvSdk& sdk = *sdk_;
    return retryWhileBusy([&] { return call(sdk); }, [&] { return sdk.getLastCmdStatus(); },
                          kBusyAttempts, std::chrono::milliseconds(kBusyPauseMs));
}

bool CameraSession::waitForImageSocket(uint16_t port, std::string& why) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kImageSocketWaitMs);
    for (;;) {
        const Movoda::MvStreamStats stats = sdk_->getStreamStats();
        if (stats.udpReceiveBufferBytes > 0) return true;
        if (stats.udpImagePortHeld) {
            why = "image port " + std::to_string(port) +
                  " is held by another program (a viewer or another vantory-cli); choose "
                  "another with --image-port";
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            why = "cannot open the image port " + std::to_string(port);
            return false;
        }
        std::this_thread::sleep_for(kImageSocketPoll);
    }
}

int CameraSession::connect(const CliOptions& options, bool streams,
                           std::chrono::milliseconds timeout, std::string& why) {
    const std::string& address = options.address;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    isNetwork_ = looksLikeIpv4(address);
    if (!sdk_->setConnectAddress(address)) {
        why = "'" + address + "' is neither an IPv4 address nor a serial port name";
        return kExitNoConnection;
    }
    switch (options.byteOrder) {
        case ByteOrder::Little:
            sdk_->setLinkByteOrder(false);
            break;
        case ByteOrder::Big:
            sdk_->setLinkByteOrder(true);
            break;
        case ByteOrder::Auto:
            sdk_->setEndianFlag(true);
            break;
    }
    imagePort_ = options.imagePort != 0 ? options.imagePort : kDefaultImagePort;
    if (isNetwork_ && streams) {
        // A camera on this machine streams back over loopback. Elsewhere the camera keeps
        // its own destination unless another port was asked for.
        const bool loopback = address.rfind("127.", 0) == 0;
        if (loopback || imagePort_ != kDefaultImagePort) {
            streamDestination_ = loopback ? kLoopbackDestination : localAddressTowards(address);
        }
        // Not connected yet: stored, and sent by the SDK's connection follow-up.
        sdk_->setUdpDestIp(streamDestination_, imagePort_);
    }
    sdk_->startup();
    if (isNetwork_ && streams && !waitForImageSocket(imagePort_, why)) return kExitNoConnection;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!connectedCv_.wait_until(lock, deadline, [this] { return followUpDone_; })) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%g",
                          static_cast<double>(timeout.count()) / 1000.0);
            why = "no answer from " + address + " within " + seconds + " s (state " +
                  sdk_->getStateString() + ")";
            return kExitNoConnection;
        }
    }
    if (!streamDestination_.empty()) {
        // Said again: the follow-up gives up on a camera that answered it "busy".
        if (!command([&](Movoda::MvSdk& sdk) {
                return sdk.setUdpDestIp(streamDestination_, imagePort_);
            })) {
            why = "the camera refused the image stream destination " + streamDestination_ + ":" +
                  std::to_string(imagePort_);
            return kExitCommandFailed;
        }
    }
    return kExitOk;
}

}  // namespace vantory_cli
