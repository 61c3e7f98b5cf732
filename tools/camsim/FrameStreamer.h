// The camera's image thread: while streaming, builds a frame at the configured rate and
// sends it as image datagrams (network) or as one packet on the command stream (USB);
// optionally sends IMU reports at their own rate.
#pragma once

#include <atomic>
#include <boost/asio.hpp>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "CommandProcessor.h"
#include "DatagramPlanner.h"
#include "FrameBuilder.h"
#include "Replay.h"

namespace camsim {

struct StreamCounters {
    DatagramCounters datagrams;
    uint64_t framesBuilt = 0;
    uint64_t framesSkipped = 0;  // the stream link was full or had no destination
    uint64_t imuReports = 0;
    uint64_t sendErrors = 0;
    double busySeconds = 0;  // time spent building and sending
};

struct StreamerSettings {
    std::string bindAddress = "127.0.0.1";
    uint16_t startSequence = 0;
    double imuRateHz = 0;
    FrameOptions frame;
    bool legacy = false;
    std::shared_ptr<const Recording> replay;  // frames to send instead of the scene's
};

class FrameStreamer {
public:
    // Where frames go on the network; empty when there is nowhere to send them.
    using DestinationFn = std::function<std::optional<boost::asio::ip::udp::endpoint>()>;
    // Sends a packet on the command stream (USB); false when it was skipped.
    using StreamSendFn = std::function<bool(std::vector<uint8_t>&&)>;
    using LinkDownFn = std::function<bool()>;

    FrameStreamer(CommandProcessor& processor, std::shared_ptr<const Scene> scene,
                  StreamerSettings settings);
    ~FrameStreamer();

    // Either destination (network) or streamSend (USB) is used.
    bool start(DestinationFn destination, StreamSendFn streamSend, LinkDownFn linkDown,
               std::string& error);
    void stop();
    void wake();  // streaming switched on or the rate changed
    void setFaults(const DatagramFaults& faults);
    StreamCounters counters() const;

private:
    void run();
    // Returns the pause until the next frame, in seconds.
    double sendFrame(std::vector<uint8_t>& packet);
    // The recording's next frame for the stream kind; false when there is none.
    bool nextReplayFrame(std::vector<uint8_t>& packet, double& seconds);
    void sendImuReport();
    std::vector<uint8_t> imuPacket(uint64_t timeMs) const;

    CommandProcessor& processor_;
    StreamerSettings settings_;
    FrameBuilder builder_;
    DatagramPlanner planner_;
    boost::asio::io_context io_;  // owns the image socket; used synchronously
    boost::asio::ip::udp::socket socket_{io_};
    DestinationFn destination_;
    StreamSendFn streamSend_;
    LinkDownFn linkDown_;

    std::thread thread_;
    std::atomic<bool> running_{false};
    mutable std::mutex mutex_;  // guards faults_, counters_ and the wake-up
    std::condition_variable wakeUp_;
    bool woken_ = false;
    DatagramFaults faults_;
    StreamCounters counters_;
    uint16_t sequence_ = 0;
    uint16_t imuSequence_ = 0;
    double streamingSeconds_ = 0;
    double sceneTime_ = 0;
    std::size_t replayCursor_ = 0;
    bool replayKindMissingReported_ = false;
};

}  // namespace camsim
