// Live frames from the simulated camera (in this process, on 127.0.0.61, image port
// 9661) through the real SDK into the real main window: the status line and the image
// panes follow the stream.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <memory>
#include <string>

#include "CameraSim.h"
#include "GuiContext.h"
#include "LabelImage.h"
#include "MainWindow.h"
#include "mvsdk/MvSdk.h"
#include "ViewerRig.h"
#include "ui_MainWindow.h"

namespace {

int g_argc = 1;
char g_name[] = "framepath_e2e_test";
char* g_argv[] = {g_name, nullptr};

constexpr const char* kCameraAddress = "127.0.0.61";
constexpr std::uint16_t kImagePort = 9661;
constexpr int kConnectWaitMs = 15000;
constexpr int kWaitMs = 8000;
constexpr int kDistAmpIndex = 2;
constexpr int kGrayscaleIndex = 1;
constexpr int kFramesPerSecond = 30;

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

// Share of pixels that are not black.
double litShare(const QImage& image) {
    if (image.isNull()) return 0.0;
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) ++lit;
        }
    }
    return double(lit) / (image.width() * image.height());
}

class LiveFramesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    }

    void SetUp() override { ASSERT_TRUE(workDir_.isValid()); }

    void startViewer(int imageTypeIndex) {
        camsim::SimOptions sim = viewertest::quietCameraAt(kCameraAddress);
        sim.scene.name = "room";
        sim.noise = 0;  // exact distances: pixels of the room differ only by where they are
        sim.config.maxFps = kFramesPerSecond;
        rig_.openWindow({kCameraAddress, kImagePort, imageTypeIndex, {}});
        rig_.window().resize(1247, 852);
        const std::string failed = rig_.connect(sim, kConnectWaitMs);
        ASSERT_TRUE(failed.empty()) << failed;
    }

    void startStreaming() {
        ui().pushBtn_start->click();
        ASSERT_TRUE(waitUntil([&]() { return ui().label_fps->text().contains("tick:"); }))
            << "label_fps: " << ui().label_fps->text().toStdString();
    }

    // The image views are turned until the mirror settings reach them; show them upright.
    void showUpright() {
        for (LabelImage* view : {ui().ImageView, ui().ImageView2}) view->setMirror(false, false, false);
    }

    Ui::MainWindow& ui() { return rig_.ui(); }

    viewertest::ScratchDirectory workDir_;
    viewertest::ViewerRig rig_;
};

TEST_F(LiveFramesTest, StreamChangesStatusLineAndDistancePane) {
    ASSERT_NO_FATAL_FAILURE(startViewer(kDistAmpIndex));
    EXPECT_TRUE(ui().ImageView->shownSourceImage().isNull());
    ASSERT_NO_FATAL_FAILURE(startStreaming());
    showUpright();

    // "<fps> tick:<six digits>.<three digits>", and the time moves on with the stream.
    const QRegularExpression fpsPattern(QStringLiteral("^\\d+ tick:\\d{6}\\.\\d{3}$"));
    EXPECT_TRUE(fpsPattern.match(ui().label_fps->text()).hasMatch()) << ui().label_fps->text().toStdString();
    const QString firstFps = ui().label_fps->text();
    EXPECT_TRUE(waitUntil([&]() { return ui().label_fps->text() != firstFps; }));
    // The SDK's frame-rate counter reaches the stream's rate within a few seconds.
    EXPECT_TRUE(waitUntil([&]() { return ui().label_fps->text().section(' ', 0, 0).toInt() >= kFramesPerSecond / 2; }))
        << ui().label_fps->text().toStdString();

    // Both panes carry the room; the amplitude pane is shown.
    ASSERT_TRUE(waitUntil([&]() { return !ui().ImageView2->shownSourceImage().isNull(); }));
    EXPECT_EQ(ui().ImageView->shownSourceImage().size(), QSize(320, 240));
    EXPECT_GT(litShare(ui().ImageView->shownSourceImage()), 0.5);
    EXPECT_GT(litShare(ui().ImageView2->shownSourceImage()), 0.5);
    EXPECT_FALSE(ui().frame_image2->isHidden());
    EXPECT_EQ(ui().label_image0->text(), "Distance");
    EXPECT_FALSE(ui().ImageView->shownPixmap().isNull());

    // Selecting the centre shows its distance: a real measurement of the room.
    emit ui().ImageView->infoSelected(160, 120);
    const QRegularExpression distancePattern(QStringLiteral("^(\\d+) mm$"));
    ASSERT_TRUE(waitUntil([&]() {
        const auto match = distancePattern.match(ui().label_distance->text());
        return match.hasMatch() && match.captured(1).toInt() > 0;
    })) << ui().label_distance->text().toStdString();
    const int centre = distancePattern.match(ui().label_distance->text()).captured(1).toInt();
    EXPECT_LT(centre, 20000);
    EXPECT_FALSE(rig_.window().pixelInfoWindow()->isHidden());

    // Another pixel of the room lies at another distance.
    emit ui().ImageView->infoSelected(10, 230);
    EXPECT_TRUE(waitUntil([&]() { return ui().label_distance->text() != QStringLiteral("%1 mm").arg(centre); }))
        << ui().label_distance->text().toStdString();
}

TEST_F(LiveFramesTest, GrayscaleStreamShowsOneGrayPane) {
    ASSERT_NO_FATAL_FAILURE(startViewer(kGrayscaleIndex));
    ASSERT_NO_FATAL_FAILURE(startStreaming());
    showUpright();
    ASSERT_TRUE(waitUntil([&]() { return ui().label_image0->text() == "GrayScale"; }));
    EXPECT_TRUE(ui().frame_image2->isHidden());
    const QImage image = ui().ImageView->shownSourceImage();
    ASSERT_EQ(image.size(), QSize(320, 240));
    EXPECT_GT(litShare(image), 0.5);
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 8) {
        for (int x = 0; x < image.width(); x += 8) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p)) ++coloured;
        }
    }
    EXPECT_EQ(coloured, 0);  // gray levels only
}

}  // namespace
