// The word watcher, the raw-command parser and the mode handler, without a camera.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

#include "DeveloperModes.h"
#include "KeyHandler.h"
#include "RawCommand.h"

namespace vantory::devmodes {
namespace {

// A key code as a letter key reports it; '~' stands for the word timer running out.
constexpr char kTimeout = '~';
// A function key whose low byte is 'H' (Qt::Key_F25).
constexpr int kKeyF25 = 0x01000048;

std::vector<int> typeKeys(KeyHandler& keys, const std::string& typed) {
    std::vector<int> finished;
    QObject::connect(&keys, &KeyHandler::developerModeEnabled,
                     [&finished](int index) { finished.push_back(index); });
    for (char c : typed) {
        if (c == kTimeout) {
            keys.onTimeout();
        } else {
            keys.handleKey(c);
        }
    }
    return finished;
}

TEST(KeyHandler, WordsFinishAfterMismatchesTimeoutsAndEachOther) {
    struct Row {
        const char* typed;
        std::vector<int> finished;
    } rows[] = {
        {"HLWQZ", {kDebugMode}},
        {"BTKSY", {kFactoryTestMode}},
        {"JNPRV", {kFirmwareMode}},
        {"GDMXC", {kReservedMode}},
        {"FZQRW", {kPixelReportMode}},
        {"HLWQ", {}},
        // A wrong letter starts over and is itself lost.
        {"HLXHLWQZ", {kDebugMode}},
        {"HHLWQZ", {}},
        // Three letters, the timer runs out, the whole word again.
        {"HLW~HLWQZ", {kDebugMode}},
        {"HLW~QZ", {}},
        // A timed-out start of another word leaves no word out of the next attempt.
        {"B~HLWQZ", {kDebugMode}},
        // A finished word is followed by the next one at once.
        {"HLWQZHLWQZ", {kDebugMode, kDebugMode}},
        {"FZQRWBTKSY", {kPixelReportMode, kFactoryTestMode}},
    };
    for (const Row& row : rows) {
        KeyHandler keys;
        EXPECT_EQ(typeKeys(keys, row.typed), row.finished) << row.typed;
        // The timer runs exactly while a word is half typed.
        EXPECT_EQ(keys.timer().isActive(), keys.position() > 0) << row.typed;
    }
}

TEST(KeyHandler, TimerRunsFromTheFirstLetterAndNonLetterKeysStartOver) {
    KeyHandler keys;
    keys.handleKey('H');
    EXPECT_TRUE(keys.timer().isActive());
    EXPECT_EQ(keys.timer().interval(), kWordTimeoutMs);
    keys.handleKey('L');
    EXPECT_EQ(keys.position(), 2);
    keys.handleKey(kKeyF25);
    EXPECT_EQ(keys.position(), 0);
    EXPECT_FALSE(keys.timer().isActive());
    EXPECT_TRUE(typeKeys(keys, "\x48LWQZ").size() == 1);  // 'H' itself still works
    EXPECT_EQ(keys.completedIndex(), kDebugMode);
}

TEST(RawCommand, GroupsBecomeBytesOrNothingIsSent) {
    struct Row {
        const char* text;
        bool decimal;
        std::vector<std::uint8_t> bytes;
        const char* rejected;  // nullptr: nothing rejected
    } rows[] = {
        {"0x01 0x02", false, {1, 2}, nullptr},
        {"1 2", false, {1, 2}, nullptr},  // two groups, never 0x12
        {"0x01 0x123", false, {}, "123"},
        {"01 zz", false, {}, "zz"},
        {"0X01 02", false, {}, "0X01"},  // only the lower-case prefix is removed
        {"0x1", false, {}, nullptr},     // one character left
        {"1, 300", true, {}, "300"},
        {"202,50 ,  1", true, {202, 50, 1}, nullptr},
        {"1 -2", true, {}, "-2"},
        {"0x10 20", true, {10, 20}, nullptr},
        {" ,, ", true, {}, nullptr},
    };
    for (const Row& row : rows) {
        const RawCommand command = parseRawCommand(QString::fromLatin1(row.text), row.decimal);
        EXPECT_EQ(command.bytes, row.bytes) << row.text;
        if (row.rejected) {
            EXPECT_EQ(command.rejectedPart, QString::fromLatin1(row.rejected)) << row.text;
        } else {
            EXPECT_TRUE(command.rejectedPart.isNull()) << row.text;
        }
    }
}

// The window test shows each mode's effects; these are the cases it does not reach.
TEST(DeveloperModes, CommandLineDebugBitChineseFirmwareBoxAndPixelReport) {
    std::uint8_t modes = kModeDebugBit;  // the start-up switch
    int controlsShown = 0, adjusted = 0;
    QStringList boxes;
    ModeEffects e;
    e.showDeveloperControls = [&] { ++controlsShown; };
    e.showFirmwareGroup = [] {};
    e.setWindowTitle = [&](const QString& title) { boxes << title; };
    e.inform = [&](const QString& title, const QString& text) { boxes << title + "|" + text; };
    e.adjustWindowSizes = [&] { ++adjusted; };
    DeveloperModes handler(modes, QString(), false, std::move(e));

    handler.enter(kDebugMode, EntryPoint::Keyboard);
    handler.enter(kReservedMode, EntryPoint::Keyboard);
    EXPECT_EQ(controlsShown, 0);
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_FALSE(handler.pixelReportOn());
    handler.enter(kFirmwareMode, EntryPoint::Keyboard);
    handler.enter(kPixelReportMode, EntryPoint::Keyboard);
    EXPECT_EQ(boxes, QStringList{QStringLiteral("提示|into fw update mode")});
    EXPECT_TRUE(handler.pixelReportOn());
    EXPECT_EQ(modes, kModeDebugBit | kModeFirmwareBit);
    EXPECT_EQ(adjusted, 4);  // after every word, even one with no effect
}

}  // namespace
}  // namespace vantory::devmodes

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
