// Recording and playback in the real main window with the real SDK against the simulated
// camera (in this process, on 127.0.0.135, image port 8135): the Record button writes
// 0.xbin .. 99.xbin, playing them back delivers byte-identical frame packets through the
// SDK, and Start during playback ends the playback thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "CameraSim.h"
#include "FramePath.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "RecordsController.h"
#include "SettingsKeys.h"
#include "X11Support.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace {

int g_argc = 1;
char g_name[] = "records_e2e_test";
char* g_argv[] = {g_name, nullptr};

constexpr const char* kCameraAddress = "127.0.0.135";
constexpr std::uint16_t kImagePort = 8135;
constexpr int kWaitMs = 20000;
constexpr int kDistAmpIndex = 2;

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

std::vector<uint8_t> fileBytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class RecordsE2eTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        vantory::cloudview::initialiseX11Threads();
        if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    }

    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(work_.path());
        qputenv("VANTORY_EXPORT_DIR", work_.filePath("exports").toLocal8Bit());
        {
            QSettings ini(QStringLiteral("gui.ini"), QSettings::IniFormat);
            ini.setValue(QString::fromLatin1(vantory::settings::kIpAddress),
                         QString::fromLatin1(kCameraAddress));
            ini.setValue(QString::fromLatin1(vantory::settings::kImgType), kDistAmpIndex);
            ini.setValue(QString::fromLatin1(vantory::settings::kUiLanguage),
                         vantory::settings::kForceEnglish);
        }
        vantory::LaunchOptions options;
        options.imagePort = std::to_string(kImagePort);
        window_ = std::make_unique<MainWindow>(options);
        window_->setExitHandler([](int) {});
        window_->show();
        window_->context()->sdk->setUdpDestIp("127.0.0.1", kImagePort);
        camsim::SimOptions sim;
        sim.bindAddress = kCameraAddress;
        sim.announce = false;
        sim.scene.name = "room";
        sim.config.maxFps = 30;
        camera_ = std::make_unique<camsim::CameraSim>(sim);
        std::string error;
        ASSERT_TRUE(camera_->start(&error)) << error;
        ASSERT_TRUE(waitUntil([&]() {
            return ui().label_connectstate->text() == "Connected-Idle";
        })) << ui().label_connectstate->text().toStdString();
    }

    void TearDown() override {
        window_.reset();
        if (camera_) camera_->stop();
        QDir::setCurrent(previousDir_);
        qunsetenv("VANTORY_EXPORT_DIR");
    }

    Ui::MainWindow& ui() { return *window_->form(); }
    vantory::records::RecordsController& records() { return *window_->records(); }

    // Frames seen by the frame path during playback; outlive the window.
    std::mutex playedMutex_;
    std::vector<std::vector<uint8_t>> played_;
    QTemporaryDir work_;
    QString previousDir_;
    std::unique_ptr<camsim::CameraSim> camera_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(RecordsE2eTest, RecordHundredFramesThenPlayThemBackByteForByte) {
    ui().pushBtn_start->click();
    ASSERT_TRUE(waitUntil([&]() { return ui().label_fps->text().contains("tick:"); }));
    ui().pushButton_record->click();
    EXPECT_EQ(ui().pushButton_record->text(), "Stop Record");
    ASSERT_TRUE(waitUntil([&]() { return ui().pushButton_record->text() == "Record"; }));
    EXPECT_EQ(ui().label_record_currentframes->text(), "100");
    ui().pushBtn_stop->click();

    const QString dir = QString::fromStdString(records().recorder().counts().directory);
    QStringList files;
    for (int k = 0; k < 100; ++k) {
        files << dir + "/" + QString::number(k) + ".xbin";
        ASSERT_TRUE(QFileInfo::exists(files.back())) << files.back().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir + "/100.xbin"));

    // Playback: every played frame reaches the frame path; its packet is the recorded one.
    std::mutex& mutex = playedMutex_;
    std::vector<std::vector<uint8_t>>& played = played_;
    window_->framePath()->setRecorder([&mutex, &played](const vantory::FramePtr& frame) {
        std::lock_guard<std::mutex> lock(mutex);
        played.push_back(frame->packet());
    });
    records().setFileChooser([&]() { return files; });
    ui().spinBox_playfps->setValue(100);
    ui().pushBtn_loadfiles->click();
    ASSERT_TRUE(waitUntil([&]() { return records().playback().playIndex() >= 99; }));
    ASSERT_TRUE(waitUntil([&]() {
        std::lock_guard<std::mutex> lock(mutex);
        return played.size() >= 100;
    }));
    // A live frame still on its way when streaming stopped may come first; every recorded
    // frame must come back exactly as it was written.
    std::lock_guard<std::mutex> lock(mutex);
    for (int k = 0; k < 100; ++k) {
        const std::vector<uint8_t> file = fileBytes(files[k]);
        const std::vector<uint8_t> packet(file.begin() + 4, file.end());
        EXPECT_NE(std::find(played.begin(), played.end(), packet), played.end()) << k;
    }
    EXPECT_TRUE(ui().label_sn->text().startsWith("play:")) << ui().label_sn->text().toStdString();
    EXPECT_TRUE(window_->cloudView() != nullptr);
}

TEST_F(RecordsE2eTest, StartDuringPlaybackEndsThePlaybackThread) {
    ui().pushBtn_start->click();
    ASSERT_TRUE(waitUntil([&]() { return ui().label_fps->text().contains("tick:"); }));
    ui().pushButton_record->click();
    ASSERT_TRUE(waitUntil([&]() { return records().recorder().counts().written >= 5; }));
    ui().pushButton_record->click();  // Stop Record
    ui().pushBtn_stop->click();
    ASSERT_TRUE(records().recorder().waitIdle(kWaitMs));
    const QString dir = QString::fromStdString(records().recorder().counts().directory);
    records().setFileChooser([&]() {
        return QStringList{dir + "/0.xbin", dir + "/1.xbin", dir + "/2.xbin"};
    });
    ui().pushBtn_loadfiles->click();
    ASSERT_TRUE(waitUntil(
        [&]() { return records().playback().running() && records().playback().playing(); }));
    EXPECT_TRUE(waitUntil([&]() { return ui().pushButton_play->text() == "| |"; }));
    // Recording is refused while a playback runs.
    ui().pushButton_record->click();
    EXPECT_EQ(ui().pushButton_record->text(), "Record");

    ui().pushBtn_start->click();  // live streaming again
    EXPECT_EQ(window_->context()->sdk->getPlaybackMode(), 0);
    ASSERT_TRUE(waitUntil([&]() { return !records().playback().running(); }));
    EXPECT_TRUE(waitUntil([&]() { return ui().pushButton_play->text() == "Play"; }));
    ui().pushBtn_stop->click();
}

}  // namespace
