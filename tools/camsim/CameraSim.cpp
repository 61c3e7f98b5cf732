#include "CameraSim.h"

#include <sstream>

#include "CamsimConstants.h"
#include "link/Packet.h"

namespace camsim {

namespace asio = boost::asio;
using namespace std::chrono_literals;

namespace {

constexpr auto kResetCloseDelay = 50ms;  // lets the answer to the reset leave first

// Device log lines of one calibration run; each keyword moves the viewer's progress bar.
const char* const kCalibrationLines[] = {
    "calibration:start",
    "calibration:temperature 35.60C stable",
    "calibration:calcdllStep 1/2",
    "calibration:calcdllStep 2/2",
    "calibration:findRange ok",
    "calibration:calibrate:step 1/3",
    "calibration:calibrate:step 2/3",
    "calibration:calibrate:step 3/3",
    "calibration:flash:erase",
    "calibration:flash:write",
    "calibration:verify:step 1/1",
    "calibration:finish",
};
constexpr size_t kCalibrationLineCount = sizeof kCalibrationLines / sizeof kCalibrationLines[0];

std::chrono::steady_clock::duration seconds(double s) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(s));
}

}  // namespace

CameraSim::CameraSim(SimOptions options)
    : options_(std::move(options)),
      processor_([this] {
          ProcessorSettings s;
          s.identity = options_.identity;
          s.config = options_.config;
          s.legacy = options_.legacy;
          s.stateFile = options_.stateFile;
          s.firmwareResult = options_.firmwareResult;
          return s;
      }()),
      rng_(options_.seed ^ 0x2545F4914F6CDD1DULL) {
    faults_ = options_.faults;
    std::shared_ptr<const Scene> scene = makeScene(options_.scene);
    if (!scene) scene = makeScene(SceneOptions{});
    StreamerSettings s;
    s.bindAddress = options_.bindAddress;
    s.startSequence = options_.startSequence;
    s.imuRateHz = options_.imuRateHz;
    s.frame.noise = options_.noise;
    s.frame.seed = options_.seed;
    s.legacy = options_.legacy;
    if (!options_.replayDir.empty()) {
        replay_ = Recording::load(options_.replayDir, options_.legacy, options_.replayFps,
                                  replayError_);
        s.replay = replay_;
    }
    streamer_ = std::make_unique<FrameStreamer>(processor_, scene, s);
    streamer_->setFaults(options_.faults.datagrams);
}

CameraSim::~CameraSim() {
    stop();
}

bool CameraSim::start(std::string* error) {
    if (running_) return true;
    if (!replayError_.empty()) {
        if (error) *error = replayError_;
        return false;
    }
    std::string why;
    const bool usb = !options_.usbPath.empty();
    if (usb) {
        if (!pty_.open(options_.usbPath, why)) {
            if (error) *error = why;
            return false;
        }
    } else if (!openAcceptor(why)) {
        if (error) *error = why;
        return false;
    }
    if (options_.announce) {
        boost::system::error_code ec;
        announceSocket_.open(asio::ip::udp::v4(), ec);
        if (!ec) announceSocket_.set_option(asio::socket_base::broadcast(true), ec);
        if (!ec) announceSocket_.bind({asio::ip::make_address_v4(options_.bindAddress, ec), 0}, ec);
        if (ec) {
            if (error) *error = "announcement socket: " + ec.message();
            boost::system::error_code ignored;
            acceptor_.close(ignored);
            pty_.close();
            return false;
        }
    }
    FrameStreamer::DestinationFn destination;
    FrameStreamer::StreamSendFn streamSend;
    if (usb) {
        streamSend = [this](std::vector<uint8_t>&& p) { return sendOnStream(std::move(p)); };
    } else {
        destination = [this] { return imageDestination(); };
    }
    if (!streamer_->start(
            destination, streamSend, [this] { return !linkOpen(); }, why)) {
        if (error) *error = why;
        boost::system::error_code ignored;
        acceptor_.close(ignored);
        announceSocket_.close(ignored);
        pty_.close();
        return false;
    }
    startedAt_ = std::chrono::steady_clock::now();
    running_ = true;
    io_.restart();  // after an earlier stop()
    work_.emplace(io_.get_executor());
    if (usb) {
        adoptLink(makeFdLink(io_, pty_.takeMaster()), std::string());
    } else {
        acceptNext();
    }
    if (options_.announce) scheduleAnnouncement();
    scheduleFaultClose();
    ioThread_ = std::thread([this] { io_.run(); });
    return true;
}

void CameraSim::stop() {
    if (!running_.exchange(false)) return;
    streamer_->stop();
    asio::post(io_, [this] {
        for (Timer* t : {&announceTimer_, &faultCloseTimer_, &bootTimer_, &firmwareTimer_,
                         &calibrationTimer_, &reopenTimer_, &resetCloseTimer_}) {
            t->cancel();
        }
        boost::system::error_code ignored;
        acceptor_.close(ignored);
        announceSocket_.close(ignored);
        std::shared_ptr<CommandLink> link;
        {
            std::lock_guard<std::mutex> lock(linkMutex_);
            link.swap(link_);
        }
        // Closed here, not posted: io_.stop() below would drop a posted close.
        if (link) link->closeOnIo();
        io_.stop();
    });
    work_.reset();
    if (ioThread_.joinable()) ioThread_.join();
    pty_.close();
}

bool CameraSim::openAcceptor(std::string& error) {
    boost::system::error_code ec;
    const auto address = asio::ip::make_address_v4(options_.bindAddress, ec);
    if (ec) {
        error = "bad bind address " + options_.bindAddress;
        return false;
    }
    const asio::ip::tcp::endpoint endpoint(address, options_.commandPort);
    acceptor_.open(endpoint.protocol(), ec);
    if (!ec) acceptor_.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) acceptor_.bind(endpoint, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error = "command port " + options_.bindAddress + ":" +
                std::to_string(options_.commandPort) + ": " + ec.message();
        boost::system::error_code ignored;
        acceptor_.close(ignored);
        return false;
    }
    return true;
}

void CameraSim::acceptNext() {
    acceptor_.async_accept(
        [this](const boost::system::error_code& ec, asio::ip::tcp::socket socket) {
            if (ec) return;  // closed by stop or reset
            boost::system::error_code peerError;
            const auto peer = socket.remote_endpoint(peerError);
            adoptLink(makeTcpLink(io_, std::move(socket)),
                      peerError ? std::string() : peer.address().to_string());
            acceptNext();
        });
}

void CameraSim::adoptLink(std::shared_ptr<CommandLink> link, const std::string& peer) {
    std::shared_ptr<CommandLink> previous;
    {
        std::lock_guard<std::mutex> lock(linkMutex_);
        previous = link_;
        link_ = link;
        peerAddress_ = peer;
    }
    // One client at a time: a new connection replaces the old one.
    if (previous) previous->close();
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        ++counters_.linksAccepted;
    }
    std::weak_ptr<CommandLink> weak = link;
    link->start(
        options_.legacy, [this](const std::vector<uint8_t>& inner) { onPacket(inner); },
        [this, weak] {
            std::lock_guard<std::mutex> lock(linkMutex_);
            if (link_ == weak.lock()) link_.reset();
        });
}

bool CameraSim::linkOpen() const {
    std::lock_guard<std::mutex> lock(linkMutex_);
    return link_ && link_->isOpen();
}

bool CameraSim::silent() const {
    const double after = faults_.stopAnsweringAfterSeconds;
    return after > 0 && std::chrono::steady_clock::now() - startedAt_ >= seconds(after);
}

void CameraSim::onPacket(const std::vector<uint8_t>& inner) {
    const auto split = Movoda::packet::splitInner(inner.data(), inner.size());
    if (!split) return;
    bool busy = false;
    bool mute = false;
    uint32_t delayMs = 0;
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        if (log_.size() >= kLogLimit) log_.pop_front();
        log_.push_back({split->cmdId, split->payload});
        ++counters_.commandsReceived;
        mute = silent() || faults_.mutedIds.count(split->cmdId) != 0 ||
               std::chrono::steady_clock::now() < rebootingUntil_;
        if (mute) {
            ++counters_.mutedRequests;
        } else if (faults_.busyShare > 0 &&
                   std::uniform_real_distribution<double>(0, 1)(rng_) < faults_.busyShare) {
            busy = true;
            ++counters_.busyInjected;
        }
        delayMs = faults_.responseDelayMs;
    }
    logChanged_.notify_all();
    if (mute) return;

    Reply reply;
    if (busy) {
        reply.status = status::kBusy;
    } else {
        reply = processor_.handle(split->cmdId, split->payload);
    }
    if (reply.answer) {
        if (delayMs == 0) {
            answer(split->cmdId, reply);
        } else {
            auto timer = std::make_shared<Timer>(io_, std::chrono::milliseconds(delayMs));
            const uint8_t id = split->cmdId;
            timer->async_wait([this, timer, id, reply](const boost::system::error_code& ec) {
                if (!ec) answer(id, reply);
            });
            std::lock_guard<std::mutex> lock(logMutex_);
            ++counters_.delayedAnswers;
        }
    }
    for (FollowUp f : reply.followUps) runFollowUp(f);
}

std::vector<uint8_t> CameraSim::packetOf(uint8_t id, uint8_t statusCode,
                                         const std::vector<uint8_t>& payload) const {
    const uint8_t state = processor_.devState();
    if (options_.legacy) {
        const uint8_t trailer[2] = {uint8_t((state & 0x0F) << 4 | (statusCode & 0x0F)),
                                    Movoda::packet::kTrailerPackedA};
        return Movoda::packet::buildPacket(id, payload.data(), payload.size(), trailer,
                                           sizeof trailer, true);
    }
    const uint8_t trailer[3] = {statusCode, state, Movoda::packet::kTrailerSplit};
    return Movoda::packet::buildPacket(id, payload.data(), payload.size(), trailer, sizeof trailer,
                                       false);
}

void CameraSim::answer(uint8_t id, const Reply& reply) {
    std::shared_ptr<CommandLink> link;
    {
        std::lock_guard<std::mutex> lock(linkMutex_);
        link = link_;
    }
    if (!link || !link->send(packetOf(id, reply.status, reply.payload), false)) return;
    std::lock_guard<std::mutex> lock(logMutex_);
    ++counters_.answersSent;
}

void CameraSim::sendUnsolicited(uint8_t id, uint8_t statusCode,
                                const std::vector<uint8_t>& payload) {
    std::shared_ptr<CommandLink> link;
    {
        std::lock_guard<std::mutex> lock(linkMutex_);
        link = link_;
    }
    if (!link || !link->send(packetOf(id, statusCode, payload), false)) return;
    std::lock_guard<std::mutex> lock(logMutex_);
    ++counters_.reportsSent;
}

bool CameraSim::sendOnStream(std::vector<uint8_t>&& packet) {
    std::shared_ptr<CommandLink> link;
    {
        std::lock_guard<std::mutex> lock(linkMutex_);
        link = link_;
    }
    return link && link->send(std::move(packet), true);
}

std::optional<asio::ip::udp::endpoint> CameraSim::imageDestination() const {
    const StreamDestination d = processor_.destination();
    std::string address = ipText(d.ip);
    if (address == "0.0.0.0") {
        std::lock_guard<std::mutex> lock(linkMutex_);
        if (peerAddress_.empty()) return std::nullopt;
        address = peerAddress_;
    }
    boost::system::error_code ec;
    const auto ip = asio::ip::make_address_v4(address, ec);
    if (ec || d.port == 0) return std::nullopt;
    return asio::ip::udp::endpoint(ip, d.port);
}

void CameraSim::runFollowUp(FollowUp f) {
    switch (f) {
        case FollowUp::StartStream:
        case FollowUp::StopStream:
            streamer_->wake();
            break;
        case FollowUp::ResetLink:
            resetLink();
            break;
        case FollowUp::EnterBootloader:
            bootTimer_.expires_after(seconds(options_.bootloaderDelaySeconds));
            bootTimer_.async_wait([this](const boost::system::error_code& ec) {
                if (!ec) processor_.setDevState(devstate::kBootloader);
            });
            break;
        case FollowUp::StartCalibration:
            calibrationStep(0);
            break;
        case FollowUp::FirmwareDone:
            firmwareTimer_.expires_after(seconds(options_.firmwareReportDelaySeconds));
            firmwareTimer_.async_wait([this](const boost::system::error_code& ec) {
                if (ec) return;
                // The new firmware runs after programming: back to the application.
                processor_.setDevState(devstate::kIdle);
                sendUnsolicited(cmd::kFirmwareReport, status::kReport,
                                {kFirmwareFinalReport, processor_.firmwareResult()});
            });
            break;
    }
}

void CameraSim::calibrationStep(size_t index) {
    if (index >= kCalibrationLineCount) return;
    const std::string line = std::string("[cal] ") + kCalibrationLines[index];
    sendUnsolicited(cmd::kDeviceLog, status::kOk, std::vector<uint8_t>(line.begin(), line.end()));
    if (index + 1 == kCalibrationLineCount) {
        processor_.setDevState(devstate::kIdle);
        return;
    }
    const double interval = options_.calibrationSeconds / double(kCalibrationLineCount - 1);
    calibrationTimer_.expires_after(seconds(interval));
    calibrationTimer_.async_wait([this, index](const boost::system::error_code& ec) {
        if (!ec) calibrationStep(index + 1);
    });
}

void CameraSim::resetLink() {
    // Give the answer time to leave, then drop the link and keep the port shut while the
    // camera "reboots".
    resetCloseTimer_.expires_after(kResetCloseDelay);
    resetCloseTimer_.async_wait([this](const boost::system::error_code& ec) {
        if (ec) return;
        std::shared_ptr<CommandLink> link;
        {
            std::lock_guard<std::mutex> lock(linkMutex_);
            if (options_.usbPath.empty()) link.swap(link_);
        }
        if (link) link->close();
        if (options_.usbPath.empty()) {
            boost::system::error_code ignored;
            acceptor_.close(ignored);
        }
        processor_.setDevState(devstate::kIdle);
        if (!options_.usbPath.empty()) {
            std::lock_guard<std::mutex> lock(logMutex_);
            rebootingUntil_ =
                std::chrono::steady_clock::now() + seconds(options_.resetPauseSeconds);
        }
        reopenTimer_.expires_after(seconds(options_.resetPauseSeconds));
        reopenTimer_.async_wait([this](const boost::system::error_code& ec2) {
            if (ec2 || !running_ || !options_.usbPath.empty()) return;
            std::string error;
            if (openAcceptor(error)) acceptNext();
        });
    });
}

void CameraSim::scheduleAnnouncement() {
    const Identity id = processor_.identity();
    const std::string text = ipText(id.ip) + " :" + id.model + "," + id.serial + "," +
                             macText(id.mac) + "," + id.firmware;
    std::string target = options_.announceTarget;
    if (target.empty()) {
        target = options_.bindAddress.rfind("127.", 0) == 0 ? "127.0.0.1" : "255.255.255.255";
    }
    boost::system::error_code ec;
    const auto address = asio::ip::make_address_v4(target, ec);
    if (!ec) {
        announceSocket_.send_to(asio::buffer(text), {address, options_.announcePort}, 0, ec);
        if (!ec) {
            std::lock_guard<std::mutex> lock(logMutex_);
            ++counters_.announcements;
        }
    }
    announceTimer_.expires_after(seconds(options_.announceIntervalSeconds));
    announceTimer_.async_wait([this](const boost::system::error_code& e) {
        if (!e) scheduleAnnouncement();
    });
}

void CameraSim::scheduleFaultClose() {
    double every;
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        every = faults_.closeEverySeconds;
    }
    if (every <= 0 || !options_.usbPath.empty()) return;
    faultCloseTimer_.expires_after(seconds(every));
    faultCloseTimer_.async_wait([this](const boost::system::error_code& ec) {
        if (ec) return;
        std::shared_ptr<CommandLink> link;
        {
            std::lock_guard<std::mutex> lock(linkMutex_);
            link.swap(link_);
        }
        if (link) {
            link->close();
            std::lock_guard<std::mutex> lock(logMutex_);
            ++counters_.linksClosedByFault;
        }
        scheduleFaultClose();
    });
}

std::vector<ReceivedCommand> CameraSim::receivedCommands() const {
    std::lock_guard<std::mutex> lock(logMutex_);
    return {log_.begin(), log_.end()};
}

void CameraSim::clearReceivedCommands() {
    std::lock_guard<std::mutex> lock(logMutex_);
    log_.clear();
}

bool CameraSim::waitForCommand(uint8_t id, std::chrono::milliseconds timeout, size_t count) const {
    std::unique_lock<std::mutex> lock(logMutex_);
    return logChanged_.wait_for(lock, timeout, [&] {
        size_t n = 0;
        for (const auto& c : log_) n += c.id == id ? 1 : 0;
        return n >= count;
    });
}

void CameraSim::setFaults(const FaultOptions& faults) {
    bool closeChanged;
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        closeChanged = faults.closeEverySeconds != faults_.closeEverySeconds;
        faults_ = faults;
    }
    streamer_->setFaults(faults.datagrams);
    if (closeChanged && running_) {
        asio::post(io_, [this] {
            faultCloseTimer_.cancel();
            scheduleFaultClose();
        });
    }
}

SimCounters CameraSim::counters() const {
    SimCounters c;
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        c = counters_;
    }
    c.stream = streamer_->counters();
    std::lock_guard<std::mutex> lock(linkMutex_);
    if (link_) c.requestBytesDropped = link_->droppedRequestBytes();
    return c;
}

std::string CameraSim::countersText() const {
    const SimCounters c = counters();
    const auto& d = c.stream.datagrams;
    std::ostringstream o;
    o << "commands received " << c.commandsReceived << ", answered " << c.answersSent
      << ", busy injected " << c.busyInjected << ", unanswered " << c.mutedRequests << ", delayed "
      << c.delayedAnswers << "\n"
      << "links accepted " << c.linksAccepted << ", closed by fault " << c.linksClosedByFault
      << ", reports sent " << c.reportsSent << ", announcements " << c.announcements << "\n"
      << "frames built " << c.stream.framesBuilt << ", skipped " << c.stream.framesSkipped
      << ", imu reports " << c.stream.imuReports << ", send errors " << c.stream.sendErrors << "\n"
      << "datagrams sent " << d.datagrams << " (" << d.bytes << " bytes), dropped " << d.dropped
      << ", reordered " << d.reordered << ", duplicated " << d.duplicated << ", corrupted "
      << d.corrupted << "\n"
      << "frame work " << c.stream.busySeconds << " s\n";
    return o.str();
}

}  // namespace camsim
