// The SDK's engine room: keeps the command channel to a camera open on its own threads,
// tracks the connection and device states, exchanges commands (transceiveCmd) and hands
// state changes and unsolicited packets to the application as events.
#pragma once

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "daemon/DaemonConstants.h"
#include "link/CmdSet.h"
#include "link/Commnunication.h"
#include "link/NetConstants.h"
#include "mvsdk/MvTypes.h"

namespace Movoda {

class FramePipeline;

using EventCallbackWithUser =
    std::function<void(const std::shared_ptr<const CBEventData>&, void* user)>;

// Where the frame pipeline plugs in. Every member is optional.
struct PipelineHooks {
    // Called by the supervisor on every tick: start the frame worker threads (and, on the
    // network link, the UDP receive thread) if they are not running.
    std::function<void(bool isNet)> ensureRunning;
    // Called once while the daemon stops, before the transports close: wake and join.
    std::function<void()> stop;
    // A frame packet's inner bytes (id 251 on the command channel); false when rejected.
    std::function<bool(const std::vector<uint8_t>& inner, const std::string& source)> frameIntake;
};

class MvDaemon {
public:
    // Creates its own I/O context shared by a network and a USB transport.
    MvDaemon();
    // Uses the given transports (either may be null); tests inject fakes here.
    MvDaemon(std::unique_ptr<Commnunication> net, std::unique_ptr<Commnunication> usb,
             daemon::DaemonTiming timing = {});
    ~MvDaemon();
    MvDaemon(const MvDaemon&) = delete;
    MvDaemon& operator=(const MvDaemon&) = delete;

    // Starts the supervisor and the event-queue thread; a second call starts nothing.
    void startup();
    // Asks every thread to end, closes the transports and joins; safe to call twice.
    void stop();

    // Selects the transport by the address (IPv4 text: network, port name: USB).
    bool setConnectAddress(const std::string& address);

    // Sends one command and waits for the response with the same id (up to four tries).
    CmdResult transceiveCmd(uint8_t cmd, const std::vector<uint8_t>& payload, uint32_t timeoutMs);
    // Status of the last exchange the calling thread made (CMD_OK before any).
    static uint32_t lastStatusOfThisThread();
    // Sends one request without waiting, when the current transport is connected.
    bool sendCmdNoWait(uint8_t cmd, const std::vector<uint8_t>& payload);

    void updateDevState(int state);
    void setEndianAutoDetect(bool on);
    bool endianAutoDetect() const { return endianAutoDetect_.load(); }
    bool getBigEndianLength() const { return bigEndianLength_.load(); }
    // Sets the byte order on the daemon and both transports.
    void setBigEndianLength(bool bigEndian);

    // ---- Events ----
    void setEventCallback(EventCallback callback);
    void setEventCallback(EventCallbackWithUser callback, void* user);
    // The facade's own handler, run before the application's callback for the first
    // "Connected" event (id 254).
    void setInternalEventHook(EventHookFn hook, void* user);
    // Queues an event (or delivers it at once for id 157 or with the queue disabled).
    void pushEvent(std::shared_ptr<const CBEventData> event);
    // A report from the image stream (first byte 252): "data" event and report counter.
    bool deliverUdpReport(const std::vector<uint8_t>& result);

    // ---- Frame pipeline seam ----
    void setPipelineHooks(PipelineHooks hooks);
    // Keeps the frame pipeline alive as long as the daemon and installs its hooks.
    void attachPipeline(std::shared_ptr<FramePipeline> pipeline, PipelineHooks hooks);
    FramePipeline* framePipeline() const { return framePipeline_.get(); }
    // Image datagrams arrive without a verified command channel.
    void enterUdpOk();
    void countFrame() { framesRunning_.fetch_add(1); }
    bool isRunning() const { return running_.load(); }
    bool isNet() const { return isNet_.load(); }
    Commnunication* currentTransport() const { return current_.load(); }
    Commnunication* netTransport() const { return net_.get(); }
    Commnunication* usbTransport() const { return usb_.get(); }
    std::mutex& callbackMutex() { return callbackMutex_; }

    // ---- State ----
    uint32_t sdkState() const { return sdkState_.load(); }
    int devState() const { return devState_.load(); }
    bool isConnected() const { return sdkState_.load() == SDK_Connected; }
    bool longOperationFlag() const { return longOperationFlag_.load(); }
    uint32_t silentSeconds() const { return silentSeconds_.load(); }
    bool autoDetectArmed() const { return autoDetectArmed_.load(); }
    uint32_t frameRate() const { return framesLastSecond_.load(); }
    uint32_t reportRate() const { return reportsLastSecond_.load(); }
    // IMU reports dropped because the event callback fell behind.
    uint64_t reportsDropped() const { return reportsDropped_.load(); }
    // Pause before the next reconnect (0 while the last link was stable).
    std::chrono::milliseconds reconnectDelay() const {
        return std::chrono::milliseconds(reconnectDelayMs_.load());
    }
    uint16_t imagePort() const { return imagePort_.load(); }
    void setImagePort(uint16_t port) { imagePort_.store(port); }
    // Image-stream destination stored while not connected (empty: none).
    std::string udpDestAddress() const;
    void setUdpDestAddress(const std::string& address);

private:
    void startThreadsLocked();
    CmdResult exchange(uint8_t cmd, const std::vector<uint8_t>& payload, uint32_t timeoutMs);
    void daemonFunc();
    void supervisorTick();
    void checkSilence();
    void cmdChannelRx();
    void receiveStep(Commnunication& transport);
    void handlePacket(const std::vector<uint8_t>& inner);
    void eventQueueFunc();
    void deliverNow(const std::shared_ptr<const CBEventData>& event);
    void callAppCallback(const std::shared_ptr<const CBEventData>& event);

    void enterPortOpening();
    void enterTxRxVerifying();
    void enterConnected();
    void reportState(uint32_t state, uint8_t id);
    void reportDevState(int state);
    void onLinkOpened();
    // Called by the receive thread when it finds the channel closed: pauses before the
    // next connect when the last link closed soon after it opened.
    void backOffAfterShortLink();
    void flipByteOrderLocked(std::vector<uint8_t>& request);
    // Sleeps for the duration unless the daemon stops first; false when stopping.
    bool pauseUnlessStopped(std::chrono::milliseconds duration);

    std::unique_ptr<boost::asio::io_context> io_;  // declared first: transports use it
    std::unique_ptr<Commnunication> net_;
    std::unique_ptr<Commnunication> usb_;
    std::atomic<Commnunication*> current_{nullptr};
    const daemon::DaemonTiming timing_;

    std::atomic<bool> running_{true};  // cleared once, by stop()
    std::atomic<bool> started_{false};
    std::atomic<bool> stopped_{false};
    std::mutex lifecycleMutex_;
    std::mutex pauseMutex_;
    std::condition_variable pauseCv_;
    std::thread supervisor_;
    std::thread receiver_;
    std::thread eventThread_;

    // Connection and device state; transitions and their events happen under stateMutex_.
    std::mutex stateMutex_;
    std::atomic<uint32_t> sdkState_{SDK_NotStartup};
    std::atomic<int> devState_{0};
    std::atomic<bool> portOpened_{true};
    std::atomic<uint32_t> rxActivity_{0};
    std::atomic<uint32_t> silentSeconds_{0};
    std::atomic<int> txrxCounter_{0};
    std::atomic<bool> longOperationFlag_{false};
    std::atomic<bool> isNet_{false};
    std::mutex addressMutex_;

    // Byte order and its auto-detection.
    std::atomic<bool> bigEndianLength_{false};
    std::atomic<bool> endianAutoDetect_{false};
    std::atomic<bool> autoDetectArmed_{false};
    std::atomic<int> endianFailCount_{0};

    // Command exchange: command mutex, then response mutex.
    std::mutex commandMutex_;
    std::mutex responseMutex_;
    std::condition_variable responseCv_;
    std::vector<uint8_t> response_;
    uint8_t lastStatus_ = 0;
    bool arrived_ = false;
    std::atomic<uint8_t> awaitedId_{cmd::kNoCommand};
    std::atomic<bool> waiting_{false};
    int timeoutsInRow_ = 0;  // under commandMutex_
    // Bumped each time the channel (re)opens: an exchange sent on an earlier link cannot
    // be answered and ends at once.
    std::atomic<uint32_t> linkGeneration_{0};

    // Reconnect back-off, receive thread only (the delay is readable for tests).
    bool linkUp_ = false;
    std::chrono::steady_clock::time_point linkOpenedAt_{};
    uint32_t shortLinks_ = 0;
    std::atomic<int64_t> reconnectDelayMs_{0};

    // Events.
    std::mutex eventMutex_;
    std::condition_variable eventCv_;
    std::deque<std::shared_ptr<const CBEventData>> events_;
    size_t queuedReports_ = 0;  // id-252 reports in events_
    std::atomic<uint64_t> reportsDropped_{0};
    std::atomic<bool> eventQueueEnabled_{true};
    std::mutex callbackMutex_;
    EventCallback eventCallback_;
    EventCallbackWithUser eventCallbackWithUser_;
    void* eventCallbackUser_ = nullptr;
    EventHookFn internalHook_ = nullptr;
    void* internalHookUser_ = nullptr;
    std::mutex hookMutex_;

    PipelineHooks pipeline_;
    std::mutex pipelineMutex_;
    std::shared_ptr<FramePipeline> framePipeline_;  // its threads end in stop()
    mutable std::mutex udpDestMutex_;
    std::string udpDestAddress_;

    std::atomic<uint32_t> framesRunning_{0};
    std::atomic<uint32_t> framesLastSecond_{0};
    std::atomic<uint32_t> reportsRunning_{0};
    std::atomic<uint32_t> reportsLastSecond_{0};
    std::atomic<uint16_t> imagePort_{net::kDefaultImagePort};
};

}  // namespace Movoda
