// The real MainWindow driven through a recording stand-in for the SDK facade.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QDir>
#include <QMessageBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <thread>

#include "FakeMvSdk.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "ui_MainWindow.h"

namespace {

int g_argc = 1;
char g_name[] = "mainwindow_gui_test";
char* g_argv[] = {g_name, nullptr};

constexpr int kWaitMs = 5000;

// The index of `call` in the recorded calls at or after `from`, or -1.
int indexOf(const std::vector<std::string>& calls, const std::string& call, int from = 0) {
    for (int i = std::max(from, 0); i < static_cast<int>(calls.size()); ++i) {
        if (calls[static_cast<std::size_t>(i)] == call) return i;
    }
    return -1;
}

// Fires an event from a thread of its own, as the SDK's event thread does.
void fireFromSdkThread(const std::string& name, uint8_t cmdId, std::vector<uint8_t> data = {},
                       uint8_t reportByte = 0) {
    std::thread sdkThread([&]() { fakesdk::fireEvent(name, cmdId, data, reportByte); });
    sdkThread.join();
}

std::vector<uint8_t> imuReport(float temperature) {
    std::vector<uint8_t> data(92, 0);
    std::memcpy(&data[40], &temperature, sizeof(temperature));
    const uint64_t stamp = 65432;  // 65.432 s
    std::memcpy(&data[44], &stamp, sizeof(stamp));
    return data;
}

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    }

    void SetUp() override {
        ASSERT_TRUE(workDir_.isValid());
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(workDir_.path());  // the settings file is relative to the working directory
        fakesdk::reset();
    }

    void TearDown() override {
        window_.reset();
        QDir::setCurrent(previousDir_);
    }

    MainWindow& open(const char* suffix = "3") {
        vantory::LaunchOptions options = vantory::parseCommandLine(std::vector<std::string>{suffix});
        window_ = std::make_unique<MainWindow>(options);
        window_->setExitHandler([this](int code) { exitCodes_.push_back(code); });
        window_->show();
        return *window_;
    }

    Ui::MainWindow& ui() { return *window_->form(); }

    void writeSettings(int ifSelUsb, const char* ip, int imgType) {
        QSettings ini(QStringLiteral("gui3.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Setting/ifSelUsb"), ifSelUsb);
        ini.setValue(QStringLiteral("Setting/ipaddress"), QString::fromLatin1(ip));
        ini.setValue(QStringLiteral("Setting/imgType"), imgType);
    }

    void setSdk(bool connected, uint32_t devState, const char* text) {
        std::lock_guard<std::mutex> lock(fakesdk::state().mutex);
        fakesdk::state().connected = connected;
        fakesdk::state().devState = devState;
        fakesdk::state().stateString = text;
    }

    QTemporaryDir workDir_;
    QString previousDir_;
    std::unique_ptr<MainWindow> window_;
    std::vector<int> exitCodes_;
};

TEST_F(MainWindowTest, ConstructionFollowsItsSequence) {
    MainWindow& window = open("3");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vantory GUI V2.11.6 3"));
    const auto calls = fakesdk::calls();
    const int created = indexOf(calls, "MvSdk mvlog3");
    const int callbacks = indexOf(calls, "setCallback", created);
    const int address = indexOf(calls, "setConnectAddress 192.168.2.101", callbacks);
    const int port = indexOf(calls, "setUdpDestIp :7690", address);
    const int startup = indexOf(calls, "startup", port);
    EXPECT_GE(created, 0);
    EXPECT_GT(callbacks, created);
    EXPECT_GT(address, callbacks);
    EXPECT_GT(port, address);
    EXPECT_GT(startup, port);
    EXPECT_GE(indexOf(calls, "setCloudCoordType 0", startup), 0);

    EXPECT_EQ(ui().cmbBox_imagetype->count(), 5);
    EXPECT_EQ(ui().cmbBox_imagetype->currentIndex(), 1);  // first-run image type
    EXPECT_EQ(ui().cmbBox_modfreq->count(), 5);
    EXPECT_EQ(ui().comboBox_channel->count(), 16);
    EXPECT_EQ(ui().comboBox_freq3->count(), 7);
    EXPECT_EQ(ui().spinBox_maxFps->maximum(), 50);
    EXPECT_EQ(ui().spinBox_intgs->maximum(), 44000);
    EXPECT_EQ(ui().horizontalSlider2->upperValue(), 3000);
    for (QWidget* hidden : std::initializer_list<QWidget*>{ui().groupBox_record, ui().groupBox_play, ui().frame_udpport,
                                                           ui().checkBox_dcs, ui().pushButton_save2dev,
                                                           ui().frame_distslider, ui().lineEdit_usbport}) {
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    }
    EXPECT_FALSE(ui().cmbBox_hdrmode->isEnabled());
    EXPECT_FALSE(ui().lineEdit_udpport->isEnabled());
    EXPECT_EQ(ui().lineEdit_udpport->text(), QStringLiteral("7690"));
    EXPECT_TRUE(ui().checkBox_vcsel1->isChecked());
    EXPECT_TRUE(ui().checkBox_filtered->isChecked());
    EXPECT_TRUE(window.pixelInfoWindow()->isHidden());
    EXPECT_TRUE(window.calibrationWindow()->isHidden());
}

TEST_F(MainWindowTest, MirrorBoxesTurnViewsUprightAndMirrorBothViews) {
    open("3");
    // The constructor's first mirror update turns the views upright.
    EXPECT_FALSE(ui().ImageView->isRotated());
    EXPECT_FALSE(ui().ImageView2->isRotated());
    ui().checkBox_vmirror->setChecked(true);
    ui().checkBox_hmirror->setChecked(true);
    EXPECT_TRUE(ui().ImageView->isMirroredHorizontally());
    EXPECT_TRUE(ui().ImageView2->isMirroredVertically());
}

TEST_F(MainWindowTest, StoredUsbChoiceConnectsToFirstPortWhenFieldIsEmpty) {
    writeSettings(1, "127.0.0.61", 4);
    open("3");
    EXPECT_TRUE(ui().radioButton_usb->isChecked());
    EXPECT_EQ(ui().cmbBox_imagetype->currentIndex(), 4);
    EXPECT_GE(indexOf(fakesdk::calls(), "setConnectAddress /dev/ttyACM0"), 0);
    EXPECT_FALSE(ui().lineEdit_usbport->isHidden());
    EXPECT_TRUE(ui().lineEdit_netip->isHidden());

    // Switching to the network passes the stored address.
    ui().radioButton_net->click();
    EXPECT_EQ(fakesdk::calls().back(), "setConnectAddress 127.0.0.61");
    EXPECT_TRUE(ui().lineEdit_usbport->isHidden());
}

TEST_F(MainWindowTest, FirstConnectionShowsGreenStateAndReadsExtrinsic) {
    open();
    setSdk(true, 2, "Connected-Idle");
    fireFromSdkThread("sdkState", 254, {4});
    // No command from inside the SDK's callback: the extrinsic read waits for the GUI thread.
    EXPECT_LT(indexOf(fakesdk::calls(), "getImuExtrinsic 1"), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&]() { return indexOf(fakesdk::calls(), "getImuExtrinsic 1") >= 0; }, kWaitMs));
    {
        std::lock_guard<std::mutex> lock(fakesdk::state().mutex);
        EXPECT_EQ(fakesdk::state().imuExtrinsicThread, std::this_thread::get_id());
    }
    ASSERT_TRUE(QTest::qWaitFor([&]() { return ui().label_connectstate->text() == "Connected-Idle"; }, kWaitMs));
    EXPECT_EQ(ui().label_connectstate->styleSheet(), QStringLiteral("color:green"));

    setSdk(true, 3, "Connected-Stream");
    fireFromSdkThread("devState", 255, {3});
    ASSERT_TRUE(QTest::qWaitFor([&]() { return ui().label_connectstate->text() == "Connected-Stream"; }, kWaitMs));
    EXPECT_EQ(ui().label_connectstate->styleSheet(), QStringLiteral("color:green"));

    setSdk(true, 7, "Connected-WarnTEMP");
    fireFromSdkThread("devState", 255, {7});
    ASSERT_TRUE(QTest::qWaitFor([&]() { return ui().label_connectstate->text() == "Connected-WarnTEMP"; }, kWaitMs));
    EXPECT_EQ(ui().label_connectstate->styleSheet(), QStringLiteral("color:darkorange"));

    setSdk(false, 2, "PortOpening-Idle");
    fireFromSdkThread("sdkState", 255, {1});
    ASSERT_TRUE(QTest::qWaitFor([&]() { return ui().label_connectstate->text() == "PortOpening-Idle"; }, kWaitMs));
    EXPECT_EQ(ui().label_connectstate->styleSheet(), QStringLiteral("color:red"));
}

TEST_F(MainWindowTest, BootloaderShowsItsVersionText) {
    open();
    {
        std::lock_guard<std::mutex> lock(fakesdk::state().mutex);
        fakesdk::state().customCmdOk = true;
        const char text[] = "BOOT-V1.0.3\0trail";
        fakesdk::state().customCmdResponse.assign(text, text + sizeof(text));
    }
    setSdk(true, 14, "Connected-Bootloader");
    fireFromSdkThread("sdkState", 254, {4});
    ASSERT_TRUE(QTest::qWaitFor([&]() { return ui().label_fw_version->text() == "BOOT-V1.0.3"; }, kWaitMs));
    EXPECT_GE(indexOf(fakesdk::calls(), "customCmd 47"), 0);
    EXPECT_EQ(ui().label_connectstate->styleSheet(), QStringLiteral("color:red"));
}

TEST_F(MainWindowTest, StartAndStopSwitchButtonsAndStreaming) {
    writeSettings(0, "127.0.0.60", 4);
    open();
    setSdk(true, 2, "Connected-Idle");
    ui().pushBtn_start->click();
    EXPECT_FALSE(ui().pushBtn_start->isEnabled());
    EXPECT_TRUE(ui().pushBtn_stop->isEnabled());
    EXPECT_EQ(fakesdk::calls().back(), "start 4 0");
    EXPECT_FALSE(ui().groupBox_record->isHidden());
    EXPECT_FALSE(ui().pushBtn_savepcd->isHidden());
    EXPECT_EQ(ui().pushBtnGSImage->text(), QStringLiteral("Save Image"));
    EXPECT_EQ(fakesdk::state().playbackMode, 0);

    ui().pushBtn_stop->click();
    EXPECT_TRUE(ui().pushBtn_start->isEnabled());
    EXPECT_FALSE(ui().pushBtn_stop->isEnabled());
    EXPECT_EQ(fakesdk::calls().back(), "stop");
    EXPECT_TRUE(ui().groupBox_record->isHidden());
}

TEST_F(MainWindowTest, ImageTypeChangeWhileStreamingRestartsWithNewType) {
    writeSettings(0, "127.0.0.60", 0);
    open();
    setSdk(true, 2, "Connected-Idle");  // a start that fails leaves the buttons as they were
    ui().pushBtn_start->click();
    ASSERT_EQ(fakesdk::calls().back(), "start 0 0");
    const int before = static_cast<int>(fakesdk::calls().size());
    ui().cmbBox_imagetype->setCurrentIndex(1);  // GrayScale
    const auto calls = fakesdk::calls();
    const int stop = indexOf(calls, "stop", before);
    const int start = indexOf(calls, "start 2 0", stop);
    EXPECT_GE(stop, 0);
    EXPECT_GT(start, stop);
    EXPECT_TRUE(ui().spinBox_intgs->isEnabled());
    EXPECT_FALSE(ui().spinBox_int1->isEnabled());
    EXPECT_EQ(ui().pushBtnGSImage->text(), QStringLiteral("Save Grayscale"));
    EXPECT_EQ(window_->context()->imageTypeIndex, 1);

    // Not streaming: only the controls change.
    ui().pushBtn_stop->click();
    const int stopped = static_cast<int>(fakesdk::calls().size());
    ui().cmbBox_imagetype->setCurrentIndex(2);
    EXPECT_EQ(indexOf(fakesdk::calls(), "start 1 0", stopped), -1);
    EXPECT_TRUE(ui().spinBox_int1->isEnabled());
}

TEST_F(MainWindowTest, ImuLineAppearsOnTwentyFirstReport) {
    MainWindow& window = open();
    auto* line = window.pixelInfoWindow()->findChild<QLabel*>(QStringLiteral("label_others2"));
    ASSERT_NE(line, nullptr);
    for (int i = 0; i < 20; ++i) fireFromSdkThread("data", 252, imuReport(30.0f + static_cast<float>(i)));
    QCoreApplication::processEvents();
    EXPECT_TRUE(line->text().isEmpty());
    fireFromSdkThread("data", 252, imuReport(51.5f));
    ASSERT_TRUE(QTest::qWaitFor([&]() { return !line->text().isEmpty(); }, kWaitMs));
    EXPECT_EQ(line->text(), QString::fromUtf8("I:51.50℃ a:0.00 0.00 0.00 g:0 65.432"));
}

TEST_F(MainWindowTest, DeviceLogLinesReachLogPanel) {
    MainWindow& window = open();
    auto* log = window.calibrationWindow()->findChild<QTextEdit*>(QStringLiteral("textLog"));
    ASSERT_NE(log, nullptr);
    const std::string first = "cali step 1\n";
    fireFromSdkThread("data", 209, std::vector<uint8_t>(first.begin(), first.end()));
    std::vector<uint8_t> second = {'d', 'o', 'n', 'e', '\n', 0, 0xFF, 0xFE};  // text ends at the zero byte
    fireFromSdkThread("data", 209, second);
    ASSERT_TRUE(QTest::qWaitFor([&]() { return log->toPlainText().contains("done"); }, kWaitMs));
    EXPECT_EQ(log->toPlainText(), QStringLiteral("cali step 1\ndone\n"));
}

TEST_F(MainWindowTest, MaintenanceReportsFromTheSdkThreadReachTheirWindows) {
    MainWindow& window = open();
    auto* calibrationBar = window.calibrationWindow()->findChild<QProgressBar*>("progressBarCAL");
    auto* firmwareBar = window.devSettingsWindow()->findChild<QProgressBar*>("progressBarFWUpdate");
    auto* firmwareResult =
        window.devSettingsWindow()->findChild<QLabel*>("labelProgressBarFWResult");
    ASSERT_TRUE(calibrationBar && firmwareBar && firmwareResult);

    const std::string line = "[cal] calibration:flash:write\n";
    fireFromSdkThread("data", 209, std::vector<uint8_t>(line.begin(), line.end()));
    ASSERT_TRUE(QTest::qWaitFor([&]() { return calibrationBar->value() == 76; }, kWaitMs));

    const uint8_t reportStatus = 7, finalReport = 3;
    fireFromSdkThread("data", 50, {finalReport, 2}, reportStatus);
    const QString cameraError = QString::fromUtf8("升级失败:flash 擦写错误");
    ASSERT_TRUE(QTest::qWaitFor([&]() { return firmwareResult->text() == cameraError; }, kWaitMs));
    EXPECT_EQ(firmwareResult->styleSheet(), QStringLiteral("color:red"));
    fireFromSdkThread("data", 50, {finalReport, 0}, reportStatus);
    ASSERT_TRUE(QTest::qWaitFor([&]() { return firmwareResult->text() == "Finish"; }, kWaitMs));
    EXPECT_EQ(firmwareResult->styleSheet(), QStringLiteral("color:green"));
    EXPECT_EQ(firmwareBar->value(), 100);
}

// Presses the button with `text` in the next modal box.
void answerNextBox(const QString& text) {
    QTimer::singleShot(0, [text]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        box->reject();
    });
}

TEST_F(MainWindowTest, CancelInExitBoxKeepsWindowAndCamera) {
    MainWindow& window = open();
    const std::size_t before = fakesdk::calls().size();
    answerNextBox(QStringLiteral("Cancel"));
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(exitCodes_.empty());
    EXPECT_EQ(fakesdk::calls().size(), before);  // nothing sent to the camera
}

TEST_F(MainWindowTest, ConfirmedExitLeavesCameraStoppedAndSdkGone) {
    writeSettings(0, "127.0.0.60", 0);
    MainWindow& window = open();
    const std::size_t before = fakesdk::calls().size();
    answerNextBox(QStringLiteral("Ok"));
    window.close();
    ASSERT_EQ(exitCodes_, std::vector<int>{0});
    const auto calls = fakesdk::calls();
    const int start = indexOf(calls, "start 4 0", static_cast<int>(before));
    const int stop = indexOf(calls, "stop", start);
    const int withdrawn = indexOf(calls, "setCallback empty", stop);
    const int destroyed = indexOf(calls, "~MvSdk", withdrawn);
    EXPECT_GE(start, 0);
    EXPECT_GT(stop, start);
    EXPECT_GT(withdrawn, stop);
    EXPECT_GT(destroyed, withdrawn);
    EXPECT_EQ(ui().cmbBox_imagetype->currentIndex(), 4);
    EXPECT_TRUE(window.calibrationWindow()->isHidden());

    // A late event after the exit finds no callback and changes nothing.
    fireFromSdkThread("data", 209, {'x'});
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.calibrationWindow()->findChild<QTextEdit*>(QStringLiteral("textLog"))->toPlainText().isEmpty());
}


TEST_F(MainWindowTest, SavedControlsComeBackAfterRestart) {
    writeSettings(0, "127.0.0.60", 0);
    {
        QSettings ini(QStringLiteral("gui3.ini"), QSettings::IniFormat);
        const int cloud[] = {11, 22, 333, 444};
        const char* cloudKeys[] = {"ui/pclwin_x", "ui/pclwin_y", "ui/pclwin_width", "ui/pclwin_height"};
        for (int i = 0; i < 4; ++i) ini.setValue(QString::fromLatin1(cloudKeys[i]), cloud[i]);
        // x = 0: a geometry with a zero component is not restored.
        ini.setValue(QStringLiteral("ui/mainwin_x"), 0);
        ini.setValue(QStringLiteral("ui/mainwin_y"), 50);
        ini.setValue(QStringLiteral("ui/mainwin_width"), 640);
        ini.setValue(QStringLiteral("ui/mainwin_height"), 480);
    }
    open();
    EXPECT_NE(window_->size(), QSize(640, 480));
    const auto filterWidget = [&](const char* name) { return window_->filterSettingsWindow()->findChild<QWidget*>(name); };

    // A dozen controls of the panel and the filter window, each away from its default.
    ui().lineEdit_netip->setText(QStringLiteral("127.0.0.77"));
    ui().cmbBox_imagetype->setCurrentIndex(3);
    ui().cmbBox_hdrmode->setCurrentIndex(1);
    ui().spinBox_int1->setValue(250);
    ui().spinBox_int2->setValue(650);
    ui().spinBox_int3->setValue(1750);
    ui().spinBox_intgs->setValue(3300);
    ui().comboBox_freq1->setCurrentIndex(3);  // "4.8M"
    ui().comboBox_freq2->setCurrentIndex(6);  // "0.75M": stored without a code, reloads unselected
    ui().spinBox_minamp->setValue(88);
    ui().spinBox_maxdist->setValue(3000);
    ui().spinBox_mindist->setValue(20);
    ui().checkBox_vmirror->setChecked(true);
    ui().spinBox_maxFps->setValue(22);
    ui().radioButton_usb->setChecked(true);
    qobject_cast<QDoubleSpinBox*>(filterWidget("doubleSpinBox_klm_factor"))->setValue(0.55);
    qobject_cast<QCheckBox*>(filterWidget("checkBox_enable_median"))->setChecked(true);
    qobject_cast<QRadioButton*>(filterWidget("radioButton_median_5"))->setChecked(true);
    qobject_cast<QSpinBox*>(filterWidget("spinBox_cutcorner"))->setValue(45);
    qobject_cast<QComboBox*>(filterWidget("comboBox_pcloudRendertype"))->setCurrentIndex(1);
    qobject_cast<QComboBox*>(filterWidget("comboBox_cloudcoordtype"))->setCurrentIndex(1);
    qobject_cast<QCheckBox*>(filterWidget("checkBox_pclfilter_on"))->setChecked(false);
    window_->setGeometry(30, 40, 1300, 860);
    ui().pushBtn_savesettings->click();
    const QRect saved(window_->pos(), window_->size());
    window_.reset();

    open();
    EXPECT_EQ(ui().lineEdit_netip->text(), QStringLiteral("127.0.0.77"));
    EXPECT_EQ(ui().cmbBox_imagetype->currentIndex(), 3);
    EXPECT_EQ(ui().cmbBox_hdrmode->currentIndex(), 1);
    EXPECT_EQ(ui().spinBox_int1->value(), 250);
    EXPECT_EQ(ui().spinBox_int2->value(), 650);
    EXPECT_EQ(ui().spinBox_int3->value(), 1750);
    EXPECT_EQ(ui().spinBox_intgs->value(), 3300);
    EXPECT_EQ(ui().comboBox_freq1->currentIndex(), 3);
    EXPECT_EQ(ui().comboBox_freq2->currentIndex(), -1);
    EXPECT_EQ(ui().spinBox_minamp->value(), 88);
    EXPECT_EQ(ui().spinBox_mindist->value(), 20);
    EXPECT_EQ(ui().spinBox_maxdist->value(), 3000);
    EXPECT_TRUE(ui().checkBox_vmirror->isChecked());
    EXPECT_FALSE(ui().checkBox_hmirror->isChecked());
    EXPECT_EQ(ui().spinBox_maxFps->value(), 22);
    EXPECT_TRUE(ui().radioButton_usb->isChecked());
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(filterWidget("doubleSpinBox_klm_factor"))->value(), 0.55);
    EXPECT_TRUE(qobject_cast<QRadioButton*>(filterWidget("radioButton_median_5"))->isChecked());
    EXPECT_EQ(qobject_cast<QSpinBox*>(filterWidget("spinBox_cutcorner"))->value(), 45);
    EXPECT_EQ(qobject_cast<QComboBox*>(filterWidget("comboBox_pcloudRendertype"))->currentIndex(), 1);
    EXPECT_EQ(qobject_cast<QComboBox*>(filterWidget("comboBox_cloudcoordtype"))->currentIndex(), 1);
    EXPECT_FALSE(qobject_cast<QCheckBox*>(filterWidget("checkBox_pclfilter_on"))->isChecked());
    EXPECT_EQ(QRect(window_->pos(), window_->size()), saved);  // a complete geometry is restored
    // The cloud window was never open: its stored geometry is kept.
    const vantory::WindowGeometry cloud = window_->storedSettings().cloudWindow;
    EXPECT_EQ(cloud, (vantory::WindowGeometry{11, 22, 333, 444}));
}

}  // namespace
