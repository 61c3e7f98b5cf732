// The simulated camera as one object: command server (TCP or pseudo-terminal), image
// stream, announcements, maintenance sequences and faults on demand. Tests run it
// in-process, read back what it received and steer it; the program wraps it.
#pragma once

#include <atomic>
#include <boost/asio.hpp>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "CommandLink.h"
#include "CommandProcessor.h"
#include "FrameStreamer.h"
#include "PseudoTerminal.h"
#include "SimOptions.h"

namespace camsim {

struct ReceivedCommand {
    uint8_t id = 0;
    std::vector<uint8_t> payload;
};

struct SimCounters {
    uint64_t commandsReceived = 0;
    uint64_t answersSent = 0;
    uint64_t busyInjected = 0;
    uint64_t mutedRequests = 0;  // not answered: muted id or gone silent
    uint64_t delayedAnswers = 0;
    uint64_t linksAccepted = 0;
    uint64_t linksClosedByFault = 0;
    uint64_t reportsSent = 0;  // device log lines and firmware reports
    uint64_t announcements = 0;
    uint64_t requestBytesDropped = 0;
    StreamCounters stream;
};

class CameraSim {
public:
    explicit CameraSim(SimOptions options);
    ~CameraSim();
    CameraSim(const CameraSim&) = delete;
    CameraSim& operator=(const CameraSim&) = delete;

    bool start(std::string* error = nullptr);
    void stop();

    // What the camera received, oldest first (bounded to the most recent kLogLimit).
    std::vector<ReceivedCommand> receivedCommands() const;
    void clearReceivedCommands();
    // Waits until `count` requests with this id have arrived since the last clear.
    bool waitForCommand(uint8_t id, std::chrono::milliseconds timeout, size_t count = 1) const;

    void setFaults(const FaultOptions& faults);
    SimCounters counters() const;
    std::string countersText() const;

    AcquisitionConfig config() const { return processor_.config(); }
    void setConfig(const AcquisitionConfig& config) { processor_.setConfig(config); }
    Identity identity() const { return processor_.identity(); }
    uint8_t deviceState() const { return processor_.devState(); }
    bool streaming() const { return processor_.streaming(); }
    bool linkOpen() const;
    std::string usbDevicePath() const { return pty_.devicePath(); }
    const SimOptions& options() const { return options_; }
    // With --replay: what was loaded (empty without a recording).
    std::string replaySummary() const { return replay_ ? replay_->summary() : std::string(); }

    static constexpr size_t kLogLimit = 100000;

private:
    using Timer = boost::asio::steady_timer;

    bool openAcceptor(std::string& error);
    void acceptNext();
    void adoptLink(std::shared_ptr<CommandLink> link, const std::string& peer);
    void onPacket(const std::vector<uint8_t>& inner);
    void answer(uint8_t id, const Reply& reply);
    void runFollowUp(FollowUp followUp);
    void sendUnsolicited(uint8_t id, uint8_t statusCode, const std::vector<uint8_t>& payload);
    std::vector<uint8_t> packetOf(uint8_t id, uint8_t statusCode,
                                  const std::vector<uint8_t>& payload) const;
    void resetLink();
    void scheduleAnnouncement();
    void scheduleFaultClose();
    void calibrationStep(size_t index);
    std::optional<boost::asio::ip::udp::endpoint> imageDestination() const;
    bool sendOnStream(std::vector<uint8_t>&& packet);
    bool silent() const;

    SimOptions options_;
    CommandProcessor processor_;
    std::shared_ptr<const Recording> replay_;
    std::string replayError_;  // the recording could not be used: start() refuses
    std::unique_ptr<FrameStreamer> streamer_;
    boost::asio::io_context io_;
    std::optional<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> work_;
    std::thread ioThread_;
    boost::asio::ip::tcp::acceptor acceptor_{io_};
    boost::asio::ip::udp::socket announceSocket_{io_};
    Timer announceTimer_{io_}, faultCloseTimer_{io_}, bootTimer_{io_}, firmwareTimer_{io_};
    Timer calibrationTimer_{io_}, reopenTimer_{io_}, resetCloseTimer_{io_};
    PseudoTerminal pty_;
    std::atomic<bool> running_{false};
    std::chrono::steady_clock::time_point startedAt_;
    // USB link only: the camera "reboots" without closing the port and ignores requests
    // until then (guarded by logMutex_).
    std::chrono::steady_clock::time_point rebootingUntil_{};

    mutable std::mutex linkMutex_;  // guards link_ and peerAddress_
    std::shared_ptr<CommandLink> link_;
    std::string peerAddress_;

    mutable std::mutex logMutex_;  // guards log_, faults_, rng_ and the counters below
    mutable std::condition_variable logChanged_;
    std::deque<ReceivedCommand> log_;
    FaultOptions faults_;
    std::mt19937_64 rng_;
    SimCounters counters_;
};

}  // namespace camsim
