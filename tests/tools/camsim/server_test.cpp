// The simulated camera in-process on loopback, driven with the SDK's packet code.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "ByteIo.h"
#include "CameraSim.h"
#include "CamsimConstants.h"
#include "CamsimTestClient.h"

using namespace camsim;
using namespace camsim_test;

namespace {

SimOptions quietOptions(const std::string& address) {
    SimOptions o;
    o.bindAddress = address;
    o.identity.ip = {127, 0, 0, uint8_t(std::stoi(address.substr(address.rfind('.') + 1)))};
    o.announce = false;
    o.noise = 0;
    o.config.maxFps = 50;
    o.resetPauseSeconds = 0.5;
    return o;
}

std::vector<uint8_t> destination(const std::string& ip, uint16_t port, bool big = false) {
    std::array<uint8_t, 4> a;
    parseIp(ip, a);
    std::vector<uint8_t> p(a.begin(), a.end());
    p.resize(6);
    putU16(&p[4], port, big);
    return p;
}

class CameraFixture : public ::testing::Test {
protected:
    void startCamera(SimOptions o) {
        camera = std::make_unique<CameraSim>(std::move(o));
        std::string error;
        ASSERT_TRUE(camera->start(&error)) << error;
    }
    std::unique_ptr<CameraSim> camera;
};

struct CommandCase {
    uint8_t id;
    std::vector<uint8_t> payload;
    uint8_t status;
    int answerSize;
};

}  // namespace

class CommandServerTest : public CameraFixture {
protected:
    void SetUp() override {
        startCamera(quietOptions("127.0.0.20"));
        ASSERT_TRUE(client.connectTcp("127.0.0.20", "127.0.0.20"));
    }
    CommandClient client;
};

TEST_F(CommandServerTest, EveryCommandIsAnsweredWithItsPayloadAndState) {
    const std::vector<uint8_t> magic{'M', 'O', 'V', 'O', 'D', 'A'};
    const CommandCase cases[] = {
        {0, {}, 0, 0},
        {4, {}, 0, 125},
        {5, {}, 0, 78},
        {18, {}, 0, 36},
        {29, {}, 0, 28},
        {47, {}, 0, -1},
        {59, {2, 0, 0}, 0, 2},
        {164, {0}, 0, 4},
        {3, {127, 0, 0, 20, 255, 0, 0, 0, 127, 0, 0, 1}, 0, 0},
        {8, {0xE8, 3, 0, 0, 0, 0, 0x64, 0, 0, 0, 0, 0}, 0, 0},
        {9, {60, 0}, 0, 0},
        {10, {0}, 0, 0},
        {12, {0}, 0, 0},
        {14, magic, 0, 0},
        {23, {1}, 0, 0},
        {27, {1, 1, 1, 1, 1}, 0, 0},
        {30, {1, 3}, 0, 0},
        {31, magic, 0, 0},
        {51, {0, 0, 0, 0, 0x3F, 1, 0xEF, 0}, 0, 0},
        {52, {0}, 0, 0},
        {53, {3}, 0, 0},
        {56, {25}, 0, 0},
        {56, {51}, 3, 0},
        {57, {0}, 0, 0},
        {58, {0}, 0, 0},
        {150, {'M', 'K', '1', '5', '0', 'P', 'L', 'U', 'S', '1'}, 0, 0},
        {151, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0, 0},
        {161, {1, 1}, 0, 0},
        {163, {1, 0, 0, 0, 0}, 0, 0},
        {168, encodeLens(Lens{}), 0, 0},
        {169, std::vector<uint8_t>(28, 0), 0, 0},
        {202, {0x22, 0}, 0, 0},
        {202, {0x32, 0}, 0, 0},
        {202, {0x26, 0, 1, 2, 0}, 0, 0},
        {202, {10, 0}, 0, 0},
        {202, {11, 0, 1, 0}, 0, 0},
        {202, {0x29, 0, 0, 0}, 0, 0},
        {154, {1, 0, 0, 0}, 0, 0},
        {77, {}, 1, 0},
        {200, {9}, 1, 0},
    };
    for (const auto& c : cases) {
        const auto r = client.exchange(c.id, c.payload);
        ASSERT_TRUE(r) << "no answer to " << int(c.id);
        EXPECT_EQ(r->status, c.status) << int(c.id);
        EXPECT_EQ(r->devState, devstate::kIdle) << int(c.id);
        if (c.answerSize >= 0) {
            EXPECT_EQ(int(r->payload.size()), c.answerSize) << int(c.id);
        } else {
            EXPECT_GE(r->payload.size(), kBootTextMinSize);
        }
    }
    // The camera kept a log of exactly what arrived.
    const auto log = camera->receivedCommands();
    ASSERT_EQ(log.size(), sizeof cases / sizeof cases[0]);
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].id, cases[i].id);
        EXPECT_EQ(log[i].payload, cases[i].payload);
    }
}

TEST_F(CommandServerTest, AnswersUseTheCurrentTrailerLayout) {
    ASSERT_TRUE(client.send(4));
    uint8_t buf[2048];
    ASSERT_TRUE(waitReadable(client.fd(), Clock::now() + 2s));
    const ssize_t n = ::read(client.fd(), buf, sizeof buf);
    ASSERT_EQ(n, 12 + 1 + 125 + 3);  // one packet per read, as the SDK's receive expects
    EXPECT_EQ(getU32(buf + 4, false), uint32_t(1 + 125 + 3));
    EXPECT_EQ(buf[n - 5], 3);  // trailer type 3
}

TEST_F(CommandServerTest, StreamsFramesToThePeerAndStops) {
    ImageReceiver images("127.0.0.20", 9620);
    ASSERT_TRUE(images.bound());
    ASSERT_EQ(client.exchange(19, destination("0.0.0.0", 9620))->status, 0);
    ASSERT_EQ(client.exchange(202, {0x22, 1})->status, 0);
    ASSERT_EQ(client.exchange(1, {1, 1})->status, 0);
    EXPECT_EQ(camera->deviceState(), devstate::kStream);

    std::vector<uint16_t> numbers;
    for (int i = 0; i < 5; ++i) {
        const auto frame = images.nextFrame();
        ASSERT_TRUE(frame) << "frame " << i;
        const uint8_t* in = frame->data();
        ASSERT_GT(frame->size(), 1000u);
        EXPECT_EQ(in[0], cmd::kFrame);
        EXPECT_EQ(getU16(in + 4, false), 320);
        EXPECT_EQ(getU16(in + 6, false), 240);
        EXPECT_EQ(frame->size(), 8 + 6 * 320 * 240 + kInfoBlockSize);
        const uint8_t* blk = in + frame->size() - kInfoBlockSize;
        EXPECT_EQ(getU32(blk, false), kInfoBlockMagic);
        EXPECT_EQ(blk[93], 3 | 8);
        EXPECT_EQ(blk[204], devstate::kStream);
        numbers.push_back(getU16(in + 2, false));
    }
    for (size_t i = 1; i < numbers.size(); ++i) {
        EXPECT_EQ(uint16_t(numbers[i] - numbers[i - 1]), 1);
    }

    ASSERT_EQ(client.exchange(2)->status, 0);
    EXPECT_EQ(camera->deviceState(), devstate::kIdle);
    // After the stop only frames already in flight arrive, then silence.
    int late = 0;
    while (images.nextFrame(400ms)) ASSERT_LT(++late, 3);
}

TEST_F(CommandServerTest, ParametersChangeWhatIsStreamed) {
    ImageReceiver images("127.0.0.20", 9621);
    ASSERT_EQ(client.exchange(19, destination("127.0.0.20", 9621))->status, 0);
    ASSERT_EQ(client.exchange(51, {0, 0, 0, 0, 159, 0, 119, 0})->status, 0);
    ASSERT_EQ(client.exchange(12, {0x11})->status, 0);
    ASSERT_EQ(client.exchange(10, {2})->status, 0);
    ASSERT_EQ(client.exchange(8, {0xE8, 3, 0x2C, 1, 0, 0, 0xE8, 3, 0, 0, 0, 0})->status, 0);
    ASSERT_EQ(client.exchange(1, {2, 1})->status, 0);
    const auto frame = images.nextFrame();
    ASSERT_TRUE(frame);
    const uint8_t* in = frame->data();
    EXPECT_EQ(getU16(in + 4, false), 80);
    EXPECT_EQ(getU16(in + 6, false), 60);
    const uint8_t* blk = in + frame->size() - kInfoBlockSize;
    EXPECT_EQ(blk[93], 3 | 4);
    EXPECT_EQ(blk[94], 1);
    EXPECT_EQ(blk[95], 3);
    EXPECT_EQ(blk[124], 3);
    EXPECT_EQ(getU16(blk + 103, false), 300);
}

TEST_F(CommandServerTest, ReceivedLogCanBeReadWhileCommandsArrive) {
    std::atomic<bool> done{false};
    size_t seen = 0;
    std::thread reader([&] {
        while (!done) seen = std::max(seen, camera->receivedCommands().size());
    });
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(client.exchange(0));
    done = true;
    reader.join();
    EXPECT_TRUE(camera->waitForCommand(0, 1s, 50));
    EXPECT_LE(seen, 50u);
    camera->clearReceivedCommands();
    EXPECT_TRUE(camera->receivedCommands().empty());
}

TEST_F(CameraFixture, SequenceNumbersWrapAt65535) {
    SimOptions o = quietOptions("127.0.0.26");
    o.startSequence = 65534;
    o.imuRateHz = 20;
    startCamera(o);
    CommandClient client;
    ASSERT_TRUE(client.connectTcp("127.0.0.26", "127.0.0.26"));
    ImageReceiver images("127.0.0.26", 9626);
    ASSERT_EQ(client.exchange(19, destination("127.0.0.26", 9626))->status, 0);
    ASSERT_EQ(client.exchange(1, {1, 1})->status, 0);
    std::vector<uint16_t> seen;
    bool imu = false;
    while (seen.size() < 3) {
        const auto p = images.next();
        ASSERT_TRUE(p);
        if ((*p)[0] == cmd::kImuReport) {
            imu = true;
            EXPECT_EQ(p->size(), 1 + kImuBlockSize + 3);
            continue;
        }
        seen.push_back(getU16(p->data() + 2, false));
    }
    EXPECT_EQ(seen, (std::vector<uint16_t>{65534, 65535, 0}));
    while (!imu) {
        const auto p = images.next();
        ASSERT_TRUE(p);
        imu = (*p)[0] == cmd::kImuReport;
    }
}

TEST_F(CameraFixture, OlderCameraAnswersOnlyBigEndianRequests) {
    SimOptions o = quietOptions("127.0.0.21");
    o.legacy = true;
    startCamera(o);
    CommandClient little(false);
    ASSERT_TRUE(little.connectTcp("127.0.0.21", "127.0.0.21"));
    EXPECT_FALSE(little.exchange(0, {}, 500ms));  // what makes the SDK flip its byte order

    CommandClient client(true);
    ASSERT_TRUE(client.connectTcp("127.0.0.21", "127.0.0.21"));
    const auto info = client.exchange(4);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->payload.size(), kLegacyDevInfoSize);
    EXPECT_EQ(info->devState, devstate::kIdle);
    EXPECT_EQ(client.exchange(5)->payload.size(), kLegacyDevConfigSize);

    ImageReceiver images("127.0.0.21", 9622, true);
    ASSERT_EQ(client.exchange(19, destination("127.0.0.21", 9622, true))->status, 0);
    ASSERT_EQ(client.exchange(1, {1, 1})->status, 0);
    const auto frame = images.nextFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->back(), 2);
    EXPECT_EQ(getU16(frame->data() + 4, true), 320);
    EXPECT_EQ(frame->size(), 8 + 4 * 320 * 240 + kLegacyFrameTrailerSize);
}

TEST_F(CameraFixture, AnnouncementsArriveAboutOnceASecond) {
    SimOptions o = quietOptions("127.0.0.22");
    o.announce = true;
    o.announceTarget = "127.0.0.22";
    o.announcePort = 9686;
    o.announceIntervalSeconds = 0.2;
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in a = endpoint("127.0.0.22", 9686);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
    startCamera(o);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(waitReadable(fd, Clock::now() + 3s));
        char buf[512];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        ASSERT_GT(n, 0);
        const std::string text(buf, size_t(n));
        EXPECT_EQ(text.rfind("127.0.0.22 :", 0), 0u) << text;
        EXPECT_NE(text.find("K150PLUS"), std::string::npos);
        EXPECT_NE(text.find(camera->identity().serial), std::string::npos);
        EXPECT_NE(text.find("02-4D-56-53-49-4D"), std::string::npos);
    }
    ::close(fd);
    // The second announcement is counted once its send returns; the first surely is.
    EXPECT_GE(camera->counters().announcements, 1u);
}

TEST_F(CameraFixture, ResetClosesTheLinkAndAcceptsAgainLater) {
    startCamera(quietOptions("127.0.0.24"));
    CommandClient client;
    ASSERT_TRUE(client.connectTcp("127.0.0.24", "127.0.0.24"));
    const auto r = client.exchange(13, {'M', 'O', 'V', 'O', 'D', 'A'});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0);
    EXPECT_TRUE(client.closedWithin(2s));
    EXPECT_TRUE(client.connectTcpWithin("127.0.0.24", "127.0.0.24", 5s));
    EXPECT_TRUE(client.exchange(0));
}

TEST_F(CameraFixture, PseudoTerminalCarriesCommandsAndFrames) {
    SimOptions o = quietOptions("127.0.0.27");
    o.usbPath = "/tmp/camsim-test-ttyACM-" + std::to_string(::getpid());
    o.config.maxFps = 5;
    startCamera(o);
    CommandClient client;
    ASSERT_TRUE(client.openSerial(o.usbPath));
    const auto info = client.exchange(4);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->payload.size(), kDevInfoSize);
    ASSERT_EQ(client.exchange(1, {1, 1})->status, 0);
    const auto frame = client.receiveId(cmd::kFrame, 5s);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->payload.size(), 7 + 4 * 320 * 240 + kInfoBlockSize - 3);
    EXPECT_EQ(frame->devState, devstate::kStream);
    ASSERT_TRUE(client.exchange(2, {}, 5s));
    // A reset keeps the port but ignores requests while the camera restarts.
    ASSERT_EQ(client.exchange(13, {'M', 'O', 'V', 'O', 'D', 'A'}, 5s)->status, 0);
    bool ignored = false;
    const auto deadline = Clock::now() + 3s;
    while (!ignored && Clock::now() < deadline) ignored = !client.exchange(0, {}, 200ms);
    EXPECT_TRUE(ignored);
    bool back = false;
    for (int i = 0; i < 20 && !back; ++i) back = client.exchange(0, {}, 300ms).has_value();
    EXPECT_TRUE(back);
    camera->stop();
    EXPECT_NE(::access(o.usbPath.c_str(), F_OK), 0);  // the link is gone with the camera
}

class FaultTest : public CameraFixture {
protected:
    void SetUp() override {
        startCamera(quietOptions("127.0.0.23"));
        ASSERT_TRUE(client.connectTcp("127.0.0.23", "127.0.0.23"));
    }
    CommandClient client;
};

TEST_F(FaultTest, MutedIdsAreNeverAnswered) {
    FaultOptions f;
    f.mutedIds = {4};
    camera->setFaults(f);
    EXPECT_FALSE(client.exchange(4, {}, 500ms));
    EXPECT_TRUE(client.exchange(0));
    EXPECT_EQ(camera->counters().mutedRequests, 1u);
    EXPECT_TRUE(camera->waitForCommand(4, 1s));  // it was received all the same
}

TEST_F(FaultTest, BusyShareAnswersBusyWithoutEffect) {
    FaultOptions f;
    f.busyShare = 1.0;
    camera->setFaults(f);
    const auto r = client.exchange(56, {20});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, status::kBusy);
    EXPECT_NE(camera->config().maxFps, 20);
    f.busyShare = 0.5;
    camera->setFaults(f);
    int busy = 0;
    for (int i = 0; i < 200; ++i) busy += client.exchange(0)->status == status::kBusy ? 1 : 0;
    EXPECT_NEAR(busy, 100, 30);
}

TEST_F(FaultTest, DelayedAnswersComeLate) {
    FaultOptions f;
    f.responseDelayMs = 400;
    camera->setFaults(f);
    ASSERT_TRUE(client.send(0));
    EXPECT_FALSE(client.receive(100ms));
    EXPECT_TRUE(client.receive(3s));
    EXPECT_EQ(camera->counters().delayedAnswers, 1u);
}

TEST_F(FaultTest, SilenceAfterAWhileAndPeriodicClosing) {
    FaultOptions f;
    f.closeEverySeconds = 0.3;
    camera->setFaults(f);
    EXPECT_TRUE(client.closedWithin(3s));
    EXPECT_GE(camera->counters().linksClosedByFault, 1u);

    f.closeEverySeconds = 0;
    f.stopAnsweringAfterSeconds = 0.001;  // measured from start: already past
    camera->setFaults(f);
    ASSERT_TRUE(client.connectTcpWithin("127.0.0.23", "127.0.0.23", 2s));
    EXPECT_FALSE(client.exchange(0, {}, 500ms));
}
