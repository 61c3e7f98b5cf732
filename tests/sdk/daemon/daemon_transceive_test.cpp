#include <algorithm>
#include <future>
#include <thread>

#include "DaemonFixture.h"
#include "link/CmdSet.h"

using namespace Movoda;
using vantory_test::DaemonFixture;
using vantory_test::FakeTransport;
using vantory_test::waitUntil;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

uint8_t idOf(const FakeTransport::Sent& sent) {
    return sent.packet[8];
}
Bytes lengthField(const FakeTransport::Sent& sent) {
    return Bytes(sent.packet.begin() + 4, sent.packet.begin() + 8);
}

// Answers every request with status 0 and its id as the only payload byte.
std::vector<Bytes> echoOk(const Bytes& request) {
    return {FakeTransport::inner(request[0], {request[0]})};
}

class TransceiveTest : public DaemonFixture {};

}  // namespace

TEST_F(TransceiveTest, ClosedChannelTimesOutAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    const CmdResult result = daemon_->transceiveCmd(cmd::kGetDevInfo, {}, 2000);
    EXPECT_EQ(result.status, CMD_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 250ms);
    EXPECT_TRUE(fake_->sent().empty());
}

TEST_F(TransceiveTest, SilentCameraGetsFourTriesWithTimeoutRaisedTo300ms) {
    ASSERT_TRUE(fake_->connect());
    const CmdResult result = daemon_->transceiveCmd(cmd::kSetIntTimes, {1, 2}, 100);
    EXPECT_EQ(result.status, CMD_TIMEOUT);
    EXPECT_TRUE(result.payload.empty());
    const auto sent = fake_->sent();
    ASSERT_EQ(sent.size(), 4u);
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].packet,
                  packet::buildRequest(cmd::kSetIntTimes, Bytes{1, 2}.data(), 2, false));
        if (i > 0) {
            EXPECT_GE(sent[i].at - sent[i - 1].at, 300ms) << "try " << i;
        }
    }
}

TEST_F(TransceiveTest, CalibrationCommandsAreNeverRepeated) {
    ASSERT_TRUE(fake_->connect());
    for (uint8_t id : {cmd::kCalibrateAll, cmd::kCalibrateOne}) {
        fake_->clearSent();
        EXPECT_EQ(daemon_->transceiveCmd(id, {0}, 300).status, CMD_TIMEOUT);
        EXPECT_EQ(fake_->sent().size(), 1u) << int(id);
    }
    EXPECT_FALSE(daemon_->longOperationFlag());
}

TEST_F(TransceiveTest, StatusAndPayloadOfTheResponse) {
    startConnected();
    fake_->setResponder([](const Bytes& request) -> std::vector<Bytes> {
        if (request[0] == cmd::kSetRoi)
            return {FakeTransport::inner(cmd::kSetRoi, {9, 8}, CMD_REJECT, 2)};
        return echoOk(request);
    });
    CmdResult result = daemon_->transceiveCmd(cmd::kSetRoi, {1}, 300);
    EXPECT_EQ(result.status, CMD_REJECT);
    EXPECT_EQ(result.payload, (Bytes{9, 8}));
    result = daemon_->transceiveCmd(cmd::kGetDevConfig, {}, 300);
    EXPECT_EQ(result.status, CMD_OK);
    EXPECT_EQ(result.payload, (Bytes{cmd::kGetDevConfig}));
}

TEST_F(TransceiveTest, OtherIdIsADataEventAndDoesNotEndTheWait) {
    startConnected();
    fake_->setResponder([](const Bytes& request) -> std::vector<Bytes> {
        return {FakeTransport::inner(9, {0x42, 0x43}, CMD_REPORT, 2),
                FakeTransport::inner(request[0], {0x01})};
    });
    const CmdResult result = daemon_->transceiveCmd(cmd::kGetDevConfig, {}, 1000);
    EXPECT_EQ(result.status, CMD_OK);
    EXPECT_EQ(result.payload, (Bytes{0x01}));
    EXPECT_EQ(fake_->sentIds().back(), cmd::kGetDevConfig);
    ASSERT_TRUE(waitUntil([&] {
        for (const auto& e : eventsNamed("data")) {
            if (e->cmdId == 9) return true;
        }
        return false;
    }));
    for (const auto& e : eventsNamed("data")) {
        if (e->cmdId != 9) continue;
        EXPECT_EQ(e->reportByte, CMD_REPORT);
        EXPECT_EQ(e->data, (Bytes{0x42, 0x43}));
    }
}

TEST_F(TransceiveTest, LongOperationFlagRules) {
    startConnected();
    fake_->setResponder(echoOk);
    ASSERT_TRUE(daemon_->transceiveCmd(cmd::kCalibrateOne, {1}, 1000).ok());
    EXPECT_TRUE(daemon_->longOperationFlag());
    ASSERT_TRUE(daemon_->transceiveCmd(cmd::kKeepsLongOperation, {}, 1000).ok());
    EXPECT_TRUE(daemon_->longOperationFlag()) << "209 keeps the long operation";
    ASSERT_TRUE(daemon_->transceiveCmd(cmd::kGetDevConfig, {}, 300).ok());
    EXPECT_FALSE(daemon_->longOperationFlag());
    // An unsolicited 153 from the camera starts one too.
    fake_->inject(FakeTransport::inner(cmd::kCalibrateOne, {0}));
    EXPECT_TRUE(waitUntil([&] { return daemon_->longOperationFlag(); }));
}

TEST_F(TransceiveTest, FourTimeoutsInARowDropTheLink) {
    ASSERT_TRUE(fake_->connect());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(daemon_->transceiveCmd(cmd::kStart, {}, 300).status, CMD_TIMEOUT);
    EXPECT_TRUE(fake_->isConnected());
    EXPECT_EQ(daemon_->transceiveCmd(cmd::kStart, {}, 300).status, CMD_TIMEOUT);
    EXPECT_FALSE(fake_->isConnected());
    EXPECT_EQ(fake_->disconnects.load(), 1);
}

TEST_F(TransceiveTest, ByteOrderFlipsAfterThreeUnansweredLinkChecks) {
    daemon_->setEndianAutoDetect(true);
    EXPECT_TRUE(daemon_->getBigEndianLength());
    EXPECT_TRUE(fake_->getBigEndianLength());
    ASSERT_TRUE(fake_->connect());
    EXPECT_EQ(daemon_->transceiveCmd(cmd::kLinkCheck, {}, 300).status, CMD_TIMEOUT);
    const auto sent = fake_->sent();
    ASSERT_EQ(sent.size(), 4u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lengthField(sent[i]), (Bytes{0, 0, 0, 3})) << i;
    EXPECT_EQ(lengthField(sent[3]), (Bytes{3, 0, 0, 0}));
    EXPECT_FALSE(daemon_->getBigEndianLength());
    EXPECT_FALSE(fake_->getBigEndianLength());
    EXPECT_EQ(fake_->disconnects.load(), 1) << "the flip forces a reconnect";
}

TEST_F(TransceiveTest, NoFlipWithoutAutoDetectOrForOtherCommands) {
    ASSERT_TRUE(fake_->connect());
    EXPECT_EQ(daemon_->transceiveCmd(cmd::kLinkCheck, {}, 300).status, CMD_TIMEOUT);
    daemon_->setEndianAutoDetect(true);
    EXPECT_EQ(daemon_->transceiveCmd(cmd::kStop, {}, 300).status, CMD_TIMEOUT);
    for (const auto& s : fake_->sent())
        EXPECT_EQ(idOf(s) == 0 ? lengthField(s)[0] : lengthField(s)[3], 3);
    EXPECT_TRUE(daemon_->getBigEndianLength());
    EXPECT_EQ(fake_->disconnects.load(), 0);
}

TEST_F(TransceiveTest, AnsweredLinkCheckDisarmsAutoDetect) {
    daemon_->setEndianAutoDetect(true);
    startConnected();
    EXPECT_FALSE(daemon_->autoDetectArmed()) << "any received packet disarms";
    fake_->setResponder(echoOk);
    EXPECT_TRUE(daemon_->transceiveCmd(cmd::kLinkCheck, {}, 300).ok());
    EXPECT_TRUE(daemon_->getBigEndianLength());
}

TEST_F(TransceiveTest, StopReleasesAWaitingCaller) {
    ASSERT_TRUE(fake_->connect());
    auto pending = std::async(std::launch::async,
                              [&] { return daemon_->transceiveCmd(cmd::kGetDevInfo, {}, 2000); });
    ASSERT_TRUE(waitUntil([&] { return !fake_->sent().empty(); }));
    daemon_->stop();
    ASSERT_EQ(pending.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(pending.get().status, CMD_TIMEOUT);
}

TEST_F(TransceiveTest, ConcurrentCallersEachGetTheirOwnResponse) {
    startConnected();
    fake_->setResponder(echoOk);
    std::vector<std::future<bool>> callers;
    for (uint8_t id : {cmd::kStart, cmd::kStop, cmd::kGetDevConfig, cmd::kSetMaxFps}) {
        callers.push_back(std::async(std::launch::async, [this, id] {
            for (int i = 0; i < 20; ++i) {
                const CmdResult r = daemon_->transceiveCmd(id, {}, 1000);
                if (!r.ok() || r.payload != Bytes{id}) return false;
            }
            return true;
        }));
    }
    for (auto& c : callers) EXPECT_TRUE(c.get());
}

// The split trailer carries a whole status byte; only 0..15 are camera statuses.
TEST_F(TransceiveTest, StatusByteOutsideTheTableIsAFailure) {
    startConnected();
    const std::pair<uint8_t, uint32_t> table[] = {{0x00, CMD_OK},
                                                  {0x02, CMD_BUSY},
                                                  {0x0F, CMD_TIMEOUT},
                                                  {0x10, CMD_INVALID},
                                                  {0xF0, CMD_INVALID}};
    for (const auto& [byte, status] : table) {
        fake_->setResponder([byte = byte](const Bytes& request) -> std::vector<Bytes> {
            return {FakeTransport::innerSplit(request[0], byte)};
        });
        testing::internal::CaptureStdout();
        const CmdResult result = daemon_->transceiveCmd(cmd::kGetDevConfig, {}, 300);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(result.status, status) << int(byte);
        EXPECT_EQ(MvDaemon::lastStatusOfThisThread(), status);
        if (status == CMD_INVALID) {
            EXPECT_NE(printed.find("error= invalid"), std::string::npos);
        }
    }
}

// A command waits on a silent camera when the link drops and reopens: the reopened link
// is checked at once, and the old exchange ends instead of running out its four tries.
TEST_F(TransceiveTest, ReopenedLinkEndsAnExchangeInProgress) {
    startConnected();
    const int connectsBefore = fake_->connects.load();
    auto pending = std::async(std::launch::async,
                              [&] { return daemon_->transceiveCmd(cmd::kGetDevInfo, {}, 3000); });
    ASSERT_TRUE(waitUntil([&] { return fake_->sentIds().back() == cmd::kGetDevInfo; }));
    fake_->disconnect();
    ASSERT_EQ(pending.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(pending.get().status, CMD_TIMEOUT);
    EXPECT_GT(fake_->connects.load(), connectsBefore);
    // The abandoned exchange may end a moment before the daemon's thread sends the check
    // (a link that closes again at once is retried after a pause).
    EXPECT_TRUE(waitUntil([&] { return fake_->sentIds().back() == cmd::kLinkCheck; }))
        << "the new link was checked";
    const auto ids = fake_->sentIds();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), cmd::kGetDevInfo), 1);
}
