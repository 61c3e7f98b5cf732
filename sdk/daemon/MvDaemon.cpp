#include "daemon/MvDaemon.h"

#include <algorithm>
#include <iostream>

#include "link/CommnunicationNet.h"
#include "link/CommnunicationUsb.h"
#include "link/Packet.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace {
constexpr const char* kTagTransceive = "Movoda::MvDaemon::transceiveCmd";
constexpr const char* kTagAddress = "Movoda::MvDaemon::setConnectAddress";
constexpr const char* kTagDevState = "Movoda::MvDaemon::updateDevState";
constexpr const char* kTagDaemon = "Movoda::MvDaemon::~MvDaemon";
constexpr const char* kTagStartup = "Movoda::MvDaemon::startup";

// Per thread, so that concurrent callers each see the status of their own exchange.
thread_local uint32_t tLastStatus = CMD_OK;
}  // namespace

uint32_t MvDaemon::lastStatusOfThisThread() {
    return tLastStatus;
}

MvDaemon::MvDaemon() : io_(std::make_unique<boost::asio::io_context>()), timing_() {
    net_ = std::make_unique<CommnunicationNet>(*io_);
    usb_ = std::make_unique<CommnunicationUsb>(*io_);
    current_.store(net_.get());
    isNet_.store(true);  // keeps the supervisor from closing the selected transport
    setBigEndianLength(false);
}

MvDaemon::MvDaemon(std::unique_ptr<Commnunication> net, std::unique_ptr<Commnunication> usb,
                   daemon::DaemonTiming timing)
    : net_(std::move(net)), usb_(std::move(usb)), timing_(timing) {
    current_.store(net_ ? net_.get() : usb_.get());
    isNet_.store(current_.load() != nullptr && current_.load() == net_.get());
    setBigEndianLength(false);
}

MvDaemon::~MvDaemon() {
    stop();
    sdkLog(LOG_INFO, kTagDaemon, "daemon delete");
}

void MvDaemon::startup() {
    sdkLog(LOG_INFO, kTagStartup, "startup");
    std::lock_guard<std::mutex> lock(lifecycleMutex_);
    if (started_.load() || stopped_.load()) return;
    started_.store(true);
    supervisor_ = std::thread(&MvDaemon::daemonFunc, this);
    if (eventQueueEnabled_.load()) eventThread_ = std::thread(&MvDaemon::eventQueueFunc, this);
}

void MvDaemon::stop() {
    std::lock_guard<std::mutex> lock(lifecycleMutex_);
    if (stopped_.exchange(true)) return;
    running_.store(false);
    { std::lock_guard<std::mutex> pause(pauseMutex_); }
    pauseCv_.notify_all();
    { std::lock_guard<std::mutex> response(responseMutex_); }
    responseCv_.notify_all();
    { std::lock_guard<std::mutex> events(eventMutex_); }
    eventCv_.notify_all();

    if (supervisor_.joinable()) supervisor_.join();  // it starts the receiver: join it first
    PipelineHooks pipeline;
    {
        std::lock_guard<std::mutex> hooks(pipelineMutex_);
        pipeline = pipeline_;
    }
    if (pipeline.stop) pipeline.stop();
    // Closing the channels wakes the receive thread out of a read.
    if (net_) {
        net_->disconnect();
        net_->closeUdp();
    }
    if (usb_) usb_->disconnect();
    if (receiver_.joinable()) receiver_.join();
    if (eventThread_.joinable()) eventThread_.join();
    std::lock_guard<std::mutex> events(eventMutex_);
    events_.clear();
}

bool MvDaemon::pauseUnlessStopped(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(pauseMutex_);
    return !pauseCv_.wait_for(lock, duration, [this] { return !running_.load(); });
}

bool MvDaemon::setConnectAddress(const std::string& address) {
    sdkLog(LOG_INFO, kTagAddress, address);
    std::lock_guard<std::mutex> lock(addressMutex_);
    Commnunication* current = current_.load();
    if (current != nullptr && current->getAddress() == address) return true;

    Commnunication* selected = nullptr;
    if (isIpv4Address(address)) {
        selected = net_.get();
    } else if (isSerialPortName(address)) {
        selected = usb_.get();
    }
    if (selected == nullptr) return false;

    selected->setAddress(address);
    // The new transport becomes current before the old one closes: a receive step still
    // running on the old one then sees that it is no longer current and does not keep it open.
    isNet_.store(selected == net_.get());
    current_.store(selected);
    if (selected != current && current != nullptr) {
        current->disconnect();
        if (current == net_.get()) current->closeUdp();
    }
    if (sdkState_.load() != SDK_NotStartup) {
        // Closing makes the receive thread open the new address.
        selected->disconnect();
        selected->closeUdp();
    }
    return true;
}

void MvDaemon::setBigEndianLength(bool bigEndian) {
    bigEndianLength_.store(bigEndian);
    if (net_) net_->setBigEndianLength(bigEndian);
    if (usb_) usb_->setBigEndianLength(bigEndian);
}

void MvDaemon::setEndianAutoDetect(bool on) {
    endianAutoDetect_.store(on);
    autoDetectArmed_.store(on);
    setBigEndianLength(on);
}

bool MvDaemon::sendCmdNoWait(uint8_t cmd, const std::vector<uint8_t>& payload) {
    // Not under the command mutex: this is the receive thread's link check right after the
    // channel opened, and an exchange still waiting on the old link must not hold it up.
    // The transport serialises its writes itself.
    Commnunication* transport = current_.load();
    if (transport == nullptr || !transport->isConnected()) return false;
    return transport->transmitPackage(
        packet::buildRequest(cmd, payload.data(), payload.size(), bigEndianLength_.load()));
}

void MvDaemon::flipByteOrderLocked(std::vector<uint8_t>& request) {
    const bool flipped = !bigEndianLength_.load();
    setBigEndianLength(flipped);
    std::cout << "change edian = " << (flipped ? 1 : 0) << std::endl;
    if (net_ && net_->isConnected()) {
        net_->disconnect();
        pauseUnlessStopped(timing_.endianFlipPause);
    }
    packet::rewriteLength(request, flipped);
}

CmdResult MvDaemon::transceiveCmd(uint8_t cmd, const std::vector<uint8_t>& payload,
                                  uint32_t timeoutMs) {
    CmdResult result = exchange(cmd, payload, timeoutMs);
    tLastStatus = result.status;
    return result;
}

CmdResult MvDaemon::exchange(uint8_t cmd, const std::vector<uint8_t>& payload, uint32_t timeoutMs) {
    CmdResult result;
    Commnunication* transport = current_.load();
    if (transport == nullptr || !transport->isConnected()) return result;

    std::lock_guard<std::mutex> commandLock(commandMutex_);
    std::unique_lock<std::mutex> responseLock(responseMutex_);
    const uint32_t generation = linkGeneration_.load();
    if (!transport->isConnected()) return result;  // closed while waiting for the mutex
    awaitedId_.store(cmd);
    response_.clear();
    const auto timeout = std::chrono::milliseconds(std::max(timeoutMs, timeout::kMinCmdTimeoutMs));
    std::vector<uint8_t> request =
        packet::buildRequest(cmd, payload.data(), payload.size(), bigEndianLength_.load());

    bool inTime = false;
    bool linkReopened = false;
    for (int attempt = 0; attempt < daemon::kMaxTransmissions && running_.load(); ++attempt) {
        arrived_ = false;
        waiting_.store(true);
        current_.load()->transmitPackage(request);
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        responseCv_.wait_until(responseLock, deadline, [&] {
            return arrived_ || !running_.load() || linkGeneration_.load() != generation;
        });
        if (arrived_) {
            inTime = true;
            break;
        }
        if (linkGeneration_.load() != generation) {
            linkReopened = true;
            break;
        }
        if (cmd == cmd::kCalibrateAll || cmd == cmd::kCalibrateOne) break;
        sdkLog(LOG_INFO, kTagTransceive, "try again cmd " + std::to_string(cmd));
        if (cmd == cmd::kLinkCheck && autoDetectArmed_.load()) {
            if (endianFailCount_.fetch_add(1) + 1 > daemon::kEndianFailsBeforeFlip) {
                endianFailCount_.store(0);
                flipByteOrderLocked(request);
            }
        } else if (cmd == cmd::kLinkCheck) {
            endianFailCount_.store(0);
        }
    }
    if (autoDetectArmed_.load() && arrived_) autoDetectArmed_.store(false);
    waiting_.store(false);

    if (arrived_) {
        result.status = lastStatus_;
        if (lastStatus_ > kMaxWireStatus) {
            result.status = CMD_INVALID;
            sdkLog(LOG_WARN, kTagTransceive,
                   "cmd " + std::to_string(cmd) + " answered with status byte " +
                       std::to_string(lastStatus_) + ", which no camera status has");
        }
        result.payload = response_;
        timeoutsInRow_ = 0;
        if (inTime) {
            if (cmd == cmd::kCalibrateOne) {
                longOperationFlag_.store(true);
            } else if (longOperationFlag_.load() && cmd != cmd::kKeepsLongOperation) {
                longOperationFlag_.store(false);
            }
        }
    } else if (linkReopened) {
        // Not the camera's silence: the request went out on a link that is gone.
        result.status = CMD_TIMEOUT;
        sdkLog(LOG_WARN, kTagTransceive, "cmd abandoned, link reopened:" + std::to_string(cmd));
    } else {
        result.status = CMD_TIMEOUT;
        ++timeoutsInRow_;
        sdkLog(LOG_WARN, kTagTransceive, "cmd timeout:" + std::to_string(cmd));
        if (timeoutsInRow_ > daemon::kTimeoutsBeforeDrop) {
            timeoutsInRow_ = 0;
            current_.load()->disconnect();
        }
    }
    awaitedId_.store(cmd::kNoCommand);
    if (result.status != CMD_OK) {
        std::cout << "----Error: Cmd=" << int(cmd) << " error= " << cmdStatusName(result.status)
                  << std::endl;
    }
    return result;
}

// ---- State ----

void MvDaemon::reportState(uint32_t state, uint8_t id) {
    auto event = std::make_shared<CBEventData>();
    event->eventName = kEventSdkState;
    event->cmdId = id;
    event->data.push_back(uint8_t(state));
    pushEvent(std::move(event));
}

void MvDaemon::reportDevState(int state) {
    auto event = std::make_shared<CBEventData>();
    event->eventName = kEventDevState;
    event->cmdId = kEventIdState;
    event->data.push_back(uint8_t(state));
    pushEvent(std::move(event));
}

void MvDaemon::enterPortOpening() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    portOpened_.store(true);
    if (sdkState_.load() == SDK_PortOpening) return;
    sdkState_.store(SDK_PortOpening);
    reportState(SDK_PortOpening, kEventIdState);
}

void MvDaemon::enterTxRxVerifying() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (sdkState_.load() == SDK_TxRxVerifying) return;
    sdkState_.store(SDK_TxRxVerifying);
    devState_.store(0);
    txrxCounter_.store(0);
    reportState(SDK_TxRxVerifying, kEventIdState);
}

void MvDaemon::enterConnected() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (sdkState_.load() == SDK_Connected) return;
    sdkState_.store(SDK_Connected);
    const uint8_t id = portOpened_.exchange(false) ? kEventIdFirstConnected : kEventIdState;
    reportState(SDK_Connected, id);
}

void MvDaemon::enterUdpOk() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    const uint32_t state = sdkState_.load();
    if (state == SDK_Connected || state == SDK_UdpOk) return;
    sdkState_.store(SDK_UdpOk);
    devState_.store(DEV_Stream);
    reportState(SDK_UdpOk, kEventIdState);
}

void MvDaemon::updateDevState(int state) {
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        if (devState_.load() == state) return;
        devState_.store(state);
        reportDevState(state);
    }
    if (state >= int(DEV_ErrUnknowMax) || state < 0) {
        sdkLog(LOG_INFO, kTagDevState, "unknow:" + std::to_string(state));
    } else {
        sdkLog(LOG_INFO, kTagDevState, devStateName(uint32_t(state)));
    }
}

// ---- Events ----

void MvDaemon::setEventCallback(EventCallback callback) {
    std::lock_guard<std::mutex> lock(callbackMutex_);
    eventCallback_ = std::move(callback);
    eventCallbackWithUser_ = nullptr;
    eventCallbackUser_ = nullptr;
}

void MvDaemon::setEventCallback(EventCallbackWithUser callback, void* user) {
    std::lock_guard<std::mutex> lock(callbackMutex_);
    eventCallbackWithUser_ = std::move(callback);
    eventCallbackUser_ = user;
    eventCallback_ = nullptr;
}

void MvDaemon::setInternalEventHook(EventHookFn hook, void* user) {
    std::lock_guard<std::mutex> lock(hookMutex_);
    internalHook_ = hook;
    internalHookUser_ = user;
}

void MvDaemon::setPipelineHooks(PipelineHooks hooks) {
    std::lock_guard<std::mutex> lock(pipelineMutex_);
    pipeline_ = std::move(hooks);
}

void MvDaemon::attachPipeline(std::shared_ptr<FramePipeline> pipeline, PipelineHooks hooks) {
    std::lock_guard<std::mutex> lock(pipelineMutex_);
    framePipeline_ = std::move(pipeline);
    pipeline_ = std::move(hooks);
}

std::string MvDaemon::udpDestAddress() const {
    std::lock_guard<std::mutex> lock(udpDestMutex_);
    return udpDestAddress_;
}

void MvDaemon::setUdpDestAddress(const std::string& address) {
    std::lock_guard<std::mutex> lock(udpDestMutex_);
    udpDestAddress_ = address;
}

void MvDaemon::callAppCallback(const std::shared_ptr<const CBEventData>& event) {
    std::lock_guard<std::mutex> lock(callbackMutex_);
    if (eventCallbackWithUser_) {
        eventCallbackWithUser_(event, eventCallbackUser_);
    } else if (eventCallback_) {
        eventCallback_(event);
    }
}

void MvDaemon::deliverNow(const std::shared_ptr<const CBEventData>& event) {
    try {
        callAppCallback(event);
    } catch (const std::exception& e) {
        sdkLog(LOG_ERROR, "Movoda::MvDaemon::eventCallback", e.what());
    }
}

void MvDaemon::pushEvent(std::shared_ptr<const CBEventData> event) {
    if (!event) return;
    if (eventQueueEnabled_.load() && event->cmdId != cmd::kImmediateReport) {
        {
            std::lock_guard<std::mutex> lock(eventMutex_);
            if (event->cmdId == cmd::kDataReport) {
                // Reports come many a second and only the newest matters; every other event
                // is kept, so a slow callback costs old reports, not memory.
                if (queuedReports_ >= daemon::kMaxQueuedReports) {
                    const auto oldest =
                        std::find_if(events_.begin(), events_.end(),
                                     [](const auto& e) { return e->cmdId == cmd::kDataReport; });
                    if (oldest != events_.end()) {
                        events_.erase(oldest);
                        --queuedReports_;
                        reportsDropped_.fetch_add(1);
                    }
                }
                ++queuedReports_;
            }
            events_.push_back(std::move(event));
        }
        eventCv_.notify_one();
        return;
    }
    deliverNow(event);
}

bool MvDaemon::deliverUdpReport(const std::vector<uint8_t>& result) {
    // id, payload, status byte, state byte, trailer type
    if (result.size() < 4 || result[0] != cmd::kDataReport) return false;
    auto event = std::make_shared<CBEventData>();
    event->eventName = kEventData;
    event->cmdId = cmd::kDataReport;
    event->reportByte = result[result.size() - 3];
    event->data.assign(result.begin() + 1, result.end() - 3);
    pushEvent(std::move(event));
    reportsRunning_.fetch_add(1);
    return true;
}

}  // namespace Movoda
