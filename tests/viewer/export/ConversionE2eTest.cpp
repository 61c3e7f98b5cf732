// A batch conversion through the real main window: the record files are played through the
// real SDK (the simulated camera connected on 127.0.0.216, image port 8216), the frame path
// saves each frame, the progress panel follows, and a second run is refused.
#include <gtest/gtest.h>
#include <pcl/io/pcd_io.h>

#include <QApplication>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <memory>
#include <mutex>

#include "ExportController.h"
#include "FilterSender.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "RecordFileFixture.h"
#include "RecordsController.h"
#include "ViewerRig.h"
#include "X11Support.h"
#include "export/RecordFrameLoader.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace {

int g_argc = 1;
char g_name[] = "export_e2e_test";
char* g_argv[] = {g_name, nullptr};

constexpr const char* kCameraAddress = "127.0.0.216";
constexpr std::uint16_t kImagePort = 8216;
constexpr int kWaitMs = 30000;

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
    QString messageTitle() {
        vantory::GuiContext* ctx = rig_.window().context();
        std::lock_guard<std::mutex> lock(ctx->textMutex);
        return ctx->messageTitle;
    }

    viewertest::ScratchDirectory work_;
    viewertest::ViewerRig rig_;
};

TEST_F(ConversionE2eTest, RecordingConvertsToPcdFilesNamedAfterTheRecordFiles) {
    const std::string recording = work_.filePath("rec").toStdString();
    std::filesystem::create_directories(recording);
    // Recorded by the model of the connected camera: a recording of another model makes the
    // window load that model's scene (and its filters) while the conversion runs.
    vantory_test::PacketPlan plan = vantory_test::wallPlan();
    plan.model = "MK150PLUS";
    QStringList files;
    for (int k = 0; k < 4; ++k) {
        const std::string path = recording + "/" + std::to_string(k) + ".xbin";
        vantory_test::writeRecordFileOf(plan, path);
        files << QString::fromStdString(path);
    }
    const std::string damaged = recording + "/4.xbin";
    std::ofstream(damaged, std::ios::binary) << "short";
    files << QString::fromStdString(damaged);
    rig_.window().records()->setFileChooser([files] { return files; });
    // The converted clouds are compared with the frames decoded straight from their files,
    // so once the camera's scene has switched its filters on (with the model read after
    // connecting), every filter goes off, the way
    // the filter window switches them off (some of them work across frames).
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig_.window().context()->modelName.empty(); }, kWaitMs));
    {
        vantory::filters::FilterControls off;
        off.edgeOn = off.medianOn = off.kalmanOn = off.dustOn = off.reflectivityOn = false;
        off.cloudFilterOn = off.dynamicsOn = off.smoothOn = off.averageOn = false;
        vantory::filters::MvSdkFilterSink sink(*rig_.window().context()->sdk);
        vantory::filters::applySdkFilters(sink, off);
    }
    auto* cloudFilterOn =
        rig_.window().filterSettingsWindow()->findChild<QCheckBox*>(QStringLiteral("checkBox_pclfilter_on"));
    ASSERT_NE(cloudFilterOn, nullptr);
    cloudFilterOn->setChecked(false);

    vantory::exports::ExportController& exports = *rig_.window().exports();
    exports.convertRecordsToPcd();
    EXPECT_TRUE(exports.panel().bar()->isVisible());
    EXPECT_TRUE(exports.panel().cancelButton()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return messageTitle() == "xbin to pcd finish"; }, kWaitMs))
        << messageTitle().toStdString();
    EXPECT_EQ(exports.panel().bar()->maximum(), 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !exports.panel().bar()->isVisible(); }, 1000));
    EXPECT_EQ(exports.conversion().counts().failed, 1);

    const std::string out = recording + "_pcd";
    Movoda::exporters::RecordFrameLoader loader;
    for (int k = 0; k < 4; ++k) {
        pcl::PointCloud<pcl::PointXYZI> cloud;
        ASSERT_EQ(pcl::io::loadPCDFile(out + "/" + std::to_string(k) + ".pcd", cloud), 0) << k;
        ASSERT_EQ(cloud.width, 320u);
        ASSERT_EQ(cloud.height, 240u);
        // The same points as the frame decoded straight from its file.
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
    EXPECT_FALSE(std::filesystem::exists(out + "/4.pcd"));

    // The same recording again is refused: the earlier output stays as it is.
    exports.convertRecordsToPcd();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messageTitle() == "xbin to pcd failed"; }, kWaitMs));
    rig_.window().context()->sdk->setPlaybackMode(0);
}

}  // namespace
