// A batch conversion through the real main window: the record files are played through the
// real SDK (the simulated camera connected on 127.0.0.216, image port 8216), the frame path
// saves each frame, the progress panel follows, and a second run is refused. The recordings
// come from another camera model than the connected one, and the camera may be streaming:
// only the played frames are saved, and the camera's own settings stay in force.
#include <gtest/gtest.h>
#include <pcl/io/pcd_io.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "ExportController.h"
#include "FilterSender.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "Playback.h"
#include "RecordFileFixture.h"
#include "RecordsController.h"
#include "ViewerRig.h"
#include "X11Support.h"
#include "export/RecordFrameLoader.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace {

int g_argc = 1;
char g_name[] = "export_e2e_test";
char* g_argv[] = {g_name, nullptr};

constexpr const char* kCameraAddress = "127.0.0.216";
constexpr std::uint16_t kImagePort = 8216;
constexpr int kWaitMs = 30000;
// The simulated camera is a K150PLUS; the recordings come from an R300LITE.
constexpr const char* kOtherModel = "XR300LITE";

// Every value the filter window shows, by widget name: the model-dependent settings (cut
// corner, scene filters, reflectivity maximum) the SDK is given from it.
using WidgetValues = std::map<std::string, std::string>;
WidgetValues filterWindowValues(QWidget* window) {
    WidgetValues values;
    auto name = [](QObject* box) { return box->objectName().toStdString(); };
    for (auto* box : window->findChildren<QSpinBox*>())
        values[name(box)] = std::to_string(box->value());
    for (auto* box : window->findChildren<QDoubleSpinBox*>())
        values[name(box)] = std::to_string(box->value());
    for (auto* box : window->findChildren<QCheckBox*>())
        values[name(box)] = box->isChecked() ? "on" : "off";
    for (auto* box : window->findChildren<QComboBox*>())
        values[name(box)] = box->currentText().toStdString();
    return values;
}

std::size_t filesIn(const std::string& directory) {
    std::error_code error;
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(directory, error),
                      std::filesystem::directory_iterator()));
}

class ConversionE2eTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        vantory::cloudview::initialiseX11Threads();
        if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    }

    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        qputenv("VANTORY_EXPORT_DIR", work_.filePath("exports").toLocal8Bit());
        const std::string failed =
            rig_.start({kCameraAddress, kImagePort, std::nullopt, {}}, viewertest::quietCameraAt(kCameraAddress), kWaitMs);
        ASSERT_TRUE(failed.empty()) << failed;
    }

    void TearDown() override { qunsetenv("VANTORY_EXPORT_DIR"); }

    Ui::MainWindow& ui() { return rig_.ui(); }
    QWidget* filterWindow() { return rig_.window().filterSettingsWindow(); }
    QString messageTitle() {
        vantory::GuiContext* ctx = rig_.window().context();
        std::lock_guard<std::mutex> lock(ctx->textMutex);
        return ctx->messageTitle;
    }

    // `count` record files of another model in the directory `name`, chosen by the next
    // file dialog.
    QStringList writeRecording(const std::string& name, int count) {
        const std::string recording = work_.filePath(QString::fromStdString(name)).toStdString();
        std::filesystem::create_directories(recording);
        vantory_test::PacketPlan plan = vantory_test::wallPlan();
        plan.model = kOtherModel;
        QStringList files;
        for (int k = 0; k < count; ++k) {
            const std::string path = recording + "/" + std::to_string(k) + ".xbin";
            vantory_test::writeRecordFileOf(plan, path);
            files << QString::fromStdString(path);
        }
        return files;
    }

    // The converted clouds are compared with the frames decoded straight from their files,
    // so once the camera's scene has switched its filters on (with the model read after
    // connecting), every filter goes off, the way the filter window switches them off (some
    // of them work across frames).
    void switchFiltersOff() {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !rig_.window().context()->modelName.empty(); }, kWaitMs));
        vantory::filters::FilterControls off;
        off.edgeOn = off.medianOn = off.kalmanOn = off.dustOn = off.reflectivityOn = false;
        off.cloudFilterOn = off.dynamicsOn = off.smoothOn = off.averageOn = false;
        vantory::filters::MvSdkFilterSink sink(*rig_.window().context()->sdk);
        vantory::filters::applySdkFilters(sink, off);
        auto* cloudFilterOn =
            filterWindow()->findChild<QCheckBox*>(QStringLiteral("checkBox_pclfilter_on"));
        ASSERT_NE(cloudFilterOn, nullptr);
        cloudFilterOn->setChecked(false);
    }

    // Each of `files` was converted to `out`/k.pcd holding the points of its own frame.
    static void expectCloudsOfTheirFiles(const std::string& out, const QStringList& files) {
        Movoda::exporters::RecordFrameLoader loader;
        for (int k = 0; k < files.size(); ++k) {
            pcl::PointCloud<pcl::PointXYZI> cloud;
            ASSERT_EQ(pcl::io::loadPCDFile(out + "/" + std::to_string(k) + ".pcd", cloud), 0) << k;
            ASSERT_EQ(cloud.width, 320u);
            ASSERT_EQ(cloud.height, 240u);
            const auto frame = loader.load(files[k].toStdString()).frame;
            ASSERT_TRUE(frame);
            size_t finite = 0;
            for (size_t i = 0; i < cloud.size(); ++i) {
                const float* p = frame->cloudData() + 4 * i;
                if (!std::isfinite(cloud[i].z)) continue;
                ++finite;
                ASSERT_NEAR(cloud[i].z, p[2], 1e-4) << "file " << k << " point " << i;
            }
            EXPECT_GT(finite, cloud.size() / 2);
        }
    }

    viewertest::ScratchDirectory work_;
    viewertest::ViewerRig rig_;
};

TEST_F(ConversionE2eTest, RecordingConvertsToPcdFilesNamedAfterTheRecordFiles) {
    QStringList files = writeRecording("rec", 4);
    const std::string damaged = work_.filePath("rec/4.xbin").toStdString();
    std::ofstream(damaged, std::ios::binary) << "short";
    files << QString::fromStdString(damaged);
    rig_.window().records()->setFileChooser([files] { return files; });
    switchFiltersOff();
    const WidgetValues cameraSettings = filterWindowValues(filterWindow());

    vantory::exports::ExportController& exports = *rig_.window().exports();
    exports.convertRecordsToPcd();
    EXPECT_TRUE(exports.panel().bar()->isVisible());
    EXPECT_TRUE(exports.panel().cancelButton()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return messageTitle() == "xbin to pcd finish"; }, kWaitMs))
        << messageTitle().toStdString();
    EXPECT_EQ(exports.panel().bar()->maximum(), 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !exports.panel().bar()->isVisible(); }, 1000));
    EXPECT_EQ(exports.conversion().counts().failed, 1);

    const std::string out = work_.filePath("rec_pcd").toStdString();
    expectCloudsOfTheirFiles(out, files.mid(0, 4));
    EXPECT_FALSE(std::filesystem::exists(out + "/4.pcd"));
    // The recording's model did not replace the connected camera's settings.
    EXPECT_EQ(filterWindowValues(filterWindow()), cameraSettings);

    // The same recording again is refused: the earlier output stays as it is.
    exports.convertRecordsToPcd();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messageTitle() == "xbin to pcd failed"; }, kWaitMs));
    rig_.window().context()->sdk->setPlaybackMode(0);
}

// The camera streams when the conversion starts: its frames must not be taken for the
// played ones (nor written before the output directory is known), and Start afterwards
// streams the camera again under its own model.
TEST_F(ConversionE2eTest, ConversionWhileTheCameraStreamsSavesOnlyThePlayedFrames) {
    const QStringList files = writeRecording("live", 4);
    rig_.window().records()->setFileChooser([files] { return files; });
    switchFiltersOff();
    const WidgetValues cameraSettings = filterWindowValues(filterWindow());
    const QString cameraSerial = ui().label_sn->text();
    ui().pushBtn_start->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui().label_fps->text().contains("tick:"); }, kWaitMs));

    vantory::exports::ExportController& exports = *rig_.window().exports();
    exports.convertRecordsToPcd();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messageTitle() == "xbin to pcd finish"; }, kWaitMs))
        << messageTitle().toStdString();
    EXPECT_EQ(exports.conversion().counts().failed, 0);
    const std::string out = work_.filePath("live_pcd").toStdString();
    EXPECT_EQ(filesIn(out), 4u);
    expectCloudsOfTheirFiles(out, files);
    EXPECT_TRUE(ui().label_sn->text().startsWith("play:")) << ui().label_sn->text().toStdString();
    EXPECT_EQ(filterWindowValues(filterWindow()), cameraSettings);

    ui().pushBtn_start->click();
    EXPECT_EQ(ui().label_sn->text().toStdString(), cameraSerial.toStdString());
    std::set<std::string> playedNames;
    for (const QString& file : files)
        playedNames.insert(vantory::records::playedFrameName(file.toStdString()));
    vantory::GuiContext* ctx = rig_.window().context();
    const auto cameraFrameShown = [&] {
        std::lock_guard<std::mutex> lock(ctx->frameMutex);
        return ctx->lastFrame && playedNames.count(ctx->lastFrame->name()) == 0;
    };
    EXPECT_TRUE(QTest::qWaitFor(cameraFrameShown, kWaitMs))
        << "the camera's frames did not come back";
    EXPECT_EQ(filterWindowValues(filterWindow()), cameraSettings);
    ui().pushBtn_stop->click();
}

}  // namespace
