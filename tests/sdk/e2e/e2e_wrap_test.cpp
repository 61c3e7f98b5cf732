// MvSdk against the simulated camera on 127.0.0.43 (image port 9643) with frame
// sequence numbers starting just below the 16-bit wrap and datagrams lost on the way:
// incomplete frames are evicted and counted, complete ones keep coming across the wrap.
#include "E2eSupport.h"

namespace {

using namespace e2e;

constexpr const char* kCamera = "127.0.0.43";
constexpr uint16_t kImagePort = 9643;

class WrapE2e : public ::testing::Test {
protected:
    void TearDown() override {
        rig_.sdk.reset();
        if (camera_) camera_->stop();
    }
    std::unique_ptr<camsim::CameraSim> camera_;
    SdkRig rig_;
};

TEST_F(WrapE2e, LostDatagramsEvictFramesAndTheStreamGoesOnAcrossTheWrap) {
    camsim::SimOptions o = cameraOptions(kCamera);
    o.config.maxFps = 50;
    o.startSequence = 65520;
    // About one frame in ten loses a datagram (a distance frame has about 110).
    o.faults.datagrams.drop = 0.001;
    camera_ = startCamera(o);
    rig_.connect(kCamera, kCamera, kImagePort);
    ASSERT_TRUE(rig_.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 1, 8000ms));
    ASSERT_TRUE(rig_.sdk->start(Movoda::IMG_DISTANCE, false));

    // Frame numbers are the sequence numbers: wait until the stream is well past the wrap.
    bool wrapped = false;
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto frame = rig_.frames.last();
            if (frame && frame->frameId() >= 60000) return false;
            wrapped = frame && frame->frameId() >= 40;
            return wrapped;
        },
        10000ms));
    ASSERT_TRUE(rig_.sdk->stop());

    const auto sent = camera_->counters().stream;
    ASSERT_GT(sent.datagrams.dropped, 0u);
    const uint64_t framesSent = sent.framesBuilt - sent.framesSkipped;
    // Let the datagrams still on their way be read, and the last completed frame pass the
    // intake (the reassembler counts it just before the intake does).
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto s = rig_.sdk->getStreamStats();
            return s.udpFramesCompleted + s.udpFramesEvicted + 3 >= framesSent &&
                   s.framesAccepted + s.framesRejected >= s.udpFramesCompleted;
        },
        2000ms));
    const Movoda::MvStreamStats stats = rig_.sdk->getStreamStats();
    EXPECT_GT(stats.udpFramesEvicted, 0u);
    EXPECT_EQ(stats.udpFramesBroken, 0u);
    // Every frame either completed or was evicted (the last ones may still sit in slots),
    // and no more were evicted than lost a datagram.
    EXPECT_LE(stats.udpFramesCompleted + stats.udpFramesEvicted, framesSent);
    EXPECT_LE(stats.udpFramesEvicted, sent.datagrams.dropped);
    // Every complete frame passed the intake.
    EXPECT_EQ(stats.framesAccepted, stats.udpFramesCompleted);
    EXPECT_EQ(stats.framesRejected, 0u);

    // Frames after the wrap are whole, and the newest reached the application.
    const auto kept = rig_.frames.kept();
    ASSERT_FALSE(kept.empty());
    EXPECT_LT(kept.back()->frameId(), 1000u);
    EXPECT_NEAR(double(centreDistance(*kept.back())), 1500.0, 15.0);
}

}  // namespace
