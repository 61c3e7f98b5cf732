// The daemon's frame path on a socket-free transport: the intake's checks and byte-order
// switch, image-stream results (reports, short results, device state), newest-frame-only
// hand-offs and the withholding of frames while the link is unverified.
#include <gtest/gtest.h>

#include <future>
#include <iterator>

#include "../frame/FramePacketBuilder.h"
#include "FakeTransport.h"
#include "daemon/FramePipeline.h"
#include "daemon/MvDaemon.h"

namespace {

using namespace std::chrono_literals;
using Movoda::FramePipeline;
using Movoda::MvDaemon;
using vantory_test::FakeTransport;
using vantory_test::PacketPlan;
using vantory_test::waitUntil;
using Bytes = std::vector<uint8_t>;
using FramePtr = std::shared_ptr<const Movoda::Frame>;

class PipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The fake is the serial transport, so no image receive thread is started.
        auto fake = std::make_unique<FakeTransport>();
        fake_ = fake.get();
        Movoda::daemon::DaemonTiming timing;
        timing.tick = tick_;
        timing.connectRetry = 20ms;
        daemon_ = std::make_unique<MvDaemon>(nullptr, std::move(fake), timing);
        auto pipeline = std::make_shared<FramePipeline>(*daemon_);
        pipeline_ = pipeline.get();
        daemon_->attachPipeline(pipeline, pipeline->hooks());
        daemon_->setEventCallback([this](const std::shared_ptr<const Movoda::CBEventData>& e) {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(*e);
        });
        pipeline_->setFrameCallback([this](const FramePtr& frame) {
            std::lock_guard<std::mutex> lock(mutex_);
            frames_.push_back(frame);
        });
    }
    void TearDown() override { daemon_.reset(); }

    bool intake(const Bytes& inner, const std::string& name = "") {
        return pipeline_->intake(inner.data(), inner.size(), name, Movoda::FrameSource::Live);
    }
    size_t frameCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_.size();
    }
    std::vector<FramePtr> frames() {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }
    std::vector<Movoda::CBEventData> events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    static Bytes packet(uint16_t width, uint16_t height, uint8_t format = 3,
                        uint16_t frameNumber = 7) {
        PacketPlan plan;
        plan.width = width;
        plan.height = height;
        plan.format = format;
        plan.frameNumber = frameNumber;
        return vantory_test::buildInner(plan);
    }

    std::chrono::milliseconds tick_ = 20ms;
    FakeTransport* fake_ = nullptr;
    std::unique_ptr<MvDaemon> daemon_;
    FramePipeline* pipeline_ = nullptr;
    std::mutex mutex_;
    std::vector<FramePtr> frames_;
    std::vector<Movoda::CBEventData> events_;
};

// A supervisor slow enough that no link check or silence limit interferes.
class LinkStatePipelineTest : public PipelineTest {
protected:
    LinkStatePipelineTest() { tick_ = 1000ms; }
};

TEST_F(PipelineTest, IntakeAcceptsOnlySizesOfTheSensor) {
    struct Case {
        uint16_t width, height;
        bool accepted;
    };
    const Case cases[] = {{320, 240, true}, {1, 1, true},    {160, 120, true}, {0, 240, false},
                          {321, 240, false}, {320, 0, false}, {320, 241, false}};
    uint64_t accepted = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_EQ(intake(packet(c.width, c.height)), c.accepted);
        accepted += c.accepted ? 1 : 0;
    }
    EXPECT_EQ(pipeline_->counters().accepted, accepted);
    EXPECT_EQ(pipeline_->counters().rejected, std::size(cases) - accepted);
    // Too short to hold the header at all.
    EXPECT_FALSE(intake(Bytes{251, 0, 0}));
    EXPECT_FALSE(intake(Bytes{}));
}

TEST_F(PipelineTest, InformationBlockOfAnotherLengthIsRejected) {
    PacketPlan plan;
    plan.blockLength = 205;
    EXPECT_FALSE(intake(vantory_test::buildInner(plan)));
    EXPECT_EQ(pipeline_->counters().accepted, 0u);
}

TEST_F(PipelineTest, TrailerTypeSetsTheLinkByteOrderBeforeTheSizeIsRead) {
    daemon_->setBigEndianLength(true);
    // Width 320 read in the wrong order would be 0x4001 and refused.
    EXPECT_TRUE(intake(packet(320, 240, 3)));
    EXPECT_FALSE(daemon_->getBigEndianLength());
    EXPECT_FALSE(fake_->getBigEndianLength());
    EXPECT_TRUE(intake(packet(320, 240, 2)));
    EXPECT_TRUE(daemon_->getBigEndianLength());
    EXPECT_TRUE(fake_->getBigEndianLength());
    EXPECT_TRUE(intake(packet(320, 240, 3)));
    EXPECT_FALSE(daemon_->getBigEndianLength());
}

TEST_F(PipelineTest, AcceptedFramesAreDecodedAndDeliveredWithTheirPacket) {
    pipeline_->ensureRunning(false);
    const Bytes inner = packet(320, 240, 3, 1234);
    ASSERT_TRUE(intake(inner, "tag_1"));
    ASSERT_TRUE(waitUntil([&] { return frameCount() == 1; }, 3s));
    const FramePtr frame = frames()[0];
    EXPECT_EQ(frame->frameId(), 1234u);
    EXPECT_EQ(frame->name(), "tag_1");
    // The stored wire packet: marks around the inner bytes, length in the link order.
    const Bytes& wire = frame->packet();
    ASSERT_EQ(wire.size(), inner.size() + 12);
    EXPECT_EQ((Bytes{wire[0], wire[1], wire[2], wire[3]}), (Bytes{0x7E, 0xFF, 0xAA, 0x55}));
    EXPECT_EQ(wire[4] | wire[5] << 8 | wire[6] << 16, int(inner.size()));
    EXPECT_TRUE(std::equal(inner.begin(), inner.end(), wire.begin() + 8));
    // Without a tag the decoder's name stays: model and frame number.
    ASSERT_TRUE(intake(inner));
    ASSERT_TRUE(waitUntil([&] { return frameCount() == 2; }, 3s));
    EXPECT_EQ(frames()[1]->name(), "XR300LITE_1234");
}

TEST_F(PipelineTest, SlowDeliveryKeepsOnlyTheNewestFrame) {
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> calls{0};
    std::vector<uint64_t> delivered;
    pipeline_->setFrameCallback([&](const FramePtr& frame) {
        delivered.push_back(frame->frameId());
        if (calls.fetch_add(1) == 0) {
            entered.set_value();
            released.wait_for(5s);
        }
    });
    pipeline_->ensureRunning(false);
    ASSERT_TRUE(intake(packet(320, 240, 3, 1)));
    ASSERT_EQ(entered.get_future().wait_for(3s), std::future_status::ready);
    for (uint16_t n = 2; n <= 4; ++n) ASSERT_TRUE(intake(packet(320, 240, 3, n)));
    // Of frames 2..4 only the newest survives, whichever stage dropped the others.
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto c = pipeline_->counters();
            return c.rawDiscarded + c.imageDiscarded == 2;
        },
        3s));
    release.set_value();
    ASSERT_TRUE(waitUntil([&] { return calls.load() == 2; }, 3s));
    pipeline_->setFrameCallback(nullptr);  // waits for a running call to end
    EXPECT_EQ(delivered, (std::vector<uint64_t>{1, 4}));
    EXPECT_EQ(pipeline_->counters().delivered, 2u);
}

TEST_F(PipelineTest, ImageStreamResults) {
    daemon_->startup();
    pipeline_->ensureRunning(false);
    // A report: id 252, payload, status byte, state byte, trailer type.
    pipeline_->handleImageResult(Bytes{252, 10, 20, 30, 7, 2, 3});
    ASSERT_TRUE(waitUntil(
        [&] {
            for (const auto& e : events())
                if (e.cmdId == 252) return true;
            return false;
        },
        3s));
    for (const auto& e : events()) {
        if (e.cmdId != 252) continue;
        EXPECT_EQ(e.eventName, "data");
        EXPECT_EQ(e.reportByte, 7);
        EXPECT_EQ(e.data, (Bytes{10, 20, 30}));
    }
    // Short results that are not reports are ignored, longer ones go to the intake.
    Bytes junk(999, 1);
    pipeline_->handleImageResult(junk);
    EXPECT_EQ(pipeline_->counters().accepted + pipeline_->counters().rejected, 0u);
    junk.push_back(1);
    pipeline_->handleImageResult(junk);
    EXPECT_EQ(pipeline_->counters().rejected, 1u);
}

TEST_F(PipelineTest, ImageFramesWithoutAVerifiedChannelMeanUdpOk) {
    fake_->allowConnect.store(false);  // the command channel never opens
    daemon_->startup();
    ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == Movoda::SDK_PortOpening; }, 3s));
    pipeline_->handleImageResult(packet(320, 240));
    // The receive thread keeps trying to open the channel, so the state is read from
    // the events it caused.
    ASSERT_TRUE(waitUntil(
        [&] {
            for (const auto& e : events()) {
                if (e.eventName == "sdkState" && e.data == Bytes{Movoda::SDK_UdpOk}) return true;
            }
            return false;
        },
        3s));
    EXPECT_EQ(daemon_->devState(), int(Movoda::DEV_Stream));
    ASSERT_TRUE(waitUntil([&] { return frameCount() == 1; }, 3s));
}

TEST_F(LinkStatePipelineTest, ConnectedLinkTakesTheDeviceStateFromTheFrameTrailer) {
    daemon_->startup();
    ASSERT_TRUE(waitUntil([&] { return fake_->isConnected(); }, 3s));
    fake_->inject(FakeTransport::inner(7, {}, 0, 2));  // any packet verifies the channel
    ASSERT_TRUE(waitUntil([&] { return daemon_->isConnected(); }, 3s));
    ASSERT_TRUE(waitUntil([&] { return daemon_->devState() == 2; }, 3s));

    Bytes frame = packet(320, 240);
    frame[frame.size() - 2] = 9;  // state byte of the split trailer
    pipeline_->handleImageResult(frame);
    EXPECT_EQ(daemon_->devState(), 9);
    frame[frame.size() - 2] = 0;  // 0 is not reported from a frame
    pipeline_->handleImageResult(frame);
    EXPECT_EQ(daemon_->devState(), 9);
    frame[frame.size() - 2] = 200;  // clamped
    pipeline_->handleImageResult(frame);
    EXPECT_EQ(daemon_->devState(), 27);
    EXPECT_TRUE(daemon_->isConnected());
}

TEST_F(LinkStatePipelineTest, UnverifiedChannelWithholdsFramesUnlessPlaybackIsSet) {
    daemon_->startup();  // connects, sends a link check nobody answers
    ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() == Movoda::SDK_TxRxVerifying; }, 3s));
    ASSERT_TRUE(intake(packet(64, 48)));
    ASSERT_TRUE(waitUntil([&] { return pipeline_->counters().withheld == 1; }, 3s));
    EXPECT_EQ(frameCount(), 0u);
    pipeline_->setPlaybackMode(1);
    ASSERT_TRUE(intake(packet(64, 48)));
    ASSERT_TRUE(waitUntil([&] { return frameCount() == 1; }, 3s));
    EXPECT_EQ(pipeline_->counters().withheld, 1u);
}

TEST_F(PipelineTest, StoppedPipelineRefusesFramesAndEndsItsThreads) {
    daemon_->startup();
    ASSERT_TRUE(waitUntil([&] { return daemon_->sdkState() != Movoda::SDK_NotStartup; }, 3s));
    auto stopped = std::async(std::launch::async, [&] { daemon_->stop(); });
    ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(intake(packet(320, 240)));
    pipeline_->ensureRunning(true);  // starts nothing after a stop
    EXPECT_EQ(frameCount(), 0u);
}

}  // namespace
