// Camera parameter controls against the simulated camera: what each control makes the
// camera receive, the setup after connecting by firmware version, and the streaming
// state after failures.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <functional>
#include <set>

#include "GuiContext.h"
#include "ViewerE2eFixture.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"
#include "ui_PInfo.h"

namespace e2e {
namespace {

constexpr uint8_t kCmdIntTimes = 8, kCmdMinAmplitude = 9, kCmdHdr = 10, kCmdBinning = 12,
                  kCmdChannel = 23, kCmdExposureFreqs = 27, kCmdSaveConfig = 31, kCmdModFreq = 52,
                  kCmdVcsel = 53, kCmdMaxFps = 56, kCmdOutputSwitch = 202, kCmdStart = 1;
// Every command a control sends; none of them may go out on its own.
const std::set<uint8_t> kParameterIds = {kCmdIntTimes, kCmdMinAmplitude,  kCmdHdr,     kCmdBinning,
                                         kCmdChannel,  kCmdExposureFreqs, kCmdModFreq, kCmdVcsel,
                                         kCmdMaxFps,   kCmdOutputSwitch};

std::vector<uint8_t> le16(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    return bytes;
}

std::vector<uint8_t> parameterIds(const std::vector<camsim::ReceivedCommand>& commands) {
    std::vector<uint8_t> ids;
    for (const auto& command : commands) {
        if (kParameterIds.count(command.id)) ids.push_back(command.id);
    }
    return ids;
}

TEST_F(ViewerE2eTest, HdrModeAndImageTypeDecideTheExposureBoxesAndTheCameraMode) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    ui().cmbBox_hdrmode->addItem(QStringLiteral("Spatial"));  // as factory-test mode adds it
    struct Row {
        int imageType, hdr;
        std::array<bool, 5> enabled;
        uint8_t cameraHdr;
    };
    const Row rows[] = {
        {0, 1, {true, true, true, true, true}, 1},
        {0, 0, {true, false, false, false, false}, 0},
        {2, 2, {true, true, false, false, false}, 2},
        {1, 1, {false, false, false, false, false}, 1},  // grayscale: none whatever the mode
    };
    for (const Row& row : rows) {
        ui().cmbBox_imagetype->setCurrentIndex(row.imageType);
        ui().cmbBox_hdrmode->setCurrentIndex(row.hdr);
        const QSpinBox* boxes[] = {ui().spinBox_int1, ui().spinBox_int2, ui().spinBox_int3,
                                   ui().spinBox_int4, ui().spinBox_int5};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(boxes[i]->isEnabled(), row.enabled[i])
                << "type " << row.imageType << " hdr " << row.hdr << " box " << i + 1;
        }
        EXPECT_EQ(camera().config().hdrMode, row.cameraHdr)
            << "type " << row.imageType << " hdr " << row.hdr;
    }
}

TEST_F(ViewerE2eTest, EachControlFamilySendsItsCommandAtOnce) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    // The emitter boxes count only while shown (developer controls).
    ui().checkBox_vcsel1->show();
    ui().checkBox_vcsel2->show();
    for (QComboBox* box :
         {ui().comboBox_freq2, ui().comboBox_freq3, ui().comboBox_freq4, ui().comboBox_freq5}) {
        box->setCurrentIndex(0);  // "24M"
    }
    struct Row {
        const char* name;
        std::function<void()> act;
        uint8_t id;
        std::vector<uint8_t> lastPayload;
    };
    const Row rows[] = {
        {"modfreq 3M", [&] { ui().cmbBox_modfreq->setCurrentIndex(3); }, kCmdModFreq, {3}},
        {"freq1 4.8M",
         [&] { ui().comboBox_freq1->setCurrentIndex(3); },
         kCmdExposureFreqs,
         {4, 0, 0, 0, 0}},
        {"freq5 0.75M",
         [&] { ui().comboBox_freq5->setCurrentIndex(6); },
         kCmdExposureFreqs,
         {4, 0, 0, 0, 31}},
        {"emitters off",
         [&] {
             ui().checkBox_vcsel1->setChecked(false);
             ui().checkBox_vcsel2->setChecked(false);
         },
         kCmdVcsel,
         {0}},
        {"channel 7", [&] { ui().comboBox_channel->setCurrentIndex(7); }, kCmdChannel, {7}},
        {"raw dcs", [&] { ui().checkBox_dcs->setChecked(true); }, kCmdOutputSwitch, {0x32, 1}},
        {"grayscale pane",
         [&] { ui().checkBox_gs->setChecked(true); },
         kCmdOutputSwitch,
         {0x22, 1}},
        {"binning",
         [&] {
             ui().checkBox_binningh->setChecked(true);
             ui().checkBox_binningv->setChecked(true);
         },
         kCmdBinning,
         {0x11}},
        {"min amplitude", [&] { ui().spinBox_minamp->setValue(123); }, kCmdMinAmplitude,
         le16({123})},
        {"integration",
         [&] {
             ui().spinBox_int1->setValue(200);
             ui().spinBox_int2->setValue(700);
             ui().spinBox_int3->setValue(900);
             ui().spinBox_intgs->setValue(3000);
             ui().spinBox_int4->setValue(800);  // hidden: goes out as 0
         },
         kCmdIntTimes, le16({200, 700, 900, 3000, 0, 0})},
        {"frame rate", [&] { ui().spinBox_maxFps->setValue(20); }, kCmdMaxFps, {20}},
    };
    for (const Row& row : rows) {
        const std::size_t mark = camera().receivedCommands().size();
        row.act();
        const auto sent = payloadsOf(commandsFrom(mark), row.id);
        ASSERT_FALSE(sent.empty()) << row.name;
        EXPECT_EQ(sent.back(), row.lastPayload) << row.name;
    }
    // Side effects on the window.
    EXPECT_EQ(ui().horizontalSlider->maximum(), 5000);
    EXPECT_EQ(ui().spinBox_maxdist->value(), 5000);
    EXPECT_EQ(window().context()->distRange[1], 50000);
    EXPECT_TRUE(ui().spinBox_intgs->isEnabled());
    EXPECT_EQ(window().context()->grayInAmpPane, 1);
    EXPECT_EQ(camera().config().maxFps, 20);
    // The amplitude span sets the colour range and its labels; a render type change resets it.
    ui().horizontalSlider2->setSpan(100, 2000);
    EXPECT_EQ(window().context()->ampRange, (std::array<int32_t, 2>{100, 2000}));
    EXPECT_EQ(ui().label_amp_min->text(), QStringLiteral("100"));
    auto* renderType = window().filterSettingsWindow()->findChild<QComboBox*>(
        QStringLiteral("comboBox_pcloudRendertype"));
    ui().label_amplitudeCaption->clear();
    renderType->setCurrentIndex(renderType->currentIndex() == 1 ? 2 : 1);
    EXPECT_EQ(window().context()->ampRange, (std::array<int32_t, 2>{0, 3000}));
    EXPECT_EQ(ui().label_image1->text(), QStringLiteral("Amplitude"));
    EXPECT_EQ(ui().label_amplitudeCaption->text(), QStringLiteral("Amplitude:"));

    // Save to device asks first: No sends nothing, Yes sends the guard word.
    std::size_t mark = camera().receivedCommands().size();
    {
        BoxWatcher no(QStringLiteral("No"));
        ui().pushButton_save2dev->click();
        EXPECT_EQ(no.texts(), QStringList{QStringLiteral("Confirm save to device?")});
    }
    EXPECT_TRUE(payloadsOf(commandsFrom(mark), kCmdSaveConfig).empty());
    {
        BoxWatcher yes(QStringLiteral("Yes"));
        ui().pushButton_save2dev->click();
    }
    const auto saves = payloadsOf(commandsFrom(mark), kCmdSaveConfig);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(std::string(saves[0].begin(), saves[0].end()), "MOVODA");
}

TEST_F(ViewerE2eTest, FrameRateAboveTheCameraLimitIsTriedThreeTimesThenReported) {
    cameraOptions().identity.fpsLimit = 20;
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    ASSERT_TRUE(waitUntil([&] { return ui().label_24->text() == QStringLiteral("Max FPS: 20"); }));
    BoxWatcher watcher;
    const std::size_t mark = camera().receivedCommands().size();
    ui().spinBox_maxFps->setValue(25);
    EXPECT_EQ(payloadsOf(commandsFrom(mark), kCmdMaxFps),
              std::vector<std::vector<uint8_t>>(3, {25}));
    ASSERT_TRUE(waitUntil([&] { return !watcher.texts().isEmpty(); }));
    EXPECT_EQ(watcher.texts().front(), QStringLiteral("The FPS value is out of range"));
}

TEST_F(ViewerE2eTest, SelfConfiguringFirmwareGetsNothingAndIsReadBack) {
    camsim::AcquisitionConfig& c = cameraOptions().config;
    c.hdrMode = 1;
    c.intTimes = {300, 600, 900, 0, 0};
    c.intTimeGs = 1500;
    c.minAmplitude = 77;
    c.maxFps = 12;
    c.freqCodes = {3, 7, 15, 31, 0};  // 6M, 3M, 1.5M, 0.75M, 24M
    c.vcselMode = 2;
    c.channel = 5;
    c.binningH = true;
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    ASSERT_TRUE(waitUntil([&] { return ui().spinBox_minamp->value() == 77; }));
    EXPECT_TRUE(parameterIds(camera().receivedCommands()).empty());

    EXPECT_EQ(ui().cmbBox_hdrmode->currentIndex(), 1);
    EXPECT_EQ(ui().spinBox_int1->value(), 300);
    EXPECT_EQ(ui().spinBox_int2->value(), 600);
    EXPECT_EQ(ui().spinBox_int3->value(), 900);
    EXPECT_EQ(ui().spinBox_intgs->value(), 1500);
    EXPECT_EQ(ui().spinBox_maxFps->value(), 12);
    EXPECT_EQ(ui().comboBox_freq1->currentIndex(), 2);
    EXPECT_EQ(ui().comboBox_freq2->currentIndex(), 4);
    EXPECT_EQ(ui().comboBox_freq3->currentIndex(), 5);
    EXPECT_EQ(ui().comboBox_freq4->currentIndex(), 6);
    EXPECT_EQ(ui().comboBox_freq5->currentIndex(), 0);
    EXPECT_FALSE(ui().checkBox_vcsel1->isChecked());
    EXPECT_TRUE(ui().checkBox_vcsel2->isChecked());
    EXPECT_EQ(ui().comboBox_channel->currentIndex(), 5);
    EXPECT_TRUE(ui().checkBox_binningh->isChecked());
    EXPECT_FALSE(ui().checkBox_binningv->isChecked());
    // Temporal HDR runs at the slowest frequency of the exposures in use: 1.5 MHz.
    EXPECT_EQ(ui().cmbBox_modfreq->currentIndex(), 4);
    EXPECT_EQ(ui().horizontalSlider->maximum(), 20000);
    // The device-dependent refresh filled the device texts.
    EXPECT_EQ(ui().label_fw_version->text(), QStringLiteral("V2.5.3_20241101"));
    EXPECT_TRUE(ui().label_sn->text().startsWith(QStringLiteral("MK150PLUS")))
        << ui().label_sn->text().toStdString();
    // Reading back sent nothing either.
    EXPECT_TRUE(parameterIds(camera().receivedCommands()).empty());
}

TEST_F(ViewerE2eTest, OlderFirmwareReceivesTheControlsInOrder) {
    cameraOptions().identity.firmware = "V2.1.0_20220101";
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    ASSERT_TRUE(waitForCommand(kCmdOutputSwitch, 0));
    const auto commands = camera().receivedCommands();
    EXPECT_EQ(parameterIds(commands),
              (std::vector<uint8_t>{kCmdModFreq, kCmdHdr, kCmdIntTimes, kCmdMinAmplitude, kCmdVcsel,
                                    kCmdMaxFps, kCmdOutputSwitch}));
    EXPECT_EQ(payloadsOf(commands, kCmdModFreq).front(),
              std::vector<uint8_t>{1});  // 6 MHz outside developer mode
    EXPECT_EQ(payloadsOf(commands, kCmdVcsel).front(),
              std::vector<uint8_t>{3});  // boxes hidden: both
    const int fps = ui().spinBox_maxFps->value();
    EXPECT_EQ(payloadsOf(commands, kCmdMaxFps).front(),
              std::vector<uint8_t>{static_cast<uint8_t>(fps)});
    EXPECT_EQ(payloadsOf(commands, kCmdIntTimes).front(),
              le16({ui().spinBox_int1->value(), ui().spinBox_int2->value(),
                    ui().spinBox_int3->value(), ui().spinBox_intgs->value(), 0, 0}));
    const uint8_t render = window().storedSettings().renderType.value_or(0) != 0 ? 20 : 0;
    EXPECT_EQ(payloadsOf(commands, kCmdOutputSwitch).front(),
              (std::vector<uint8_t>{20, 0, render}));
    EXPECT_EQ(ui().horizontalSlider->maximum(), 2500);
}

TEST_F(ViewerE2eTest, NewerFirmwareIsWarnedAboutAndStillReadBack) {
    cameraOptions().identity.firmware = "V3.1.0_20260101";
    cameraOptions().config.minAmplitude = 91;
    BoxWatcher watcher;
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    ASSERT_TRUE(waitUntil([&] { return ui().spinBox_minamp->value() == 91; }));
    EXPECT_EQ(watcher.texts(),
              QStringList{QStringLiteral("Software and firmware are incompatible.")});
    EXPECT_TRUE(parameterIds(camera().receivedCommands()).empty());
}

TEST_F(ViewerE2eTest, StoredDistanceTypeStillSetsExposureBoxesCaptionsAndSecondPlane) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    EXPECT_FALSE(ui().spinBox_intgs->isEnabled());
    EXPECT_TRUE(ui().spinBox_int1->isEnabled());
    auto* info = window().pixelInfoWindow();
    EXPECT_EQ(info->findChild<QLabel*>(QStringLiteral("labelNameRight"))->text(),
              QStringLiteral("Confidence"));
    EXPECT_EQ(window().context()->useSecondDistance, 1);
}

TEST_F(ViewerE2eTest, FailedStartSaysWhyAndStreamingResumesAfterCameraRestart) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    // No camera at this address: Start reports it and stays available.
    ui().lineEdit_netip->setText(QStringLiteral("127.0.0.69"));
    emit ui().lineEdit_netip->editingFinished();
    ASSERT_TRUE(
        waitUntil([&] { return ui().label_connectstate->styleSheet() == kRed; }, kConnectWaitMs));
    {
        BoxWatcher watcher;
        ui().pushBtn_start->click();
        EXPECT_TRUE(ui().pushBtn_start->isEnabled());
        EXPECT_FALSE(ui().pushBtn_stop->isEnabled());
        ASSERT_TRUE(waitUntil([&] { return !watcher.texts().isEmpty(); }));
        EXPECT_TRUE(watcher.texts().front().contains(QStringLiteral("no camera is connected")));
    }
    ui().lineEdit_netip->setText(QString::fromLatin1(kCameraAddress));
    emit ui().lineEdit_netip->editingFinished();
    ASSERT_TRUE(waitForState(kConnectedIdle, kConnectWaitMs));
    EXPECT_TRUE(ui().pushBtn_start->isEnabled());
    EXPECT_FALSE(ui().pushBtn_stop->isEnabled());

    // Streaming, then the camera restarts: the figure drops to 0 and streaming resumes.
    ui().pushBtn_start->click();
    const auto shownRate = [&] {
        return ui().label_fps->text().split(QLatin1Char(' ')).front().toInt();
    };
    ASSERT_TRUE(waitUntil([&] { return shownRate() > 0; }));
    stopCamera();
    ASSERT_TRUE(waitUntil([&] { return ui().label_fps->text().startsWith(QStringLiteral("0 ")); },
                          kConnectWaitMs))
        << ui().label_fps->text().toStdString();
    ASSERT_NO_FATAL_FAILURE(restartCamera());
    ASSERT_TRUE(waitForCommand(kCmdStart, 0, kConnectWaitMs));
    EXPECT_TRUE(waitForState(kConnectedStream, kConnectWaitMs))
        << ui().label_connectstate->text().toStdString();
    EXPECT_TRUE(waitUntil([&] { return shownRate() > 0; }));
}

}  // namespace
}  // namespace e2e
