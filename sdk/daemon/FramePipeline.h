// The daemon's frame path: takes complete frame packets (image stream, command channel or
// replay), wraps each in a shared Frame and moves it through two newest-only hand-offs
// and two worker threads (decode + filters + point cloud, then delivery) to the
// application's frame callback. Latency wins over completeness: a stage that falls
// behind drops the older frame with a log line instead of queueing it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cloud/FilterChain.h"
#include "cloud/PointCloudProcessor.h"
#include "daemon/LatencyHistogram.h"
#include "daemon/MvDaemon.h"
#include "daemon/NewestQueue.h"
#include "frame/FramePacket.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvTypes.h"

namespace Movoda {

namespace pipeline {
using frame_packet::kTrailerLittleEndian;
// Image-stream results shorter than this that are not reports are ignored.
constexpr size_t kMinImageResultBytes = 1000;
constexpr uint8_t kNoImageVersion = 100;
constexpr auto kIdlePause = std::chrono::milliseconds(1000);
constexpr auto kUdpRetryPause = std::chrono::milliseconds(2000);
constexpr auto kUdpErrorPause = std::chrono::milliseconds(100);
}  // namespace pipeline

// What the frame path did since it was created.
struct PipelineCounters {
    uint64_t accepted = 0;        // frames that passed the intake
    uint64_t rejected = 0;        // packets the intake refused
    uint64_t rawDiscarded = 0;    // replaced before decoding ("frame discard")
    uint64_t imageDiscarded = 0;  // replaced before delivery ("image discard")
    uint64_t withheld = 0;        // decoded but not delivered while the link was unverified
    uint64_t delivered = 0;       // handed to the frame callback
};

// Where a frame packet comes from: the camera (image stream or command channel), or a
// recording played back.
enum class FrameSource { Live, Replay };

// A frame on its way through the pipeline, with the moment its last image datagram was
// read (empty for frames from the command channel or a replay).
struct StampedFrame {
    std::shared_ptr<Frame> frame;
    std::chrono::steady_clock::time_point arrival{};
};

class FramePipeline {
public:
    explicit FramePipeline(MvDaemon& daemon);
    // Joins every thread of the pipeline.
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // The daemon's seam, bound to this object.
    PipelineHooks hooks();
    // Starts the worker threads, and on the network link the image receive thread,
    // when they are not running yet.
    void ensureRunning(bool isNet);
    // Wakes and joins every thread; later frames are refused. Safe to call twice.
    void stop();

    // Checks one inner packet (command id .. trailer type), wraps it in a Frame and queues
    // it for decoding. `name` replaces the frame's name when not empty. Live frames set the
    // link's byte order from their trailer type. False when refused.
    bool intake(const uint8_t* inner, size_t size, const std::string& name, FrameSource source,
                std::chrono::steady_clock::time_point arrival = {});
    // Intake of a replayed packet; prints "frame error " when it is refused.
    bool replay(const std::vector<uint8_t>& inner, const std::string& name);
    // One result of the image stream: an IMU report becomes an event, a frame goes to
    // the intake and its device state updates the connection state.
    void handleImageResult(const std::vector<uint8_t>& result,
                           std::chrono::steady_clock::time_point arrival = {}) {
        handleImageResult(result.data(), result.size(), arrival);
    }
    void handleImageResult(const uint8_t* result, size_t size,
                           std::chrono::steady_clock::time_point arrival);

    // Swapped under the daemon's callback mutex: once this returns, the previous
    // callback is not running and will not be called again.
    void setFrameCallback(FrameCallback callback);
    // Every live frame the intake accepts, before the first hand-off (see MvSdk::setFrameTap),
    // except while the link is being verified, when the callback gets none either.
    void setFrameTap(FrameTap tap);
    void setPlaybackMode(uint8_t flag) { playback_.store(flag); }
    uint8_t playbackMode() const { return playback_.load(); }
    void setPointCloudFlag(bool on) { pointCloud_.store(on); }
    bool pointCloudFlag() const { return pointCloud_.load(); }

    PointCloudProcessor& cloudProcessor() { return cloud_; }
    FilterChain& filterChain() { return filters_; }
    PipelineCounters counters() const;
    SdkLatencyHistogram latency() const { return latency_.snapshot(); }
    // CPU time the image receive thread has used (0 while it does not run).
    uint64_t receiveThreadCpuNs();

private:
    void udpReceiveThreadFunc();
    void rawFrameQThreadFunc();
    void imageQueueFunc();
    void reportImage(const StampedFrame& item);
    void deliver(const StampedFrame& item);
    // True when the image socket is open on the daemon's current image port.
    bool ensureImageSocket(Commnunication& net);
    void warnSmallReceiveBuffer(Commnunication& net);
    void pauseAfterReceiveError(Commnunication& net);
    void updateStateFromTrailer(const uint8_t* result, size_t size);
    // Sleeps unless the pipeline stops first; false when stopping.
    bool pause(std::chrono::milliseconds duration);

    MvDaemon& daemon_;
    PointCloudProcessor cloud_;
    FilterChain filters_;
    NewestQueue<StampedFrame> rawFrames_;
    NewestQueue<StampedFrame> images_;
    LatencyHistogram latency_;

    std::atomic<bool> running_{true};
    std::atomic<uint8_t> playback_{0};
    std::atomic<bool> pointCloud_{false};
    std::atomic<uint8_t> imageVersion_{pipeline::kNoImageVersion};

    FrameCallback frameCallback_;  // under the daemon's callback mutex
    // Its own mutex: a tap runs on the receive thread, which must never wait for the
    // application's frame callback.
    std::mutex tapMutex_;
    FrameTap frameTap_;

    std::mutex threadsMutex_;
    std::thread udpThread_;
    std::thread rawThread_;
    std::thread imageThread_;
    std::mutex pauseMutex_;
    std::condition_variable pauseCv_;

    // Image receive thread only.
    std::vector<uint8_t> imageResult_;
    uint16_t openedPort_ = 0;
    bool bufferWarned_ = false;
    uint64_t receiveErrorsSeen_ = 0;

    std::atomic<uint64_t> accepted_{0};
    std::atomic<uint64_t> rejected_{0};
    std::atomic<uint64_t> rawDiscarded_{0};
    std::atomic<uint64_t> imageDiscarded_{0};
    std::atomic<uint64_t> withheld_{0};
    std::atomic<uint64_t> delivered_{0};
};

}  // namespace Movoda
