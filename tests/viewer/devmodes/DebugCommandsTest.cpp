// The command box, the sunlight calibration and the pixel report against the simulated
// camera on 127.0.0.191 (image port 9191): what the camera received and what was shown.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

#include "DebugCommands.h"
#include "DevModes.h"
#include "SimulatedCamera.h"

namespace vantory::devmodes {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kCameraAddress = "127.0.0.191";
constexpr uint16_t kImagePort = 9191;
constexpr uint8_t kCmdStart = 1, kCmdStop = 2, kCmdIntTimes = 8, kCmdHdr = 10, kCmdBinning = 12,
                  kCmdVcsel = 53, kCmdMaxFps = 56, kCmdParameter = 202;

// What the command box made the windows do.
struct Shown {
    QStringList log, boxes, messages;
    std::vector<int> dcsModes;
    std::vector<bool> tempDist;
    int calibrationRaised = 0;
};

class DebugCommandsTest : public ::testing::Test {
protected:
    void startCamera(camsim::SimOptions options = {}) {
        sim_.stop();
        options.bindAddress = kCameraAddress;
        ASSERT_NO_FATAL_FAILURE(sim_.start(options, kImagePort));
        shown_ = Shown();
        modes_ = std::make_unique<DevModes>(
            sim_.sdk(), modeBits_, QString(), true,
            ModeEffects{[] {}, [] {}, [] {}, [] {}, [](const QString&) {},
                        [this](const QString& title, const QString& text) {
                            shown_.boxes << title + "|" + text;
                        },
                        [] {}},
            effects());
        sim_.camera().clearReceivedCommands();
    }
    CommandEffects effects() {
        CommandEffects e;
        e.setDcsMode = [this](int mode) { shown_.dcsModes.push_back(mode); };
        e.setTempDistLog = [this](bool on) { shown_.tempDist.push_back(on); };
        e.raiseCalibrationWindow = [this] { ++shown_.calibrationRaised; };
        e.log = [this](const QString& line) { shown_.log << line; };
        e.inform = [this](const QString& title, const QString& text) {
            shown_.boxes << title + "|" + text;
        };
        e.timedMessage = [this](const QString& title, const QString& text) {
            shown_.messages << title + "|" + text;
        };
        return e;
    }
    // Ids the camera received since the last clear, the link checks left out.
    std::vector<uint8_t> commandIds() const {
        std::vector<uint8_t> ids;
        for (uint8_t id : sim_.receivedIds()) {
            if (id != 0) ids.push_back(id);
        }
        return ids;
    }

    testsupport::SimulatedCamera sim_;
    std::uint8_t modeBits_ = kModeDebugBit;
    std::unique_ptr<DevModes> modes_;
    Shown shown_;
};

TEST_F(DebugCommandsTest, RawCommandsReachTheCameraAndTheirAnswerIsLogged) {
    ASSERT_NO_FATAL_FAILURE(startCamera());
    struct Row {
        const char* text;
        bool decimal;
        Bytes sent;  // id then payload; empty: nothing may reach the camera
        const char* logged;
    } rows[] = {
        {"0x01 0x02", false, {kCmdStart, 2}, "cmd 1 [02] -> ok, 0 bytes: \n"},
        {"0x02", false, {kCmdStop}, "cmd 2 [] -> ok, 0 bytes: \n"},
        {"0x01 0x07", false, {kCmdStart, 7}, "cmd 1 [07] -> reject, 0 bytes: \n"},
        // Temperature coefficient written, then read back: the answer is shown.
        {"a3 78 56 34 12 01", false, {163, 0x78, 0x56, 0x34, 0x12, 1}, nullptr},
        {"164 1", true, {164, 1}, "cmd 164 [01] -> ok, 4 bytes: 78 56 34 12\n"},
        {"0x01 0x123", false, {}, "Invalid byte value: 123\n"},
        {"1, 300", true, {}, "Invalid byte value: 300\n"},
    };
    for (const Row& row : rows) {
        sim_.camera().clearReceivedCommands();
        shown_.log.clear();
        modes_->commands().run(QString::fromLatin1(row.text), row.decimal);
        std::vector<uint8_t> expectedIds;
        if (!row.sent.empty()) {
            expectedIds.push_back(row.sent.front());
            EXPECT_EQ(sim_.payloadsOf(row.sent.front()).at(0),
                      Bytes(row.sent.begin() + 1, row.sent.end()))
                << row.text;
        }
        EXPECT_EQ(commandIds(), expectedIds) << row.text;
        if (row.logged) {
            EXPECT_EQ(shown_.log, QStringList{QString::fromLatin1(row.logged)}) << row.text;
        }
    }
}

TEST_F(DebugCommandsTest, NamedCommandsInAnyCaseAndNoRawCommandOutsideTheModes) {
    modeBits_ = 0;
    ASSERT_NO_FATAL_FAILURE(startCamera());
    for (const char* text :
         {"dcs2", "DCS0", " Dcs3 ", "tempdiston", "TEMPDISTOFF", "dcs4", "DCS10"}) {
        modes_->commands().run(QString::fromLatin1(text), false);
    }
    EXPECT_EQ(shown_.dcsModes, (std::vector<int>{2, 0, 3}));
    EXPECT_EQ(shown_.tempDist, (std::vector<bool>{true, false}));
    EXPECT_EQ(shown_.boxes, (QStringList{QStringLiteral("提示|invalid command"),
                                         QStringLiteral("提示|invalid command")}));
    EXPECT_TRUE(commandIds().empty());

    // The debug word in the box switches raw commands on.
    modes_->commands().run(QStringLiteral("hlwqz"), false);
    EXPECT_EQ(modeBits_, kModeDebugBit);
    modes_->commands().run(QStringLiteral("0x17 0x05"), false);
    EXPECT_EQ(sim_.payloadsOf(23), std::vector<Bytes>{Bytes{5}});
}

TEST_F(DebugCommandsTest, SunlightCalibrationRunsItsStepsInOrderAndStopsAtTheFirstRefusal) {
    struct Row {
        uint8_t fpsLimit;
        std::vector<uint8_t> ids;
        const char* message;
    } rows[] = {
        {50,
         {kCmdVcsel, kCmdHdr, kCmdIntTimes, kCmdMaxFps, kCmdBinning, kCmdParameter},
         "Info|start cali sunlight"},
        // The camera refuses 10 frames per second: neither binning nor the measurement.
        {5, {kCmdVcsel, kCmdHdr, kCmdIntTimes, kCmdMaxFps}, "Info|fail to start cali sunlight"},
    };
    for (const Row& row : rows) {
        camsim::SimOptions options;
        options.identity.fpsLimit = row.fpsLimit;
        ASSERT_NO_FATAL_FAILURE(startCamera(options));
        modes_->commands().run(QStringLiteral("calisun"), false);
        EXPECT_EQ(commandIds(), row.ids) << int(row.fpsLimit);
        EXPECT_EQ(shown_.messages, QStringList{QString::fromUtf8(row.message)});
        EXPECT_EQ(shown_.calibrationRaised, 1);
        EXPECT_EQ(sim_.payloadsOf(kCmdVcsel).at(0), Bytes{0});
        EXPECT_EQ(sim_.payloadsOf(kCmdMaxFps).at(0), Bytes{10});
        // First exposure and grayscale (fourth on the wire) 2000 us, the others 0.
        EXPECT_EQ(sim_.payloadsOf(kCmdIntTimes).at(0),
                  (Bytes{0xD0, 0x07, 0, 0, 0, 0, 0xD0, 0x07, 0, 0, 0, 0}));
        if (row.ids.back() == kCmdParameter) {
            EXPECT_EQ(sim_.payloadsOf(kCmdParameter).at(0), (Bytes{0x2E, 0x03}));
            EXPECT_EQ(sim_.payloadsOf(kCmdBinning).at(0), Bytes{0});
        }
    }

    sim_.camera().clearReceivedCommands();
    modes_->commands().run(QStringLiteral("STOPCALISUN"), false);
    EXPECT_EQ(commandIds(), (std::vector<uint8_t>{kCmdParameter, kCmdVcsel}));
    EXPECT_EQ(sim_.payloadsOf(kCmdParameter).at(0), (Bytes{0x2E, 0x00}));
    EXPECT_EQ(sim_.payloadsOf(kCmdVcsel).at(0), Bytes{3});
}

TEST_F(DebugCommandsTest, PixelReportOnlyAfterItsWordAndInTheLinksByteOrder) {
    struct Row {
        bool legacy;
        Bytes payload;
    } rows[] = {
        {false, {0x26, 0x01, 10, 0x2C, 0x01}},
        {true, {0x26, 0x01, 10, 0x01, 0x2C}},
    };
    for (const Row& row : rows) {
        camsim::SimOptions options;
        options.legacy = row.legacy;
        ASSERT_NO_FATAL_FAILURE(startCamera(options));
        modes_->pixelSelected(10, 300);
        EXPECT_TRUE(commandIds().empty()) << "sent before the word";
        for (char c : std::string("FZQRW")) modes_->keys().handleKey(c);
        modes_->pixelSelected(10, 300);
        EXPECT_EQ(sim_.payloadsOf(kCmdParameter), std::vector<Bytes>{row.payload}) << row.legacy;
    }
}

}  // namespace
}  // namespace vantory::devmodes

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
