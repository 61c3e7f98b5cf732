#include "daemon/FramePipeline.h"

#include <pthread.h>
#include <time.h>

#include <boost/asio/ip/address_v4.hpp>
#include <iostream>

#include "link/CmdSet.h"
#include "link/CommnunicationNet.h"
#include "link/NetConstants.h"
#include "link/Packet.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace {
constexpr const char* kTagUdp = "Movoda::MvDaemon::UdpReceiveThreadFunc";
constexpr const char* kTagRaw = "Movoda::MvDaemon::rawFrameQThreadFunc";
constexpr const char* kTagReport = "Movoda::MvDaemon::reportImage";
constexpr const char* kTagImage = "Movoda::MvDaemon::ImageQueueFunc";

void printFrameError() {
    std::cout << "frame error " << std::endl;
}

bool isMulticastAddress(const std::string& text) {
    boost::system::error_code ec;
    const auto address = boost::asio::ip::make_address_v4(text, ec);
    return !ec && address.is_multicast();
}
}  // namespace

FramePipeline::FramePipeline(MvDaemon& daemon) : daemon_(daemon) {}

FramePipeline::~FramePipeline() {
    stop();
}

PipelineHooks FramePipeline::hooks() {
    PipelineHooks h;
    h.ensureRunning = [this](bool isNet) { ensureRunning(isNet); };
    h.stop = [this] { stop(); };
    // Frames on the command channel keep the name the decoder gives them.
    h.frameIntake = [this](const std::vector<uint8_t>& inner, const std::string&) {
        return intake(inner.data(), inner.size(), std::string(), FrameSource::Live);
    };
    return h;
}

void FramePipeline::ensureRunning(bool isNet) {
    std::lock_guard<std::mutex> lock(threadsMutex_);
    if (!running_.load()) return;
    if (!imageThread_.joinable()) imageThread_ = std::thread(&FramePipeline::imageQueueFunc, this);
    if (!rawThread_.joinable()) rawThread_ = std::thread(&FramePipeline::rawFrameQThreadFunc, this);
    if (isNet && !udpThread_.joinable() && daemon_.netTransport() != nullptr) {
        udpThread_ = std::thread(&FramePipeline::udpReceiveThreadFunc, this);
    }
}

void FramePipeline::stop() {
    std::lock_guard<std::mutex> lock(threadsMutex_);
    running_.store(false);
    { std::lock_guard<std::mutex> pause(pauseMutex_); }
    pauseCv_.notify_all();
    rawFrames_.close();
    images_.close();
    // The image receive thread polls its socket in short slices, so it notices the flag.
    if (udpThread_.joinable()) udpThread_.join();
    if (rawThread_.joinable()) rawThread_.join();
    if (imageThread_.joinable()) imageThread_.join();
}

bool FramePipeline::pause(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(pauseMutex_);
    return !pauseCv_.wait_for(lock, duration, [this] { return !running_.load(); });
}

// ---- Intake ----

bool FramePipeline::intake(const uint8_t* inner, size_t size, const std::string& name,
                           FrameSource source, std::chrono::steady_clock::time_point arrival) {
    if (frame_packet::tooShort(inner, size)) {
        rejected_.fetch_add(1);
        return false;
    }
    // A frame from the camera tells the link's byte order; a replayed recording may come
    // from another camera and must not change how this link talks to its own.
    const bool bigEndian = frame_packet::isBigEndian(inner, size);
    if (source == FrameSource::Live && bigEndian != daemon_.getBigEndianLength())
        daemon_.setBigEndianLength(bigEndian);

    auto frame = frame_packet::frameFromPacket(inner, size, name);
    if (!frame) {
        rejected_.fetch_add(1);
        return false;
    }

    if (!running_.load()) return false;
    // Counted before the tap and the hand-off: once queued, the frame may be decoded,
    // replaced or delivered at once, and no reader may see it leave before it entered.
    accepted_.fetch_add(1);
    // Frames of a link still being verified are not handed to the application, nor to
    // the tap: the tap records what the application would get, without the skipping.
    if (source == FrameSource::Live && daemon_.sdkState() != SDK_TxRxVerifying) {
        std::lock_guard<std::mutex> lock(tapMutex_);
        if (frameTap_) frameTap_(frame);
    }
    if (rawFrames_.push({std::move(frame), arrival})) {
        rawDiscarded_.fetch_add(1);
        sdkLog(LOG_WARN, kTagRaw, "frame discard");
    }
    daemon_.countFrame();
    return true;
}

bool FramePipeline::replay(const std::vector<uint8_t>& inner, const std::string& name) {
    const bool ok = intake(inner.data(), inner.size(), name, FrameSource::Replay);
    if (!ok) printFrameError();
    return ok;
}

// ---- Image stream ----

void FramePipeline::handleImageResult(const uint8_t* result, size_t size,
                                      std::chrono::steady_clock::time_point arrival) {
    if (size == 0) return;
    if (result[0] == cmd::kDataReport) {
        daemon_.deliverUdpReport(std::vector<uint8_t>(result, result + size));
        return;
    }
    if (size < pipeline::kMinImageResultBytes) return;
    if (!intake(result, size, std::string(), FrameSource::Live, arrival)) printFrameError();
    updateStateFromTrailer(result, size);
}

void FramePipeline::updateStateFromTrailer(const uint8_t* result, size_t n) {
    const uint8_t stateByte = result[n - 2];
    int state = result[n - 1] == packet::kTrailerSplit ? stateByte : (stateByte >> 4);
    if (state > packet::kMaxDevState) state = packet::kMaxDevState;
    if (daemon_.sdkState() == SDK_Connected) {
        if (state >= 1 && state != daemon_.devState()) daemon_.updateDevState(state);
    } else {
        daemon_.enterUdpOk();
    }
}

bool FramePipeline::ensureImageSocket(Commnunication& net) {
    const uint16_t port = daemon_.imagePort();
    if (net.isUdpOpened() && openedPort_ == port) return true;
    if (net.isUdpOpened()) net.closeUdp();  // the image port changed: bind the new one
    sdkLog(LOG_INFO, kTagUdp, "isUdpOpened=0");
    // A stream sent to a multicast group may be watched by several programs on this
    // computer; a unicast stream belongs to one.
    if (auto* udp = dynamic_cast<CommnunicationNet*>(&net))
        udp->setImagePortShared(isMulticastAddress(daemon_.udpDestAddress()));
    if (!net.openUdp(port)) {
        pause(pipeline::kUdpRetryPause);
        return false;
    }
    openedPort_ = port;
    warnSmallReceiveBuffer(net);
    return true;
}

void FramePipeline::warnSmallReceiveBuffer(Commnunication& net) {
    auto* udp = dynamic_cast<CommnunicationNet*>(&net);
    if (udp == nullptr || bufferWarned_) return;
    const int granted = udp->udpReceiveBufferBytes();
    if (granted >= net::kUdpMinimumReceiveBuffer) return;
    bufferWarned_ = true;
    // The transport has logged it; the user of a console program needs to see it too.
    std::cout << "warning: udp receive buffer is " << granted
              << " bytes; raise net.core.rmem_max to at least " << net::kUdpWantedReceiveBuffer
              << " to avoid losing frames" << std::endl;
}

void FramePipeline::pauseAfterReceiveError(Commnunication& net) {
    auto* udp = dynamic_cast<CommnunicationNet*>(&net);
    if (udp == nullptr) return;
    const uint64_t errors = udp->udpReceiveErrors();
    // A socket that keeps failing must not turn this thread into a busy loop.
    if (errors != receiveErrorsSeen_) pause(pipeline::kUdpErrorPause);
    receiveErrorsSeen_ = errors;
}

void FramePipeline::udpReceiveThreadFunc() {
    sdkLog(LOG_INFO, kTagUdp, std::string("isSelNet=") + (daemon_.isNet() ? "1" : "0"));
    Commnunication* net = daemon_.netTransport();
    // The network transport hands its result over where it was put together; any other
    // one copies it.
    auto* udp = dynamic_cast<CommnunicationNet*>(net);
    while (running_.load() && net != nullptr) {
        try {
            if (!daemon_.isNet()) {
                if (net->isUdpOpened()) net->closeUdp();
                pause(pipeline::kIdlePause);
                continue;
            }
            if (!ensureImageSocket(*net)) continue;
            ReassembledPacket result;
            bool received = false;
            if (udp != nullptr) {
                received = udp->udpReceiveFrame(result);
            } else if (net->udpReceiveFrame(imageResult_)) {
                received = true;
                result = {imageResult_.data(), imageResult_.size()};
            }
            if (!received) {
                pauseAfterReceiveError(*net);
                continue;
            }
            handleImageResult(result.data, result.size,
                              udp != nullptr ? udp->lastResultArrival()
                                             : std::chrono::steady_clock::now());
        } catch (const std::exception& e) {
            sdkLog(LOG_ERROR, kTagUdp, e.what());
        }
    }
}

// ---- Workers ----

void FramePipeline::rawFrameQThreadFunc() {
    while (auto item = rawFrames_.pop()) {
        try {
            item->frame->allocatePlanes();
            item->frame->decode();
            reportImage(*item);
        } catch (const std::exception& e) {
            sdkLog(LOG_ERROR, kTagRaw, e.what());
        }
    }
}

void FramePipeline::reportImage(const StampedFrame& item) {
    const std::shared_ptr<Frame>& frame = item.frame;
    const uint8_t version = frame->version();
    if (imageVersion_.exchange(version) != version) {
        sdkLog(LOG_INFO, kTagReport, "imageversion=" + std::to_string(version));
    }
    filters_.applyFilters(frame);
    if (pointCloud_.load()) {
        if (version == pipeline::kTrailerLittleEndian && frame->hasValidMagic()) {
            cloud_.setLensParams(frame->lensParams());
        }
        cloud_.generateCloud(*frame);
    }
    if (images_.push(item)) {
        imageDiscarded_.fetch_add(1);
        sdkLog(LOG_WARN, kTagImage, "image discard");
    }
}

void FramePipeline::imageQueueFunc() {
    while (auto item = images_.pop()) deliver(*item);
}

void FramePipeline::deliver(const StampedFrame& item) {
    std::lock_guard<std::mutex> lock(daemon_.callbackMutex());
    if (daemon_.sdkState() == SDK_TxRxVerifying && playback_.load() == 0) {
        withheld_.fetch_add(1);
        return;
    }
    if (!frameCallback_) return;
    if (item.arrival != std::chrono::steady_clock::time_point{})
        latency_.record(std::chrono::steady_clock::now() - item.arrival);
    try {
        frameCallback_(item.frame);
        delivered_.fetch_add(1);
    } catch (const std::exception& e) {
        sdkLog(LOG_ERROR, "Movoda::MvDaemon::frameCallback", e.what());
    }
}

void FramePipeline::setFrameCallback(FrameCallback callback) {
    std::lock_guard<std::mutex> lock(daemon_.callbackMutex());
    frameCallback_ = std::move(callback);
}

void FramePipeline::setFrameTap(FrameTap tap) {
    std::lock_guard<std::mutex> lock(tapMutex_);
    frameTap_ = std::move(tap);
}

uint64_t FramePipeline::receiveThreadCpuNs() {
    std::lock_guard<std::mutex> lock(threadsMutex_);
    if (!udpThread_.joinable()) return 0;
    clockid_t clock;
    timespec spent{};
    if (::pthread_getcpuclockid(udpThread_.native_handle(), &clock) != 0 ||
        ::clock_gettime(clock, &spent) != 0)
        return 0;
    return uint64_t(spent.tv_sec) * 1000000000u + uint64_t(spent.tv_nsec);
}

PipelineCounters FramePipeline::counters() const {
    // Read from the end of the path back to its start: a frame counted as delivered,
    // replaced or withheld was accepted earlier, so the snapshot never shows more frames
    // leaving the pipeline than entered it.
    PipelineCounters c;
    c.delivered = delivered_.load();
    c.withheld = withheld_.load();
    c.imageDiscarded = imageDiscarded_.load();
    c.rawDiscarded = rawDiscarded_.load();
    c.accepted = accepted_.load();
    c.rejected = rejected_.load();
    return c;
}

}  // namespace Movoda
