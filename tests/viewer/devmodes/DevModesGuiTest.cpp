// The developer modes in the real window with the real SDK against the simulated camera
// on 127.0.0.192 (image port 9192): words typed on the window, the command box of the
// device-settings window, the calibration window's sunlight buttons, the pixel report.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>

#include "DevModes.h"
#include "FramePath.h"
#include "MaintenanceWindows.h"
#include "ViewerE2eFixture.h"
#include "ui_MainWindow.h"

namespace e2e {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kCmdChannel = 23, kCmdParameter = 202;

class DevModesGuiTest : public ViewerE2eTest {
protected:
    void runCommand(const char* text) {
        auto* line =
            window().devSettingsWindow()->findChild<QLineEdit*>(QStringLiteral("lineEditcmddata3"));
        auto* button =
            window().devSettingsWindow()->findChild<QPushButton*>(QStringLiteral("pushButtonCmd3"));
        ASSERT_TRUE(line && button);
        line->setText(QString::fromUtf8(text));
        button->click();
    }
    QString logPanel() {
        return window()
            .calibrationWindow()
            ->findChild<QTextEdit*>(QStringLiteral("textLog"))
            ->toPlainText();
    }
};

TEST_F(DevModesGuiTest, WordsTypedOnTheWindowEnterEachModeOnce) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    const QString baseTitle = window().windowTitle();
    BoxWatcher boxes;

    // Three letters, the word timer runs out, then the whole word.
    QTest::keyClicks(&window(), QStringLiteral("hlw"));
    ASSERT_TRUE(window().devModes().keys().timer().isActive());
    window().devModes().keys().onTimeout();
    QTest::keyClicks(&window(), QStringLiteral("hlwqz"));
    ASSERT_TRUE(waitUntil([&] { return boxes.texts().size() == 1; }));
    EXPECT_EQ(boxes.titles(), QStringList{QStringLiteral("Note")});
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("into debug mode")});
    EXPECT_EQ(window().windowTitle(), baseTitle + QStringLiteral("(DEBUG)"));
    EXPECT_FALSE(ui().spinBox_int5->isHidden());
    EXPECT_FALSE(ui().pushButton_save2dev->isHidden());
    EXPECT_TRUE(ui().cmbBox_modfreq->isEnabled());
    EXPECT_FALSE(window()
                     .devSettingsWindow()
                     ->findChild<QGroupBox*>(QStringLiteral("groupBoxDebug"))
                     ->isHidden());
    EXPECT_TRUE(ui().pushBtn_calibration->isHidden());

    // Again: nothing visible happens. A box would be modal, so it would have been seen
    // and closed before the key clicks return.
    QTest::keyClicks(&window(), QStringLiteral("HLWQZ"));
    EXPECT_EQ(boxes.texts().size(), 1);
    EXPECT_EQ(window().windowTitle(), baseTitle + QStringLiteral("(DEBUG)"));

    // Factory test: the calibration button, spatial HDR, raw-DCS switch, service fields.
    QTest::keyClicks(&window(), QStringLiteral("btksy"));
    EXPECT_EQ(window().windowTitle(), baseTitle + QStringLiteral("(FCT)"));
    EXPECT_FALSE(ui().pushBtn_calibration->isHidden());
    EXPECT_EQ(ui().pushBtn_calibration->text(), QStringLiteral("Calibration"));
    EXPECT_EQ(ui().cmbBox_hdrmode->count(), 3);
    EXPECT_FALSE(ui().checkBox_dcs->isHidden());
    EXPECT_FALSE(window()
                     .devSettingsWindow()
                     ->findChild<QGroupBox*>(QStringLiteral("groupBox_mac"))
                     ->isHidden());

    // Firmware update: its group in the device-settings window and a box.
    auto* firmwareGroup =
        window().devSettingsWindow()->findChild<QGroupBox*>(QStringLiteral("groupBox_fwupdate"));
    EXPECT_TRUE(firmwareGroup->isHidden());
    QTest::keyClicks(&window(), QStringLiteral("jnprv"));
    ASSERT_TRUE(waitUntil([&] { return boxes.texts().size() == 2; }));
    EXPECT_EQ(boxes.texts().last(), QStringLiteral("into fw update mode"));
    EXPECT_FALSE(firmwareGroup->isHidden());
}

TEST_F(DevModesGuiTest, CommandBoxSunlightButtonsAndPixelReportReachTheCamera) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    BoxWatcher boxes;

    std::size_t from = camera().receivedCommands().size();
    ASSERT_NO_FATAL_FAILURE(runCommand("hlwqz"));
    ASSERT_TRUE(waitUntil([&] { return boxes.texts().size() == 1; }));
    EXPECT_EQ(boxes.titles().last(), QStringLiteral("提示"));

    ASSERT_NO_FATAL_FAILURE(runCommand("0x17 0x05"));
    EXPECT_EQ(payloadsOf(commandsFrom(from), kCmdChannel), std::vector<Bytes>{Bytes{5}});
    EXPECT_FALSE(window().calibrationWindow()->isHidden());
    EXPECT_TRUE(logPanel().contains(QStringLiteral("cmd 23 [05] -> ok, 0 bytes:")))
        << logPanel().toStdString();

    ASSERT_NO_FATAL_FAILURE(runCommand("dcs2"));
    EXPECT_EQ(window().framePath()->dcsMode(), 2);

    // The calibration window's sunlight buttons.
    auto* start = window().calibrationWindow()->findChild<QPushButton*>(
        QStringLiteral("pushButtonWriteCalidata"));
    auto* stop = window().calibrationWindow()->findChild<QPushButton*>(
        QStringLiteral("pushButtonReadCalidata"));
    from = camera().receivedCommands().size();
    start->click();
    stop->click();
    EXPECT_EQ(payloadsOf(commandsFrom(from), kCmdParameter),
              (std::vector<Bytes>{Bytes{0x2E, 3}, Bytes{0x2E, 0}}));

    // Pixel report: the selected row and column after its word.
    from = camera().receivedCommands().size();
    emit ui().ImageView->infoSelected(300, 10);
    QTest::keyClicks(&window(), QStringLiteral("fzqrw"));
    emit ui().ImageView->infoSelected(300, 10);
    EXPECT_EQ(payloadsOf(commandsFrom(from), kCmdParameter),
              std::vector<Bytes>{(Bytes{0x26, 1, 10, 0x2C, 0x01})});
}

}  // namespace
}  // namespace e2e
