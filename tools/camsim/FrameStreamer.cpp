#include "FrameStreamer.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "ByteIo.h"
#include "CamsimConstants.h"
#include "link/Packet.h"

namespace camsim {

namespace asio = boost::asio;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kIdlePollSeconds = 0.1;
constexpr double kBaseTemperature = 3500;  // hundredths of a degree
constexpr double kTemperatureRise = 1200;
constexpr double kWarmUpSeconds = 900;
constexpr int16_t kSecondSensorOffset = -150;
constexpr uint16_t kImuValidMark = 0x55AA;
constexpr size_t kSocketSendBuffer = 4 * 1024 * 1024;

uint64_t wallClockMs() {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count());
}

}  // namespace

FrameStreamer::FrameStreamer(CommandProcessor& processor, std::shared_ptr<const Scene> scene,
                             StreamerSettings settings)
    : processor_(processor),
      settings_(std::move(settings)),
      builder_(std::move(scene), settings_.frame),
      planner_(settings_.frame.seed ^ 0xD1B54A32D192ED03ULL),
      sequence_(settings_.startSequence) {}

FrameStreamer::~FrameStreamer() {
    stop();
}

bool FrameStreamer::start(DestinationFn destination, StreamSendFn streamSend, LinkDownFn linkDown,
                          std::string& error) {
    if (running_) return true;
    destination_ = std::move(destination);
    streamSend_ = std::move(streamSend);
    linkDown_ = std::move(linkDown);
    if (destination_) {
        boost::system::error_code ec;
        socket_.open(asio::ip::udp::v4(), ec);
        if (!ec) {
            socket_.bind({asio::ip::make_address_v4(settings_.bindAddress, ec), 0}, ec);
        }
        if (ec) {
            error = "image socket: " + ec.message();
            socket_.close(ec);
            return false;
        }
        socket_.set_option(asio::socket_base::send_buffer_size(int(kSocketSendBuffer)), ec);
    }
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void FrameStreamer::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        woken_ = true;
    }
    wakeUp_.notify_all();
    if (thread_.joinable()) thread_.join();
    boost::system::error_code ignored;
    socket_.close(ignored);
}

void FrameStreamer::wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    wakeUp_.notify_all();
}

void FrameStreamer::setFaults(const DatagramFaults& faults) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_ = faults;
}

StreamCounters FrameStreamer::counters() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counters_;
}

void FrameStreamer::run() {
    std::vector<uint8_t> packet;
    Clock::time_point nextFrame = Clock::now();
    Clock::time_point nextImu = Clock::now();
    while (running_) {
        const bool streaming = processor_.streaming();
        const Clock::time_point now = Clock::now();
        if (streaming && now >= nextFrame) {
            const auto began = Clock::now();
            const double pause = sendFrame(packet);
            const double spent = std::chrono::duration<double>(Clock::now() - began).count();
            streamingSeconds_ += pause;
            sceneTime_ += pause;
            nextFrame += std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(pause));
            // After a stall, start again from now instead of sending a burst.
            if (nextFrame < Clock::now()) nextFrame = Clock::now();
            std::lock_guard<std::mutex> lock(mutex_);
            counters_.busySeconds += spent;
        }
        if (!streaming) nextFrame = now;
        if (settings_.imuRateHz > 0 && now >= nextImu) {
            sendImuReport();
            nextImu += std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(1.0 / settings_.imuRateHz));
            if (nextImu < Clock::now()) nextImu = Clock::now();
        }
        Clock::time_point until =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(kIdlePollSeconds));
        if (streaming) until = std::min(until, nextFrame);
        if (settings_.imuRateHz > 0) until = std::min(until, nextImu);
        std::unique_lock<std::mutex> lock(mutex_);
        wakeUp_.wait_until(lock, until, [this] { return woken_; });
        woken_ = false;
    }
}

bool FrameStreamer::nextReplayFrame(std::vector<uint8_t>& packet, double& seconds) {
    const bool grayscale = processor_.config().streamCode == kGrayscaleStreamCode;
    if (settings_.replay->next(grayscale, replayCursor_, packet, seconds)) {
        replayKindMissingReported_ = false;
        return true;
    }
    if (!replayKindMissingReported_) {
        std::fprintf(stderr, "vantory-camsim: the recording holds no %s frame to send\n",
                     grayscale ? "grayscale" : "depth");
        replayKindMissingReported_ = true;
    }
    return false;
}

double FrameStreamer::sendFrame(std::vector<uint8_t>& packet) {
    double pause = 1.0 / std::max(1, int(processor_.config().maxFps));
    if (settings_.replay && !nextReplayFrame(packet, pause)) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++counters_.framesSkipped;
        return pause;
    }
    FrameContext ctx;
    ctx.frameNumber = sequence_;
    ctx.captureTimeMs = wallClockMs();
    ctx.sceneTime = sceneTime_;
    const double warm = 1.0 - std::exp(-streamingSeconds_ / kWarmUpSeconds);
    ctx.temperature1 = int16_t(kBaseTemperature + kTemperatureRise * warm);
    ctx.temperature2 = int16_t(ctx.temperature1 + kSecondSensorOffset);
    ctx.devState = processor_.devState();
    ctx.legacy = settings_.legacy;
    ctx.commandLinkDown = linkDown_ ? linkDown_() : false;
    if (!settings_.replay) builder_.build(processor_.identity(), processor_.config(), ctx, packet);

    bool sent = false;
    if (streamSend_) {
        sent = streamSend_(std::vector<uint8_t>(packet));
    } else if (destination_) {
        if (const auto to = destination_()) {
            DatagramFaults faults;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                faults = faults_;
            }
            uint64_t errors = 0;
            planner_.sendFrame(packet, sequence_, settings_.legacy, faults,
                               [&](const uint8_t* data, size_t size) {
                                   boost::system::error_code ec;
                                   socket_.send_to(asio::buffer(data, size), *to, 0, ec);
                                   if (ec) ++errors;
                               });
            sent = true;
            std::lock_guard<std::mutex> lock(mutex_);
            counters_.sendErrors += errors;
        }
    }
    ++sequence_;  // wraps at 65535
    std::lock_guard<std::mutex> lock(mutex_);
    ++counters_.framesBuilt;
    if (!sent) ++counters_.framesSkipped;
    counters_.datagrams = planner_.counters();
    return pause;
}

std::vector<uint8_t> FrameStreamer::imuPacket(uint64_t timeMs) const {
    std::vector<uint8_t> data(kImuBlockSize, 0);
    putU16(data.data(), kImuValidMark, false);
    putU16(data.data() + 2, 1, false);
    // Little-endian sample of a camera standing still: acceleration (g) at 4, 8, 12,
    // angular rate (rad/s) at 16, 20, 24, temperature (degrees C) at 40 and the
    // wall-clock time in milliseconds at 44.
    const float sample[6] = {0.0f, -1.0f, 0.0f, 0.001f, -0.002f, 0.0005f};
    for (int i = 0; i < 6; ++i) putFloat(data.data() + 4 + 4 * i, sample[i]);
    putFloat(data.data() + 40, 36.5f);
    putU64(data.data() + 44, timeMs, false);
    const uint8_t trailer[3] = {0, processor_.devState(), Movoda::packet::kTrailerSplit};
    return Movoda::packet::buildPacket(cmd::kImuReport, data.data(), data.size(), trailer,
                                       sizeof trailer, false);
}

void FrameStreamer::sendImuReport() {
    std::vector<uint8_t> packet = imuPacket(wallClockMs());
    bool sent = false;
    if (streamSend_) {
        sent = streamSend_(std::move(packet));
    } else if (destination_) {
        if (const auto to = destination_()) {
            planner_.sendReport(packet, imuSequence_++, settings_.legacy,
                                [&](const uint8_t* data, size_t size) {
                                    boost::system::error_code ec;
                                    socket_.send_to(asio::buffer(data, size), *to, 0, ec);
                                });
            sent = true;
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (sent) ++counters_.imuReports;
}

}  // namespace camsim
