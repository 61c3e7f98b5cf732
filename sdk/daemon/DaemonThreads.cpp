// The daemon's long-running threads: the supervisor, the command-channel receiver and
// the event queue.
#include <iostream>

#include "daemon/MvDaemon.h"
#include "link/Packet.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace {
constexpr const char* kTagSupervisor = "Movoda::MvDaemon::DaemonFunc";
constexpr const char* kTagReceive = "Movoda::MvDaemon::cmdChannelRx";
constexpr const char* kTagEvents = "Movoda::MvDaemon::eventQueueFunc";
constexpr const char* kCommandChannelSource = "cmd";
}  // namespace

// ---- Supervisor ----

void MvDaemon::daemonFunc() {
    sdkLog(LOG_INFO, kTagSupervisor, "start");
    while (running_.load()) {
        const auto tickStart = std::chrono::steady_clock::now();
        try {
            supervisorTick();
        } catch (const std::exception& e) {
            sdkLog(LOG_ERROR, kTagSupervisor, e.what());
        }
        std::unique_lock<std::mutex> lock(pauseMutex_);
        pauseCv_.wait_until(lock, tickStart + timing_.tick, [this] { return !running_.load(); });
    }
}

void MvDaemon::supervisorTick() {
    if (!receiver_.joinable()) receiver_ = std::thread(&MvDaemon::cmdChannelRx, this);
    {
        PipelineHooks pipeline;
        {
            std::lock_guard<std::mutex> lock(pipelineMutex_);
            pipeline = pipeline_;
        }
        if (pipeline.ensureRunning) pipeline.ensureRunning(isNet_.load());
    }

    if (rxActivity_.exchange(0) != 0) {
        silentSeconds_.store(0);
    } else {
        silentSeconds_.fetch_add(1);
    }

    Commnunication* transport = current_.load();
    if (transport != nullptr && transport->isConnected()) checkSilence();

    if (sdkState_.load() == SDK_TxRxVerifying && running_.load()) {
        if (txrxCounter_.load() < daemon::kTxRxCheckEvery) {
            txrxCounter_.fetch_add(1);
        } else {
            txrxCounter_.store(0);
            sdkLog(LOG_INFO, kTagSupervisor, "Try Check TXRX");
            transceiveCmd(cmd::kLinkCheck, {}, timeout::kShortMs);
        }
    }

    // Keep the transport that is not selected closed.
    if (isNet_.load()) {
        if (usb_ && usb_->isConnected()) usb_->disconnect();
    } else if (net_) {
        if (net_->isConnected()) net_->disconnect();
        if (net_->isUdpOpened()) net_->closeUdp();
    }

    framesLastSecond_.store(framesRunning_.exchange(0));
    reportsLastSecond_.store(reportsRunning_.exchange(0));
}

void MvDaemon::checkSilence() {
    const bool longOperation = longOperationFlag_.load();
    const uint32_t silent = silentSeconds_.load();
    bool check = false;
    bool drop = false;
    if (longOperation) {
        check = silent == daemon::kLongOpCheckTicks || silent == daemon::kLongOpSecondCheckTicks;
        drop = silent >= daemon::kLongOpDropTicks;
    } else {
        check = silent == daemon::kSilenceCheckTicks;
        drop = silent >= daemon::kSilenceDropTicks;
    }
    if (check) {
        transceiveCmd(cmd::kLinkCheck, {}, timeout::kShortMs);
    } else if (drop) {
        silentSeconds_.store(0);
        enterTxRxVerifying();
    }
}

// ---- Command-channel receiver ----

void MvDaemon::cmdChannelRx() {
    sdkLog(LOG_INFO, kTagReceive, "start");
    while (running_.load()) {
        Commnunication* transport = current_.load();
        if (transport == nullptr) {
            pauseUnlessStopped(timing_.connectRetry);
            continue;
        }
        try {
            receiveStep(*transport);
        } catch (const std::exception& e) {
            sdkLog(LOG_ERROR, kTagReceive, e.what());
        }
    }
}

void MvDaemon::onLinkOpened() {
    linkUp_ = true;
    linkOpenedAt_ = std::chrono::steady_clock::now();
    awaitedId_.store(cmd::kLinkCheck);
    waiting_.store(false);
    {
        std::lock_guard<std::mutex> lock(responseMutex_);
        arrived_ = false;
        linkGeneration_.fetch_add(1);
    }
    responseCv_.notify_all();
    endianFailCount_.store(0);
    if (endianAutoDetect_.load()) autoDetectArmed_.store(true);
    enterTxRxVerifying();
    sendCmdNoWait(cmd::kLinkCheck, {});
}

void MvDaemon::backOffAfterShortLink() {
    if (!linkUp_) return;  // no link since the last attempt: the connect retry paces it
    linkUp_ = false;
    const auto lived = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - linkOpenedAt_);
    if (lived >= timing_.stableLink) {
        shortLinks_ = 0;
        reconnectDelayMs_.store(0);
        return;
    }
    ++shortLinks_;
    auto delay = timing_.backoffFirst;
    for (uint32_t i = 1; i < shortLinks_ && delay < timing_.backoffMax; ++i) delay *= 2;
    delay = std::min(delay, timing_.backoffMax);
    const bool newStep = delay.count() != reconnectDelayMs_.exchange(delay.count());
    if (newStep || shortLinks_ % daemon::kBackoffLogEvery == 0) {
        sdkLog(LOG_WARN, kTagReceive,
               "link closed " + std::to_string(lived.count()) + " ms after opening (" +
                   std::to_string(shortLinks_) + " in a row); next try in " +
                   std::to_string(delay.count()) + " ms");
    }
    pauseUnlessStopped(delay);
}

void MvDaemon::receiveStep(Commnunication& transport) {
    if (!transport.isConnected()) {
        backOffAfterShortLink();
        if (!running_.load()) return;
        enterPortOpening();
        if (transport.connect()) {
            // The address may have moved to the other transport while connecting.
            if (&transport != current_.load()) {
                transport.disconnect();
                return;
            }
            onLinkOpened();
        } else {
            pauseUnlessStopped(timing_.connectRetry);
        }
        return;
    }
    std::vector<uint8_t> inner;
    if (!transport.receivePackage(inner)) {
        if (!transport.isConnected() && running_.load()) enterTxRxVerifying();
        return;
    }
    handlePacket(inner);
}

void MvDaemon::handlePacket(const std::vector<uint8_t>& inner) {
    autoDetectArmed_.store(false);
    const auto split = packet::splitInner(inner.data(), inner.size());
    if (!split) return;

    if (split->cmdId == cmd::kFrame) {
        PipelineHooks pipeline;
        {
            std::lock_guard<std::mutex> lock(pipelineMutex_);
            pipeline = pipeline_;
        }
        if (!pipeline.frameIntake || !pipeline.frameIntake(inner, kCommandChannelSource)) {
            std::cout << "frame error " << std::endl;
        }
    } else {
        bool matched = false;
        if (waiting_.load() && split->cmdId == awaitedId_.load()) {
            std::lock_guard<std::mutex> lock(responseMutex_);
            // Checked again under the lock: the exchange may have ended meanwhile.
            if (waiting_.load() && split->cmdId == awaitedId_.load()) {
                lastStatus_ = split->status;
                response_ = split->payload;
                arrived_ = true;
                waiting_.store(false);
                matched = true;
            }
        }
        if (matched) {
            responseCv_.notify_all();
        } else {
            auto event = std::make_shared<CBEventData>();
            event->eventName = kEventData;
            event->cmdId = split->cmdId;
            event->reportByte = split->status;
            event->data = split->payload;
            pushEvent(std::move(event));
            if (split->cmdId == cmd::kCalibrateOne) longOperationFlag_.store(true);
            if (split->cmdId == cmd::kDataReport) reportsRunning_.fetch_add(1);
        }
        enterConnected();
    }
    if (int(split->devState) != devState_.load()) updateDevState(split->devState);
    rxActivity_.fetch_add(1);
}

// ---- Event queue ----

void MvDaemon::eventQueueFunc() {
    sdkLog(LOG_INFO, kTagEvents, "start");
    for (;;) {
        std::shared_ptr<const CBEventData> event;
        {
            std::unique_lock<std::mutex> lock(eventMutex_);
            eventCv_.wait(lock, [this] { return !events_.empty() || !running_.load(); });
            if (!running_.load()) return;
            event = events_.front();
            events_.pop_front();
            if (event->cmdId == cmd::kDataReport) --queuedReports_;
        }
        if (sdkState_.load() == SDK_Connected && event->cmdId == kEventIdFirstConnected) {
            EventHookFn hook = nullptr;
            void* user = nullptr;
            {
                std::lock_guard<std::mutex> lock(hookMutex_);
                hook = internalHook_;
                user = internalHookUser_;
            }
            if (hook != nullptr) {
                try {
                    hook(event, user);
                } catch (const std::exception& e) {
                    sdkLog(LOG_ERROR, kTagEvents, e.what());
                }
            }
        }
        deliverNow(event);
    }
}

}  // namespace Movoda
