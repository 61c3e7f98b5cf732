// The measurement area without the SDK: ROI figures of a synthetic frame against values
// worked out by hand (table and CSV), the ROI gesture, and the status line's amber
// state from synthetic stream counters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QTableWidget>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>
#include <vector>

#include "FrameMeasures.h"
#include "LabelImage.h"
#include "LinkHealthPanel.h"
#include "MeasureController.h"
#include "MeasureTexts.h"
#include "RoiStatsPanel.h"

namespace {

using namespace vantory::measure;
using Clock = std::chrono::steady_clock;

int g_argc = 1;
char g_name[] = "viewer_measure_test";
char* g_argv[] = {g_name, nullptr};

constexpr int kWidth = 4;
constexpr int kHeight = 3;
constexpr std::uint32_t kDistanceCode = 964001;  // the SDK's copy of "no signal"
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The frame the figures are worked out for, and the one before it: distances 10 mm and
// amplitudes 20 counts lower wherever they are measured, so that every pixel measured in
// both has a temporal standard deviation of 5 mm and 10 counts.
struct SyntheticFrames {
    std::vector<std::uint32_t> distance{1000, 1010, kDistanceCode, 0,     //
                                        1020, 1030, 1040,          1050,  //
                                        2000, 2000, 2000,          2000};
    std::vector<std::uint16_t> amplitude{100, 200, 64002, 0,    //
                                         300, 400, 500,   600,  //
                                         700, 700, 700,   700};
    std::vector<float> reflectivity{0.5f,  0.25f, kNaN, -1.0f,  //
                                    0.75f, 1.0f,  0.0f, 0.5f,   //
                                    0.5f,  0.5f,  0.5f, 0.5f};
    std::vector<std::uint32_t> earlierDistance;
    std::vector<std::uint16_t> earlierAmplitude;

    SyntheticFrames() {
        earlierDistance = distance;
        for (std::uint32_t& d : earlierDistance) {
            if (d > 0 && d < kDistanceCode) d -= 10;
        }
        earlierAmplitude = amplitude;
        for (std::uint16_t& a : earlierAmplitude) {
            if (a > 0 && a < 64000) a -= 20;
        }
    }
    FramePlanes planes(bool earlier) const {
        FramePlanes p;
        p.width = kWidth;
        p.height = kHeight;
        p.distance = earlier ? earlierDistance.data() : distance.data();
        p.amplitude = earlier ? earlierAmplitude.data() : amplitude.data();
        p.reflectivity = reflectivity.data();
        return p;
    }
};

class MeasureGui : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    }
};

TEST_F(MeasureGui, RoiFiguresOfASyntheticFrameMatchHandComputedValuesInTableAndCsv) {
    const SyntheticFrames frames;
    FrameMeasures measures;
    measures.setStatisticsWanted(true);
    measures.setNoiseDepth(10);
    // Columns 1..3 of the top two rows: a code, a 0 distance, a dark amplitude, a NaN
    // and a negative reflectivity among them.
    measures.setRoi({1, 0, 3, 2});
    const Clock::time_point start = Clock::now();
    measures.feed(frames.planes(true), start);
    measures.feed(frames.planes(false), start + std::chrono::milliseconds(500));

    const std::optional<MeasureResults> results = measures.resultsAfter(0);
    ASSERT_TRUE(results.has_value());
    const RoiStatistics& st = results->statistics;
    EXPECT_EQ(st.noiseFrames, 2);

    struct Expected {
        const char* plane;
        const PlaneFigures* figures;
        std::size_t valid;
        double mean, median, stddev, min, max, noise;
    };
    const Expected table[] = {
        {"distance", &st.distance, 4, 1032.5, 1035.0, std::sqrt(218.75), 1010, 1050, 5.0},
        {"amplitude", &st.amplitude, 5, 340.0, 400.0, std::sqrt(46400.0), 0, 600, 10.0},
        {"reflectivity", &st.reflectivity, 3, 1.75 / 3, 0.5, std::sqrt(0.2916666666666667 / 3),
         0.25, 1.0, NAN},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.plane);
        const vantory::analysis::PlaneStats& s = e.figures->stats;
        ASSERT_TRUE(e.figures->present);
        EXPECT_EQ(s.pixels, 6u);
        EXPECT_EQ(s.valid, e.valid);
        EXPECT_NEAR(s.mean, e.mean, 1e-6);
        EXPECT_NEAR(s.median, e.median, 1e-6);
        EXPECT_NEAR(s.stddev, e.stddev, 1e-5);
        EXPECT_NEAR(s.min, e.min, 1e-6);
        EXPECT_NEAR(s.max, e.max, 1e-6);
        if (std::isnan(e.noise))
            EXPECT_TRUE(std::isnan(e.figures->temporalNoise));
        else
            EXPECT_NEAR(e.figures->temporalNoise, e.noise, 1e-6);
    }

    const QString csv = QStringLiteral(
        "# roi x=1 y=0 w=3 h=2, temporal noise over 2 frames\n"
        "plane,valid %,mean,median,std,min,max,temporal noise\n"
        "distance_mm,66.67,1032.50,1035.00,14.79,1010.00,1050.00,5.00\n"
        "amplitude,83.33,340.00,400.00,215.41,0.00,600.00,10.00\n"
        "reflectivity,50.00,0.58,0.50,0.31,0.25,1.00,\n");
    EXPECT_EQ(roiCsv(st).toStdString(), csv.toStdString());

    RoiStatsPanel panel;
    panel.showStatistics(st);
    EXPECT_EQ(panel.table()->item(0, 1)->text(), QStringLiteral("1032.50"));
    EXPECT_EQ(panel.table()->item(1, 6)->text(), QStringLiteral("10.00"));
    EXPECT_EQ(panel.table()->item(2, 6)->text(), QString());
    panel.copyAsCsv();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), csv.toStdString());

    // A rectangle outside a smaller frame falls back to the whole frame, not to nothing.
    measures.setRoi({10, 10, 4, 4});
    measures.feed(frames.planes(false), start + std::chrono::seconds(2));
    const std::optional<MeasureResults> whole = measures.resultsAfter(results->sequence);
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->statistics.distance.stats.pixels, std::size_t(kWidth * kHeight));
}

TEST_F(MeasureGui, NoiseWindowRestartsOnADepthChangeAndItsMapShowsZeroApartFromUnknown) {
    const SyntheticFrames frames;
    FrameMeasures measures;
    measures.setNoiseMap(true);
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 3; ++i) measures.feed(frames.planes(false), start + i * std::chrono::milliseconds(20));
    std::vector<float> map;
    EXPECT_EQ(measures.noiseMapSnapshot(map), 3);

    // Identical frames: zero noise, which must not look like the black of an unknown pixel.
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    image.fill(Qt::white);
    ASSERT_TRUE(measures.paintNoiseMap(image));
    EXPECT_EQ(image.pixelColor(2, 0), QColor(Qt::black)) << "a distance code has no noise";
    EXPECT_EQ(image.pixelColor(3, 0), QColor(Qt::black)) << "a 0 distance has no noise";
    EXPECT_NE(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(measures.noiseScaleMm().low, 0.0);

    measures.setNoiseDepth(20);
    measures.feed(frames.planes(false), start + std::chrono::seconds(1));
    EXPECT_EQ(measures.noiseMapSnapshot(map), 1) << "a new depth starts a new window";

    // With nothing asking for it the window is dropped: no stale frames when it comes back.
    measures.setNoiseMap(false);
    measures.feed(frames.planes(false), start + std::chrono::seconds(2));
    EXPECT_EQ(measures.noiseMapSnapshot(map), 0);
    EXPECT_FALSE(measures.paintNoiseMap(image));
}

TEST(MeasureRanges, AutoRangesRoundToStepsWithTheUpperEndAboveTheLower) {
    const struct {
        double low, high;
        int step, lower, upper;
    } cases[] = {
        {7894.0, 8107.0, 10, 7890, 8110},  // rounded to the nearest step
        {-3.0, 40.0, 10, 0, 40},           // never below zero
        {500.0, 500.0, 10, 500, 510},      // a flat frame still has a span
        {12.4, 12.6, 0, 12, 13},           // a step below 1 counts as 1
    };
    for (const auto& c : cases) {
        const vantory::colorizer::ColorRange r = roundedRange({c.low, c.high}, c.step);
        EXPECT_EQ(r.lower, c.lower) << c.low;
        EXPECT_EQ(r.upper, c.upper) << c.high;
    }
}

// A main window with the panes the area attaches to, as the viewer's form has them.
struct Host {
    QMainWindow window;
    QFrame* status = nullptr;
    LabelImage* distanceView = nullptr;
    LabelImage* amplitudeView = nullptr;
    FrameMeasures measures;
    std::vector<Movoda::MvStreamStats> snapshots;
    std::size_t next = 0;
    std::unique_ptr<MeasureController> controller;

    Host() {
        auto* central = new QWidget(&window);
        auto* layout = new QVBoxLayout(central);
        QWidget* panes[2] = {new QWidget(central), new QWidget(central)};
        LabelImage** views[2] = {&distanceView, &amplitudeView};
        MeasureHost host;
        QLabel** captions[2] = {&host.distanceCaption, &host.amplitudeCaption};
        for (int i = 0; i < 2; ++i) {
            auto* paneLayout = new QVBoxLayout(panes[i]);
            *captions[i] = new QLabel(QStringLiteral("caption"), panes[i]);
            *views[i] = new LabelImage(panes[i]);
            paneLayout->addWidget(*captions[i]);
            paneLayout->addWidget(*views[i], 1);
            layout->addWidget(panes[i]);
        }
        status = new QFrame(central);
        status->setObjectName(QStringLiteral("frame_status"));
        layout->addWidget(status);
        window.setCentralWidget(central);
        host.window = &window;
        host.statusLine = status;
        host.distanceView = distanceView;
        host.amplitudeView = amplitudeView;
        host.measures = &measures;
        host.streamStats = [this]() {
            return snapshots.at(std::min(next++, snapshots.size() - 1));
        };
        controller = std::make_unique<MeasureController>(host);
    }
};

TEST_F(MeasureGui, StatusLineTurnsAmberOnlyAboveOnePercentLoss) {
    constexpr std::uint64_t kReceived = 1000;
    constexpr std::uint64_t kDatagramBytes = 1420;
    constexpr std::uint64_t kPayload =
        1400;  // close to any header size: the estimate rounds to the count
    const struct {
        std::uint64_t lost;
        bool amber;
    } cases[] = {{0, false}, {5, false}, {50, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lost);
        Host host;
        Movoda::MvStreamStats later;
        later.framesDelivered = 20;
        later.udpDatagramsReceived = kReceived;
        later.udpBytesReceived = kReceived * kDatagramBytes;
        later.udpBytesMissing = c.lost * kPayload;
        later.udpFramesEvicted = c.lost > 0 ? 1 : 0;
        host.snapshots = {Movoda::MvStreamStats{}, later};
        const Clock::time_point start = Clock::now();
        host.controller->linkHealth().poll(start);
        host.controller->linkHealth().poll(start + std::chrono::seconds(10));

        EXPECT_EQ(host.controller->statusAmber(), c.amber);
        EXPECT_EQ(host.status->styleSheet().isEmpty(), !c.amber);
        EXPECT_EQ(host.controller->linkHealthPanel()->isAmber(), c.amber);
        const QStringList values = host.controller->linkHealthPanel()->valueTexts();
        ASSERT_GE(values.size(), 4);
        EXPECT_EQ(values[0], QStringLiteral("2.0"));  // 20 frames in 10 s
        EXPECT_TRUE(values[1].startsWith(QString::number(c.lost) + QLatin1Char(' ')))
            << values[1].toStdString();
        EXPECT_EQ(values[3], QString::number(c.lost > 0 ? 1 : 0));
    }
}

TEST_F(MeasureGui, RectangleOnEitherViewSetsTheRoiAndClearingItTakesTheWholeFrame) {
    Host host;
    EXPECT_FALSE(host.measures.active());
    emit host.amplitudeView->timescopeSelected(5, 14, 20, 29);
    const vantory::analysis::Roi roi = host.measures.roi();
    EXPECT_EQ(roi.x, 5);
    EXPECT_EQ(roi.y, 20);
    EXPECT_EQ(roi.width, 10);
    EXPECT_EQ(roi.height, 10);
    emit host.distanceView->timeScopeSelectionCleared(false);
    EXPECT_EQ(host.measures.roi().width, 0);

    // The statistics are computed only while their panel is shown.
    host.window.show();
    host.controller->roiDock()->show();
    EXPECT_TRUE(host.measures.active());
    host.controller->roiDock()->hide();
    EXPECT_FALSE(host.measures.active());
}

}  // namespace
