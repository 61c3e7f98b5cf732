// MvSdk's replay of recorded frames (a frame stored as its image datagrams), and the
// rule that frames are withheld while the command channel is unverified unless the
// playback flag is set. Owns 127.0.0.44; no image stream is used.
#include "DatagramPlanner.h"
#include "E2eSupport.h"
#include "FrameBuilder.h"
#include "Scene.h"

namespace {

using namespace e2e;
using Bytes = std::vector<uint8_t>;

constexpr const char* kAddress = "127.0.0.44";
constexpr uint16_t kImagePort = 9644;
constexpr size_t kDatagram = 1420;

// One frame of the simulated wall as the camera would send it, datagrams back to back.
Bytes recordedFrame(uint16_t frameNumber, bool legacy) {
    camsim::SceneOptions sceneOptions;
    std::shared_ptr<const camsim::Scene> scene = camsim::makeScene(sceneOptions);
    camsim::FrameOptions frameOptions;
    frameOptions.noise = 0;
    camsim::FrameBuilder builder(scene, frameOptions);
    camsim::Identity identity;
    camsim::AcquisitionConfig config;
    camsim::FrameContext context;
    context.frameNumber = frameNumber;
    context.legacy = legacy;
    Bytes packet;
    builder.build(identity, config, context, packet);

    camsim::DatagramPlanner planner(1);
    Bytes recording;
    planner.sendFrame(packet, frameNumber, legacy, {}, [&](const uint8_t* data, size_t size) {
        recording.insert(recording.end(), data, data + size);
    });
    return recording;
}

class ReplayE2e : public ::testing::Test {
protected:
    void SetUp() override { rig_.create(); }
    void TearDown() override {
        rig_.sdk.reset();
        if (camera_) camera_->stop();
    }
    // Nobody listens on the address: the link stays in PortOpening, which delivers.
    void startWithoutCamera() { rig_.connect(kAddress, kAddress, kImagePort); }
    Movoda::MvSdk& sdk() { return *rig_.sdk; }

    std::unique_ptr<camsim::CameraSim> camera_;
    SdkRig rig_;
};

TEST_F(ReplayE2e, RecordedFrameReachesTheApplicationUnderItsTag) {
    startWithoutCamera();
    const Bytes recording = recordedFrame(4321, false);
    ASSERT_GT(recording.size(), 2 * kDatagram);
    ASSERT_NE(recording.size() % kDatagram, 0u);  // a short last datagram
    ASSERT_TRUE(sdk().replayRawFrame(recording, "rec_0001"));
    ASSERT_TRUE(rig_.frames.waitForCount(1, 3000ms));

    const auto frame = rig_.frames.last();
    EXPECT_EQ(frame->name(), "rec_0001");
    EXPECT_EQ(frame->frameId(), 4321u);
    EXPECT_EQ(frame->version(), 3);
    EXPECT_NEAR(double(centreDistance(*frame)), 1500.0, 15.0);
    EXPECT_FALSE(sdk().getEndianFlag());
}

TEST_F(ReplayE2e, OlderCameraRecordingIsReadBigEndian) {
    startWithoutCamera();
    ASSERT_TRUE(sdk().replayRawFrame(recordedFrame(77, true), "old"));
    ASSERT_TRUE(rig_.frames.waitForCount(1, 3000ms));
    const auto frame = rig_.frames.last();
    EXPECT_EQ(frame->frameId(), 77u);
    EXPECT_EQ(frame->version(), 2);
    EXPECT_NEAR(double(centreDistance(*frame)), 1500.0, 15.0);
    // A recording says nothing about the live link: its byte order stays.
    EXPECT_FALSE(sdk().getEndianFlag());
}

TEST_F(ReplayE2e, DamagedRecordingsAreRefused) {
    startWithoutCamera();
    const Bytes good = recordedFrame(10, false);

    Bytes truncated(good.begin(), good.end() - 100);
    EXPECT_FALSE(sdk().replayRawFrame(truncated, "t"));
    EXPECT_FALSE(sdk().replayRawFrame({}, "t"));
    EXPECT_FALSE(sdk().replayRawFrame(Bytes(good.begin(), good.begin() + 10), "t"));

    // The second datagram belongs to another frame.
    Bytes mixed = good;
    const Bytes other = recordedFrame(11, false);
    std::copy(other.begin() + kDatagram, other.begin() + 2 * kDatagram, mixed.begin() + kDatagram);
    EXPECT_FALSE(sdk().replayRawFrame(mixed, "m"));

    // Consistent datagrams carrying a frame of width 0: handed over, refused by the intake.
    Bytes zeroWidth = good;
    const size_t widthAt = 20 + 8 + 4;  // chunk header, wire framing, inner offset 4
    zeroWidth[widthAt] = 0;
    zeroWidth[widthAt + 1] = 0;
    EXPECT_TRUE(sdk().replayRawFrame(zeroWidth, "z"));
    EXPECT_EQ(sdk().getStreamStats().framesRejected, 1u);

    // None of these reached the application; a good one still does.
    ASSERT_TRUE(sdk().replayRawFrame(good, "g"));
    ASSERT_TRUE(rig_.frames.waitForCount(1, 3000ms));
    EXPECT_EQ(rig_.frames.last()->name(), "g");
    EXPECT_EQ(sdk().getStreamStats().framesAccepted, 1u);
}

TEST_F(ReplayE2e, UnverifiedLinkWithholdsFramesUnlessPlaybackIsOn) {
    // A camera that never answers: the channel opens and stays unverified.
    camsim::SimOptions o = cameraOptions(kAddress);
    o.faults.mutedIds = {0};
    camera_ = startCamera(o);
    rig_.connect(kAddress, kAddress, kImagePort);
    ASSERT_TRUE(waitUntil([&] { return sdk().getStateString() == "TxRxVerifying-Disconnected"; },
                          5000ms))
        << sdk().getStateString();

    const Bytes recording = recordedFrame(5, false);
    EXPECT_EQ(sdk().getPlaybackMode(), 0);
    ASSERT_TRUE(sdk().replayRawFrame(recording, "held"));
    ASSERT_TRUE(waitUntil([&] { return sdk().getStreamStats().framesWithheld == 1; }, 3000ms));
    EXPECT_EQ(rig_.frames.count(), 0u);

    sdk().setPlaybackMode(1);
    EXPECT_EQ(sdk().getPlaybackMode(), 1);
    ASSERT_TRUE(sdk().replayRawFrame(recording, "shown"));
    ASSERT_TRUE(rig_.frames.waitForCount(1, 3000ms));
    EXPECT_EQ(rig_.frames.last()->name(), "shown");
    EXPECT_EQ(sdk().getStreamStats().framesWithheld, 1u);
}

}  // namespace
