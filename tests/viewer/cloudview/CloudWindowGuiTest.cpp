// The point-cloud window of the real main window, fed by the real SDK from the simulated
// camera (in this process, on 127.0.0.131, image port 8131). Needs an X server: the main
// window runs offscreen, the cloud window on the display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <string>

#include "CameraSim.h"
#include "CloudViewController.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "SettingsKeys.h"
#include "X11Support.h"
#include "X11TestWindow.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace {

using vantory::cloudview::WindowGeometry;

int g_argc = 1;
char g_name[] = "cloud_window_test";
char* g_argv[] = {g_name, nullptr};

constexpr const char* kCameraAddress = "127.0.0.131";
constexpr const char* kStreamAddress = "127.0.0.1";
constexpr std::uint16_t kImagePort = 8131;
constexpr int kConnectWaitMs = 15000;
constexpr int kWaitMs = 15000;
constexpr int kPointCloudAmpIndex = 4;

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

class CloudWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Before any X connection: the window renders from its own thread.
        vantory::cloudview::initialiseX11Threads();
        if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    }

    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        ASSERT_TRUE(workDir_.isValid());
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(workDir_.path());
        ASSERT_TRUE(x11_.ok());
    }

    void TearDown() override {
        window_.reset();  // closes the cloud window and joins the SDK threads first
        if (camera_) camera_->stop();
        camera_.reset();
        if (!previousDir_.isEmpty()) QDir::setCurrent(previousDir_);
    }

    void startViewer(const WindowGeometry& stored) {
        {
            QSettings ini(QStringLiteral("gui.ini"), QSettings::IniFormat);
            ini.setValue(QString::fromLatin1(vantory::settings::kIpAddress),
                         QString::fromLatin1(kCameraAddress));
            ini.setValue(QString::fromLatin1(vantory::settings::kIfSelUsb), 0);
            ini.setValue(QString::fromLatin1(vantory::settings::kImgType), kPointCloudAmpIndex);
            ini.setValue(QString::fromLatin1(vantory::settings::kUiLanguage),
                         vantory::settings::kForceEnglish);
            ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[0]), stored.x);
            ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[1]), stored.y);
            ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[2]), stored.width);
            ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[3]), stored.height);
        }
        vantory::LaunchOptions options;
        options.imagePort = std::to_string(kImagePort);
        window_ = std::make_unique<MainWindow>(options);
        window_->setExitHandler([](int) {});
        window_->show();
        window_->context()->sdk->setUdpDestIp(kStreamAddress, kImagePort);

        camsim::SimOptions sim;
        sim.bindAddress = kCameraAddress;
        sim.announce = false;
        sim.scene.name = "room";
        sim.config.maxFps = 30;
        camera_ = std::make_unique<camsim::CameraSim>(sim);
        std::string error;
        ASSERT_TRUE(camera_->start(&error)) << error;
        ASSERT_TRUE(waitUntil([&]() { return ui().label_connectstate->text() == "Connected-Idle"; },
                              kConnectWaitMs))
            << ui().label_connectstate->text().toStdString();
    }

    vantory::cloudview::PointCloudViewer& cloudWindow() { return window_->cloudView()->viewer(); }

    // The window is up and has drawn clouds of the stream.
    void waitForClouds(std::uint64_t clouds) {
        ASSERT_TRUE(waitUntil([&]() {
            return cloudWindow().windowId() != 0 && cloudWindow().cloudsDrawn() >= clouds;
        })) << "open "
            << cloudWindow().isOpen() << " clouds " << cloudWindow().cloudsDrawn();
    }

    WindowGeometry geometryNow() {
        return vantory::cloudview::x11WindowGeometry(x11_.display(), cloudWindow().windowId());
    }

    WindowGeometry storedGeometry() {
        QSettings ini(QStringLiteral("gui.ini"), QSettings::IniFormat);
        return {ini.value(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[0])).toInt(),
                ini.value(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[1])).toInt(),
                ini.value(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[2])).toInt(),
                ini.value(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[3])).toInt()};
    }

    Ui::MainWindow& ui() { return *window_->form(); }

    x11test::Connection x11_;
    QTemporaryDir workDir_;
    QString previousDir_;
    std::unique_ptr<camsim::CameraSim> camera_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(CloudWindowTest, StreamingACloudTypeOpensTheWindowAndClosingKeepsItsGeometry) {
    const WindowGeometry first{40, 50, 480, 360};
    ASSERT_NO_FATAL_FAILURE(startViewer(first));
    EXPECT_FALSE(cloudWindow().isOpen());
    ui().spinBox_maxdist->setValue(600);  // centimetres: the whole room
    ui().pushBtn_start->click();
    ASSERT_NO_FATAL_FAILURE(waitForClouds(10));
    EXPECT_EQ(geometryNow(), first);

    // The room is drawn: many colours, and much of the window is not background. The
    // window's contents reach the X server a little after a cloud is counted as drawn (the
    // software renderer of a loaded machine may take several frames), so the shot is
    // retaken until it shows the room or the wait runs out.
    QImage shot;
    int colourCount = 0;
    int background = 0;
    int samples = 0;
    const auto roomShown = [&]() {
        shot = x11_.grab(cloudWindow().windowId());
        if (shot.isNull()) return false;
        QSet<QRgb> colours;
        background = 0;
        for (int y = 0; y < shot.height(); y += 2) {
            for (int x = 0; x < shot.width(); x += 2) {
                const QRgb p = shot.pixel(x, y);
                colours.insert(p);
                if (qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && std::abs(qRed(p) - 38) <= 1)
                    ++background;
            }
        }
        colourCount = colours.size();
        samples = (shot.width() / 2) * (shot.height() / 2);
        return colourCount > 50 && background < samples * 9 / 10;
    };
    waitUntil(roomShown);
    ASSERT_FALSE(shot.isNull());
    if (const char* keep = std::getenv("VANTORY_CLOUD_SHOT"))
        shot.save(QString::fromLocal8Bit(keep));
    EXPECT_GT(colourCount, 50) << "colours in the window";
    EXPECT_LT(background, samples * 9 / 10) << "background pixels";

    // The user moves and resizes the window, then closes it: the new geometry is kept for
    // the next opening and for Save Settings.
    const WindowGeometry moved{90, 70, 560, 420};
    x11_.moveResize(cloudWindow().windowId(), moved.x, moved.y, moved.width, moved.height);
    ASSERT_TRUE(waitUntil(
        [&]() { return geometryNow() == moved && cloudWindow().lastGeometry() == moved; }));
    x11_.requestClose(cloudWindow().windowId());
    ASSERT_TRUE(waitUntil([&]() { return !cloudWindow().isOpen(); }));
    ASSERT_TRUE(waitUntil([&]() { return window_->cloudView()->state().geometry == moved; }));
    ui().pushBtn_savesettings->click();
    EXPECT_EQ(storedGeometry(), moved);

    // Streaming the cloud type again opens a new window where the old one was.
    ui().pushBtn_stop->click();
    ui().pushBtn_start->click();
    ASSERT_NO_FATAL_FAILURE(waitForClouds(5));
    EXPECT_EQ(geometryNow(), moved);
    ui().pushBtn_stop->click();
}

}  // namespace
