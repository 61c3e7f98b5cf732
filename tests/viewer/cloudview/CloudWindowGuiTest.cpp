// The point-cloud window of the real main window, fed by the real SDK from the simulated
// camera (in this process, on 127.0.0.131, image port 8131). Needs an X server: the main
// window runs offscreen, the cloud window on the display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSet>
#include <QSettings>
#include <QTest>

#include <cstdlib>
#include <string>

#include "CloudViewController.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "SettingsKeys.h"
#include "ViewerRig.h"
#include "X11Support.h"
#include "X11TestWindow.h"
#include "ui_MainWindow.h"

namespace {

using vantory::cloudview::WindowGeometry;

int g_argc = 1;
char g_name[] = "cloud_window_test";
char* g_argv[] = {g_name, nullptr};

constexpr const char* kCameraAddress = "127.0.0.131";
constexpr std::uint16_t kImagePort = 8131;
constexpr int kConnectWaitMs = 15000;
constexpr int kWaitMs = 15000;
constexpr int kPointCloudAmpIndex = 4;
// Share of background pixels above which the window counts as showing nothing.
constexpr double kMostlyBackground = 0.95;

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
        ASSERT_TRUE(x11_.ok());
    }

    void startViewer(const WindowGeometry& stored) {
        viewertest::RigSettings settings{kCameraAddress, kImagePort, kPointCloudAmpIndex, {}};
        settings.moreSettings = [&stored](QSettings& ini) {
            const int values[] = {stored.x, stored.y, stored.width, stored.height};
            for (int k = 0; k < 4; ++k)
                ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[k]), values[k]);
        };
        camsim::SimOptions sim = viewertest::quietCameraAt(kCameraAddress);
        sim.scene.name = "room";
        sim.config.maxFps = 30;
        const std::string failed = rig_.start(settings, sim, kConnectWaitMs);
        ASSERT_TRUE(failed.empty()) << failed;
    }

    vantory::cloudview::PointCloudViewer& cloudWindow() { return rig_.window().cloudView()->viewer(); }

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

    Ui::MainWindow& ui() { return rig_.ui(); }

    x11test::Connection x11_;
    viewertest::ScratchDirectory workDir_;
    viewertest::ViewerRig rig_;
};

TEST_F(CloudWindowTest, StreamingACloudTypeOpensTheWindowAndClosingKeepsItsGeometry) {
    const WindowGeometry first{40, 50, 480, 360};
    ASSERT_NO_FATAL_FAILURE(startViewer(first));
    EXPECT_FALSE(cloudWindow().isOpen());
    ui().spinBox_maxdist->setValue(600);  // centimetres: the whole room
    ui().pushBtn_start->click();
    ASSERT_NO_FATAL_FAILURE(waitForClouds(10));
    EXPECT_EQ(geometryNow(), first);

    // The room is drawn: many colours, and a part of the window is not background (from the
    // default viewpoint the 6 m room fills about a tenth of it, a little more or less as
    // the moving sphere and the frame-rate text change; an empty window is all background). The
    // window's contents reach the X server a little after a cloud is counted as drawn (the
    // software renderer of a loaded machine may take several frames), so the shot is
    // retaken until it shows the room or the wait runs out.
    // A shot of one colour other than the background is not the renderer's output: another
    // window covers this one (X keeps no hidden pixels), so the window is brought up.
    QImage shot;
    int colourCount = 0;
    int background = 0;
    int samples = 0;
    const auto roomShown = [&]() {
        shot = x11_.grab(cloudWindow().windowId());
        if (shot.isNull()) return false;
        if (colourCount == 1 && background == 0) x11_.raise(cloudWindow().windowId());
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
        return colourCount > 50 && background < samples * kMostlyBackground;
    };
    waitUntil(roomShown);
    ASSERT_FALSE(shot.isNull());
    if (const char* keep = std::getenv("VANTORY_CLOUD_SHOT"))
        shot.save(QString::fromLocal8Bit(keep));
    EXPECT_GT(colourCount, 50) << "colours in the window, the first pixel "
                               << std::hex << shot.pixel(0, 0);
    EXPECT_LT(background, samples * kMostlyBackground) << "background pixels";

    // The user moves and resizes the window, then closes it: the new geometry is kept for
    // the next opening and for Save Settings.
    const WindowGeometry moved{90, 70, 560, 420};
    x11_.moveResize(cloudWindow().windowId(), moved.x, moved.y, moved.width, moved.height);
    ASSERT_TRUE(waitUntil(
        [&]() { return geometryNow() == moved && cloudWindow().lastGeometry() == moved; }));
    x11_.requestClose(cloudWindow().windowId());
    ASSERT_TRUE(waitUntil([&]() { return !cloudWindow().isOpen(); }));
    ASSERT_TRUE(waitUntil([&]() { return rig_.window().cloudView()->state().geometry == moved; }));
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
