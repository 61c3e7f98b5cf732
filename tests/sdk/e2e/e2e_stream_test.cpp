// MvSdk streaming from the simulated camera on 127.0.0.42 (image port 9642): decoded
// frames with their point cloud, chunks arriving out of order, IMU reports as events,
// newest-frame-only delivery to a slow application, and destruction while streaming.
#include <dirent.h>

#include <future>

#include "E2eSupport.h"

namespace {

using namespace e2e;

constexpr const char* kCamera = "127.0.0.42";
constexpr uint16_t kImagePort = 9642;
// The simulated wall stands 1.5 m in front of the camera.
constexpr uint32_t kWallMm = 1500;
// Bound of every wait for the stream: what takes a second on an idle machine may take ten
// times longer under a sanitizer beside other builds.
constexpr auto kStreamWait = 20000ms;

size_t threadCount() {
    size_t n = 0;
    if (DIR* dir = ::opendir("/proc/self/task")) {
        while (dirent* entry = ::readdir(dir)) n += entry->d_name[0] != '.' ? 1 : 0;
        ::closedir(dir);
    }
    return n;
}

class StreamE2e : public ::testing::Test {
protected:
    void startAll(camsim::SimOptions options) {
        camera_ = startCamera(options);
        rig_.connect(kCamera, kCamera, kImagePort);
        ASSERT_TRUE(
            rig_.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 1, kStreamWait));
    }
    void TearDown() override {
        rig_.sdk.reset();
        if (camera_) camera_->stop();
    }
    static camsim::SimOptions options() {
        camsim::SimOptions o = cameraOptions(kCamera);
        o.config.maxFps = 25;
        return o;
    }
    Movoda::MvSdk& sdk() { return *rig_.sdk; }

    std::unique_ptr<camsim::CameraSim> camera_;
    SdkRig rig_;
};

TEST_F(StreamE2e, FramesArriveDecodedWithTheirPointCloud) {
    ASSERT_NO_FATAL_FAILURE(startAll(options()));
    ASSERT_TRUE(sdk().start(Movoda::IMG_POINTCLOUD, false));
    ASSERT_TRUE(rig_.frames.waitForCount(5, kStreamWait));

    const auto frame = rig_.frames.last();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width(), 320);
    EXPECT_EQ(frame->height(), 240);
    EXPECT_EQ(frame->version(), 3);
    EXPECT_NEAR(double(centreDistance(*frame)), kWallMm, 15.0);
    ASSERT_EQ(frame->hasCloud(), 1);
    ASSERT_EQ(frame->cloudPointCount(), 320u * 240u);
    // The centre point lies on the wall, straight ahead.
    const size_t centre = (120u * 320u + 160u) * Movoda::Frame::kCloudStride;
    EXPECT_NEAR(frame->cloudData()[centre + 2], 1.5, 0.03);
    // The wire packet is kept for recording: start mark first.
    ASSERT_GE(frame->packet().size(), 8u);
    EXPECT_EQ(frame->packet()[0], 0x7E);

    EXPECT_TRUE(waitUntil([&] { return sdk().getFrameRate() > 0; }, kStreamWait));
    EXPECT_EQ(sdk().getStateString(), "Connected-Stream");
    // Counted once the callback returns, which may be a moment after the sink saw it.
    EXPECT_TRUE(
        waitUntil([&] { return sdk().getStreamStats().framesDelivered >= 5; }, kStreamWait));
    const Movoda::MvStreamStats stats = sdk().getStreamStats();
    EXPECT_EQ(stats.framesRejected, 0u);
    EXPECT_GE(stats.udpFramesCompleted, stats.framesDelivered);
    // Every delivered frame had its last datagram to callback time counted; the receive
    // thread's work is counted too.
    uint64_t timed = 0;
    for (uint64_t count : stats.sdkLatency) timed += count;
    EXPECT_GE(timed, stats.framesDelivered);  // delivered counted before the histogram
    EXPECT_LE(timed, sdk().getStreamStats().framesDelivered + 1);
    EXPECT_GT(stats.udpReceiveCpuNs, 0u);
    EXPECT_GE(stats.udpBytesReceived, stats.udpFramesCompleted * 300000);
    EXPECT_GE(stats.udpDatagramsReceived, stats.udpReceiveCalls / 2);
}

TEST_F(StreamE2e, ChunksInAnyOrderStillMakeWholeFrames) {
    camsim::SimOptions o = options();
    o.faults.datagrams.reorder = 0.5;
    ASSERT_NO_FATAL_FAILURE(startAll(o));
    ASSERT_TRUE(sdk().start(Movoda::IMG_AMPLITUDE, false));
    ASSERT_TRUE(rig_.frames.waitForCount(8, kStreamWait));

    ASSERT_GT(camera_->counters().stream.datagrams.reordered, 0u);
    for (const auto& frame : rig_.frames.kept()) {
        EXPECT_NEAR(double(centreDistance(*frame)), kWallMm, 15.0) << frame->frameId();
    }
    EXPECT_EQ(sdk().getStreamStats().udpFramesBroken, 0u);
}

TEST_F(StreamE2e, ImuReportsBecomeDataEvents) {
    camsim::SimOptions o = options();
    o.imuRateHz = 40;
    ASSERT_NO_FATAL_FAILURE(startAll(o));
    ASSERT_TRUE(sdk().start(Movoda::IMG_DISTANCE, false));
    ASSERT_TRUE(rig_.events.waitFor("data", 252, 5, kStreamWait));
    EXPECT_TRUE(waitUntil([&] { return sdk().getReportRate() > 0; }, kStreamWait));
    for (const auto& e : rig_.events.all()) {
        if (e.cmdId == 252) {
            EXPECT_FALSE(e.data.empty());
        }
    }
}

TEST_F(StreamE2e, SlowApplicationGetsOnlyTheNewestFrames) {
    camsim::SimOptions o = options();
    o.config.maxFps = 40;
    ASSERT_NO_FATAL_FAILURE(startAll(o));
    // Each callback lasts while the camera sends four frames, whatever the machine's speed.
    camsim::CameraSim& camera = *camera_;
    rig_.frames.setSlowerThanCamera([&camera] { return camera.counters().stream.datagrams.frames; },
                                    4);
    ASSERT_TRUE(sdk().start(Movoda::IMG_DISTANCE, false));
    ASSERT_TRUE(rig_.frames.waitForCount(8, kStreamWait));

    EXPECT_GT(sdk().getStreamStats().rawDiscarded + sdk().getStreamStats().imageDiscarded, 0u);
    // Delivered frames move forward and skip what the application had no time for.
    const auto kept = rig_.frames.kept();
    uint64_t largestGap = 0;
    for (size_t i = 1; i < kept.size(); ++i) {
        const uint16_t step = static_cast<uint16_t>(kept[i]->frameId() - kept[i - 1]->frameId());
        EXPECT_GE(step, 1u);
        largestGap = std::max<uint64_t>(largestGap, step);
    }
    EXPECT_GT(largestGap, 1u);
    // Nothing piles up or vanishes: while frames flow, no snapshot shows more frames leaving
    // the pipeline than entered it, and once the camera stops every accepted frame has been
    // delivered, replaced by a newer one or withheld.
    const auto leftPipeline = [](const Movoda::MvStreamStats& s) {
        return s.framesDelivered + s.rawDiscarded + s.imageDiscarded + s.framesWithheld;
    };
    for (int k = 0; k < 200; ++k) {
        const Movoda::MvStreamStats s = sdk().getStreamStats();
        ASSERT_LE(leftPipeline(s), s.framesAccepted) << "snapshot " << k;
    }
    rig_.frames.stopPacing();
    ASSERT_TRUE(sdk().stop());
    Movoda::MvStreamStats settled;
    EXPECT_TRUE(waitUntil(
        [&] {
            settled = sdk().getStreamStats();
            return leftPipeline(settled) == settled.framesAccepted;
        },
        kStreamWait))
        << "accepted " << settled.framesAccepted << ", delivered " << settled.framesDelivered
        << ", replaced " << settled.rawDiscarded + settled.imageDiscarded << ", withheld "
        << settled.framesWithheld;
}

TEST_F(StreamE2e, DestroyingTheSdkWhileStreamingEndsEveryThread) {
    camera_ = startCamera(options());
    const size_t before = threadCount();
    ASSERT_NO_FATAL_FAILURE(rig_.connect(kCamera, kCamera, kImagePort));
    ASSERT_TRUE(rig_.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 1, kStreamWait));
    ASSERT_TRUE(sdk().start(Movoda::IMG_POINTCLOUDAMP, false));
    ASSERT_TRUE(rig_.frames.waitForCount(3, kStreamWait));
    EXPECT_GT(threadCount(), before);

    auto destroyed = std::async(std::launch::async, [&] { rig_.sdk.reset(); });
    ASSERT_EQ(destroyed.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(threadCount(), before);
    // No callback runs after destruction.
    const size_t delivered = rig_.frames.count();
    EXPECT_FALSE(rig_.frames.waitForCount(delivered + 1, 300ms));
}

TEST_F(StreamE2e, WithdrawnCallbackIsNotRunningOnceSetCallbackReturns) {
    ASSERT_NO_FATAL_FAILURE(startAll(options()));
    std::atomic<bool> inside{false};
    std::atomic<int> calls{0};
    sdk().setCallback(nullptr, [&](const std::shared_ptr<const Movoda::Frame>&) {
        inside.store(true);
        std::this_thread::sleep_for(30ms);
        calls.fetch_add(1);
        inside.store(false);
    });
    ASSERT_TRUE(sdk().start(Movoda::IMG_DISTANCE, false));
    ASSERT_TRUE(waitUntil([&] { return calls.load() >= 2; }, kStreamWait));
    sdk().setCallback(nullptr, nullptr);
    EXPECT_FALSE(inside.load());
    const int after = calls.load();
    std::this_thread::sleep_for(200ms);  // frames keep arriving meanwhile
    EXPECT_EQ(calls.load(), after);
}

TEST_F(StreamE2e, TapSeesEveryFrameTheSlowApplicationMisses) {
    camsim::SimOptions o = options();
    o.config.maxFps = 40;
    ASSERT_NO_FATAL_FAILURE(startAll(o));
    std::mutex mutex;
    std::vector<uint16_t> tapped;
    size_t emptyPackets = 0;
    sdk().setFrameTap([&](const std::shared_ptr<const Movoda::Frame>& frame) {
        std::lock_guard<std::mutex> lock(mutex);
        tapped.push_back(frame->frameId());
        emptyPackets += frame->packet().empty() ? 1 : 0;
    });
    rig_.frames.setDelay(150ms);
    ASSERT_TRUE(sdk().start(Movoda::IMG_DISTANCE, false));
    ASSERT_TRUE(rig_.frames.waitForCount(6, 8000ms));
    sdk().setFrameTap(nullptr);
    const Movoda::MvStreamStats stats = sdk().getStreamStats();

    std::lock_guard<std::mutex> lock(mutex);
    // The application missed frames; the tap saw each accepted one, in the camera's order
    // and without a gap (loopback loses nothing), each with its packet.
    EXPECT_GT(stats.rawDiscarded + stats.imageDiscarded, 0u);
    ASSERT_GE(tapped.size(), rig_.frames.count());
    EXPECT_LE(tapped.size(), stats.framesAccepted);
    for (size_t i = 1; i < tapped.size(); ++i)
        EXPECT_EQ(static_cast<uint16_t>(tapped[i] - tapped[i - 1]), 1u) << "after frame " << tapped[i - 1];
    EXPECT_EQ(emptyPackets, 0u);
    // Withdrawn: no further calls once setFrameTap returned.
    const size_t before = tapped.size();
    mutex.unlock();
    std::this_thread::sleep_for(200ms);
    mutex.lock();
    EXPECT_EQ(tapped.size(), before);
}

}  // namespace
