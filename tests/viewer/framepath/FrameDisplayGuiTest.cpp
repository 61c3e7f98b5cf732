// The frame path in the real main window: frames delivered from a thread of their own
// through the stand-in SDK's frame callback, as the SDK's frame thread does, and shown
// by update code 0 on the GUI thread.
#include <gtest/gtest.h>

#include <QSettings>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <atomic>
#include <set>
#include <thread>

#include "FakeMvSdk.h"
#include "FramePath.h"
#include "FramePathTestFrames.h"
#include "GuiContext.h"
#include "LabelImage.h"
#include "MainWindow.h"
#include "ui_MainWindow.h"

using framepath_test::buildFrame;
using vantory_test::PacketPlan;

namespace {

int g_argc = 1;
char g_name[] = "framepath_gui_test";
char* g_argv[] = {g_name, nullptr};

constexpr int kWaitMs = 5000;
constexpr std::uint16_t kW = 32;
constexpr std::uint16_t kH = 24;
constexpr std::uint64_t kPtpSeconds = 1700000000ull + 37;  // 2023-11-14 22:13:20 UTC

// Frames store rows mirrored: the received column c lands in column W - 1 - c.
std::size_t received(int x, int y) { return static_cast<std::size_t>(y) * kW + (kW - 1 - x); }

PacketPlan distancePlan(std::uint16_t distance, std::uint16_t amplitude) {
    PacketPlan plan = framepath_test::uniformPlan(kW, kH, distance, amplitude);
    plan.captureMs = 1234567089ull;
    plan.temperature1 = 4523;
    plan.temperature2 = 3100;
    return plan;
}

QRgb pixelOf(LabelImage* view, int x, int y) { return view->shownSourceImage().pixel(x, y); }

class FrameDisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    }

    void SetUp() override {
        ASSERT_TRUE(workDir_.isValid());
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(workDir_.path());
        fakesdk::reset();
        {
            // Render type "Reflectivity" and a colour range up to 5000 mm (500 cm).
            QSettings ini(QStringLiteral("gui5.ini"), QSettings::IniFormat);
            ini.setValue(QStringLiteral("Setting/ipaddress"), QStringLiteral("127.0.0.61"));
            ini.setValue(QStringLiteral("Setting/renderType"), 2);
            ini.setValue(QStringLiteral("Setting/maxDist"), 500);
        }
        vantory::LaunchOptions options = vantory::parseCommandLine(std::vector<std::string>{"5"});
        window_ = std::make_unique<MainWindow>(options);
        window_->setExitHandler([](int) {});
        window_->show();
        ctx_ = window_->context();
        QObject::connect(ctx_->sdkSignal.get(), &vantory::SdkSignal::updateUiThread, ctx_->sdkSignal.get(),
                         [this](int code) { ++raised_[code]; }, Qt::DirectConnection);
    }

    void TearDown() override {
        window_.reset();
        QDir::setCurrent(previousDir_);
    }

    Ui::MainWindow& ui() { return *window_->form(); }
    QComboBox* renderType() {
        return window_->filterSettingsWindow()->findChild<QComboBox*>("comboBox_pcloudRendertype");
    }
    QLabel* pinfo(const char* name) { return window_->pixelInfoWindow()->findChild<QLabel*>(name); }

    // Delivers the frame from another thread, as the SDK does.
    void deliver(const std::shared_ptr<const Movoda::Frame>& frame) {
        ASSERT_TRUE(frame);
        Movoda::FrameCallback callback;
        {
            std::lock_guard<std::mutex> lock(fakesdk::state().mutex);
            callback = fakesdk::state().frameCallback;
        }
        ASSERT_TRUE(callback);
        std::thread sdkThread([&]() { callback(frame); });
        sdkThread.join();
    }

    // Delivers and waits until the window has shown this frame's distance text.
    void show(const std::shared_ptr<const Movoda::Frame>& frame, const QString& distanceText) {
        ui().label_distance->clear();
        deliver(frame);
        QTRY_COMPARE_WITH_TIMEOUT(ui().label_distance->text(), distanceText, kWaitMs);
    }

    QTemporaryDir workDir_;
    QString previousDir_;
    std::unique_ptr<MainWindow> window_;
    vantory::GuiContext* ctx_ = nullptr;
    std::array<std::atomic<int>, 32> raised_{};
};

TEST_F(FrameDisplayTest, DistanceAmplitudeFrameFillsStatusLineAndBothPanes) {
    PacketPlan plan = distancePlan(1000, 321);
    plan.distance[received(0, 0)] = 2500;
    plan.distance[received(5, 3)] = 6000;  // beyond the colour range: black
    plan.distance[received(6, 3)] = 5000;  // the range's top: first table colour
    show(buildFrame(plan), "2500 mm");
    EXPECT_EQ(ui().label_fps->text(), "0 tick:234567.089");
    // The point-cloud render type starts at "Reflectivity", which adds the pixel's value.
    EXPECT_TRUE(ui().label_amplitude->text().startsWith("321 lsb  ")) << ui().label_amplitude->text().toStdString();
    EXPECT_TRUE(ui().label_amplitude->text().endsWith("% ")) << ui().label_amplitude->text().toStdString();
    renderType()->setCurrentIndex(0);
    show(buildFrame(plan), "2500 mm");
    EXPECT_EQ(ui().label_amplitude->text(), "321 lsb ");
    EXPECT_EQ(ui().label_temperature->text(), QString::fromUtf8("45.23 ℃   31 ℃"));
    EXPECT_EQ(ui().label_image0->text(), "Distance");
    EXPECT_FALSE(ui().frame_image2->isHidden());
    EXPECT_FALSE(ui().checkBox_gs->isHidden());  // distance and amplitude of a version-3 frame

    ASSERT_EQ(ui().ImageView->shownSourceImage().size(), QSize(kW, kH));
    ASSERT_EQ(ui().ImageView2->shownSourceImage().size(), QSize(kW, kH));
    EXPECT_EQ(pixelOf(ui().ImageView, 5, 3), qRgb(0, 0, 0));
    EXPECT_EQ(pixelOf(ui().ImageView, 6, 3), qRgb(0, 0, 127));
    EXPECT_NE(pixelOf(ui().ImageView, 0, 0), pixelOf(ui().ImageView, 1, 0));
    EXPECT_NE(pixelOf(ui().ImageView2, 1, 1), qRgb(0, 0, 0));

    // The next frame changes the pane.
    const QRgb before = pixelOf(ui().ImageView, 1, 1);
    show(buildFrame(distancePlan(3000, 321)), "3000 mm");
    EXPECT_NE(pixelOf(ui().ImageView, 1, 1), before);
}

TEST_F(FrameDisplayTest, GrayscaleFrameShowsOnePaneLabelledGrayScale) {
    PacketPlan plan;
    plan.width = kW;
    plan.height = kH;
    plan.dataType = 3;
    plan.dataFlags = 0x08;
    plan.grayscale.assign(plan.pixels(), 1024);
    plan.grayscale[received(2, 2)] = 2049;
    ui().label_image0->clear();
    deliver(buildFrame(plan));
    QTRY_COMPARE_WITH_TIMEOUT(ui().label_image0->text(), QStringLiteral("GrayScale"), kWaitMs);
    EXPECT_TRUE(ui().frame_image2->isHidden());
    EXPECT_EQ(pixelOf(ui().ImageView, 1, 1), qRgb(127, 127, 127));
    EXPECT_EQ(pixelOf(ui().ImageView, 2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(ui().label_amplitude->text(), "1024 lsb");

    // Back to distance and amplitude: the second pane returns.
    show(buildFrame(distancePlan(1200, 50)), "1200 mm");
    EXPECT_FALSE(ui().frame_image2->isHidden());
    EXPECT_EQ(ui().label_image0->text(), "Distance");
}

TEST_F(FrameDisplayTest, OldHeaderHidesGrayscaleSwitchAndPtpShowsDate) {
    ui().checkBox_gs->show();
    PacketPlan plan = distancePlan(900, 10);
    plan.format = 2;
    plan.timeSource = 2;
    plan.timeLocked = 0;
    plan.seconds = kPtpSeconds;
    plan.nanoseconds = 89000000;
    show(buildFrame(plan), "900 mm");
    EXPECT_TRUE(ui().checkBox_gs->isHidden());
    // The date is local time; the test runs with TZ=UTC.
    EXPECT_EQ(ui().label_fps->text(), "0 ptp:23-11-14 22:13:20.089 lost");
}

TEST_F(FrameDisplayTest, SelectingAPixelOpensPixelInfoAndReadsTheLastFrame) {
    PacketPlan plan = distancePlan(1000, 100);
    plan.distance[received(7, 4)] = 1777;
    plan.amplitude[received(7, 4)] = 444;
    renderType()->setCurrentIndex(0);
    show(buildFrame(plan), "1000 mm");

    ui().label_distance->clear();
    emit ui().ImageView->infoSelected(7, 4);
    // Shown at once from the last frame, without waiting for another frame.
    QTRY_COMPARE_WITH_TIMEOUT(ui().label_distance->text(), QStringLiteral("1777 mm"), kWaitMs);
    EXPECT_EQ(ui().label_amplitude->text(), "444 lsb ");
    EXPECT_FALSE(window_->pixelInfoWindow()->isHidden());
    EXPECT_EQ(pinfo("label_pos_selx")->text(), "x:7");
    EXPECT_EQ(pinfo("label_pos_sely")->text(), "y:4");
    EXPECT_EQ(pinfo("labelCurrentLeft")->text(), "177.7cm");
    EXPECT_EQ(pinfo("labelCurrentRight")->text(), "444lsb");

    // A selection outside the next (smaller) frame falls back to the origin.
    PacketPlan small = framepath_test::uniformPlan(4, 2, 800, 90);
    show(buildFrame(small), "800 mm");
    std::lock_guard<std::mutex> lock(ctx_->frameMutex);
    EXPECT_EQ(ctx_->selectedX, 0);
    EXPECT_EQ(ctx_->selectedY, 0);
}

TEST_F(FrameDisplayTest, StatisticsKeepTheLastHundredFrames) {
    emit ui().ImageView->infoSelected(3, 3);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->pixelInfoWindow()->isHidden(), kWaitMs);
    for (int k = 0; k < 101; ++k) {
        const std::uint16_t distance = static_cast<std::uint16_t>(k == 0 ? 5000 : 1000 + 10 * (k % 2));
        show(buildFrame(distancePlan(distance, 200)), QStringLiteral("%1 mm").arg(distance));
        if (k == 0) {
            // One sample: the average is the value, the spread statistics 0.
            EXPECT_EQ(pinfo("labelAverageLeft")->text(), "500.0cm");
            EXPECT_EQ(pinfo("labelVariationLeft")->text(), "0.0cm");
            EXPECT_EQ(pinfo("labelMaximumLeft")->text(), "0.0cm");
        }
    }
    // The first sample (500 cm) has dropped out: 50 of 100.0 cm and 50 of 101.0 cm.
    EXPECT_EQ(pinfo("labelMeasCount")->text(), "100");
    EXPECT_EQ(pinfo("labelAverageLeft")->text(), "100.5cm");
    EXPECT_EQ(pinfo("labelMaximumLeft")->text(), "101.0cm");
    EXPECT_EQ(pinfo("labelMinimumLeft")->text(), "100.0cm");
    EXPECT_EQ(pinfo("labelAverageRight")->text(), "200.0lsb");

    // An invalid distance shows N/A and leaves the window as it was.
    PacketPlan invalid = distancePlan(64001, 200);
    show(buildFrame(invalid), "964001 mm");
    EXPECT_EQ(pinfo("labelCurrentLeft")->text(), "N/A");
    std::lock_guard<std::mutex> lock(ctx_->frameMutex);
    EXPECT_EQ(ctx_->distSamples.count(), 100u);
    EXPECT_DOUBLE_EQ(ctx_->distSamples.average(), 100.5);
}

TEST_F(FrameDisplayTest, ClearAndHoverMoveTheSelectedPosition) {
    show(buildFrame(distancePlan(1000, 100)), "1000 mm");
    emit ui().ImageView->mouseHover(500, -3);  // clamped into the image
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        EXPECT_EQ(ctx_->selectedX, kW - 1);
        EXPECT_EQ(ctx_->selectedY, 0);
    }
    EXPECT_EQ(pinfo("label_pos_selx")->text(), QStringLiteral("x:%1").arg(kW - 1));

    emit ui().ImageView->infoSelected(2, 2);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->pixelInfoWindow()->isHidden(), kWaitMs);
    emit ui().ImageView2->pixelInfoSelectionCleared(false);
    EXPECT_TRUE(window_->pixelInfoWindow()->isHidden());
    EXPECT_EQ(pinfo("label_pos_selx")->text(), "x:0");
    EXPECT_EQ(pinfo("label_pos_sely")->text(), "y:0");
    std::lock_guard<std::mutex> lock(ctx_->frameMutex);
    EXPECT_EQ(ctx_->pixelDistance, 0);
    EXPECT_EQ(ctx_->selectedX, 0);
}

TEST_F(FrameDisplayTest, FramesArrivingFasterThanTheDisplayRaiseOneUpdate) {
    const auto frame = buildFrame(distancePlan(1000, 100));
    for (int k = 0; k < 20; ++k) deliver(frame);  // no event processing in between
    EXPECT_EQ(raised_[0].load(), 1);
    // The one queued update shows the newest frame.
    show(buildFrame(distancePlan(1100, 100)), "1100 mm");
    EXPECT_EQ(raised_[0].load(), 1);
    // Once it has been taken, the next frame raises again.
    show(buildFrame(distancePlan(1200, 100)), "1200 mm");
    EXPECT_EQ(raised_[0].load(), 2);
}

TEST_F(FrameDisplayTest, FramesReuseAFewImageBuffersAndKeepTheShownOne) {
    show(buildFrame(distancePlan(1000, 100)), "1000 mm");
    const QImage held = ui().ImageView->shownSourceImage();
    const QRgb heldPixel = held.pixel(1, 1);
    std::set<const uchar*> buffers;
    for (int k = 0; k < 12; ++k) {
        const std::uint16_t distance = static_cast<std::uint16_t>(2000 + 100 * k);
        show(buildFrame(distancePlan(distance, 100)), QStringLiteral("%1 mm").arg(distance));
        buffers.insert(ui().ImageView->shownSourceImage().constBits());
    }
    EXPECT_LE(buffers.size(), 3u);            // no new image per frame
    EXPECT_EQ(held.pixel(1, 1), heldPixel);  // an image once shown never changes under its holder
    EXPECT_NE(ui().ImageView->shownSourceImage().pixel(1, 1), heldPixel);
}

TEST_F(FrameDisplayTest, ReflectivityCoefficientFromFullWindows) {
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        for (int k = 0; k < 100; ++k) {
            ctx_->ampSamples.add(k % 2 ? 490.0 : 510.0);  // average 500
            ctx_->distSamples.add(100.0);
        }
        ctx_->reflectCoefRunning = 1;
    }
    PacketPlan plan = distancePlan(1000, 100);
    plan.intTimes = {1000, 0, 0, 0, 0};
    deliver(buildFrame(plan));
    EXPECT_EQ(raised_[15].load(), 1);
    std::lock_guard<std::mutex> lock(ctx_->frameMutex);
    EXPECT_FLOAT_EQ(ctx_->reflectCoefs[0], 0.5f);
    EXPECT_EQ(ctx_->reflectCoefRunning, 0);
}

TEST_F(FrameDisplayTest, ReflectivityMeasurementWaitsForUsableFrames) {
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        for (int k = 0; k < 100; ++k) ctx_->ampSamples.add(0.0);  // no signal at all
        for (int k = 0; k < 100; ++k) ctx_->distSamples.add(100.0);
        ctx_->reflectCoefRunning = 1;
    }
    deliver(buildFrame(distancePlan(1000, 100)));
    PacketPlan old = distancePlan(1000, 100);
    old.format = 2;  // no integration time in the header
    deliver(buildFrame(old));
    EXPECT_EQ(raised_[15].load(), 0);
    std::lock_guard<std::mutex> lock(ctx_->frameMutex);
    EXPECT_EQ(ctx_->reflectCoefRunning, 1);
    EXPECT_FLOAT_EQ(ctx_->reflectCoefs[0], 0.02f);
}

TEST_F(FrameDisplayTest, TemperatureDistanceLogReachesTheLogPanel) {
    window_->framePath()->setTempDistLog(true);
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        for (int k = 0; k < 100; ++k) ctx_->distSamples.add(123.0);
    }
    PacketPlan plan = distancePlan(1000, 100);
    plan.temperature1 = 4400;
    deliver(buildFrame(plan));
    deliver(buildFrame(plan));  // same temperature: one line only
    auto* log = window_->calibrationWindow()->findChild<QTextEdit*>("textLog");
    ASSERT_NE(log, nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(log->toPlainText(), QStringLiteral("TempDist: 4400   123\n"), kWaitMs);
}

TEST_F(FrameDisplayTest, HeaderConfigurationChangesRaisePlaybackConfig) {
    PacketPlan plan = distancePlan(1000, 100);
    deliver(buildFrame(plan));
    EXPECT_EQ(raised_[14].load(), 0);  // not watched
    window_->framePath()->setHeaderConfigWatch(true);
    deliver(buildFrame(plan));
    deliver(buildFrame(plan));
    EXPECT_EQ(raised_[14].load(), 1);
    plan.intTimes = {1500, 0, 0, 0, 0};
    deliver(buildFrame(plan));
    EXPECT_EQ(raised_[14].load(), 2);
    const vantory::HeaderConfig config = window_->framePath()->lastHeaderConfig();
    ASSERT_FALSE(config.empty());
}

TEST_F(FrameDisplayTest, DcsMosaicDistanceAndSubFrameLines) {
    PacketPlan plan = distancePlan(1000, 100);
    plan.dataFlags = 0x03 | 0x04 | 0x10;
    plan.hdrIndex.assign(plan.pixels(), 1);
    plan.rawPhase.assign(4u * plan.pixels(), 2048);
    const std::size_t i = 2u * kW + 3u;  // raw planes are not mirrored
    plan.rawPhase[i] = 2000;
    plan.rawPhase[2 * plan.pixels() + i] = 2300;
    plan.timeSource = 2;
    plan.timeLocked = 1;
    framepath_test::BlockExtras extras;
    extras.subFrameMask = 0x03;
    extras.subFrameMs = {kPtpSeconds * 1000, kPtpSeconds * 1000 + 40, 0, 0, 0};
    extras.ptpOffsetUs = 12;
    window_->framePath()->setDcsMode(3);
    emit ui().ImageView->infoSelected(3, 2);
    show(buildFrame(plan, extras), "300 mm");  // |p0 - p2|
    EXPECT_EQ(pinfo("label_timestamps")->text(), "T1:040  Id:7 al:0:00000000");
    EXPECT_EQ(pinfo("label_others")->text(), "PTP offset: 12 us");
    EXPECT_EQ(pinfo("label_level")->text(), "Level: 2");
    EXPECT_EQ(ui().label_fps->text(), "0 ptp:23-11-14 22:13:20.000");
}

}  // namespace
