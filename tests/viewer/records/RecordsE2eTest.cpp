// Recording and playback in the real main window with the real SDK against the simulated
// camera (in this process, on 127.0.0.135, image port 8135): the Record button writes
// 0.xbin .. 99.xbin, playing them back delivers byte-identical frame packets through the
// SDK, and Start during playback ends the playback thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "FramePath.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "RecordsController.h"
#include "ViewerRig.h"
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
        qputenv("VANTORY_EXPORT_DIR", work_.filePath("exports").toLocal8Bit());
        camsim::SimOptions sim = viewertest::quietCameraAt(kCameraAddress);
        sim.scene.name = "room";
        sim.config.maxFps = 30;
        const std::string failed = rig_.start({kCameraAddress, kImagePort, kDistAmpIndex, {}}, sim, kWaitMs);
        ASSERT_TRUE(failed.empty()) << failed;
    }

    void TearDown() override { qunsetenv("VANTORY_EXPORT_DIR"); }

    Ui::MainWindow& ui() { return rig_.ui(); }
    vantory::records::RecordsController& records() { return *rig_.window().records(); }

    // Which recorded frames the frame path saw during playback; outlive the window.
    std::mutex playedMutex_;
    std::vector<bool> seen_;
    viewertest::ScratchDirectory work_;
    viewertest::ViewerRig rig_;
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
    // Playback loops, so a frame the SDK replaced by a newer one on a busy machine comes
    // round again; a live frame still on its way when streaming stopped may come too.
    std::vector<std::vector<uint8_t>> recorded;
    for (const QString& file : files) {
        const std::vector<uint8_t> bytes = fileBytes(file);
        recorded.emplace_back(bytes.begin() + 4, bytes.end());
    }
    std::mutex& mutex = playedMutex_;
    std::vector<bool>& seen = seen_;
    seen.assign(recorded.size(), false);
    rig_.window().framePath()->setFrameExporter([&mutex, &seen, &recorded](const vantory::FramePtr& frame, const char*,
                                                                         const char*) {
        const auto match = std::find(recorded.begin(), recorded.end(), frame->packet());
        std::lock_guard<std::mutex> lock(mutex);
        if (match != recorded.end()) seen[static_cast<std::size_t>(match - recorded.begin())] = true;
    });
    records().setFileChooser([&]() { return files; });
    ui().spinBox_playfps->setValue(100);
    ui().pushBtn_loadfiles->click();
    const auto allSeen = [&]() {
        std::lock_guard<std::mutex> lock(mutex);
        return std::all_of(seen.begin(), seen.end(), [](bool b) { return b; });
    };
    waitUntil(allSeen);
    rig_.window().framePath()->setFrameExporter(nullptr);
    std::lock_guard<std::mutex> lock(mutex);
    for (std::size_t k = 0; k < seen.size(); ++k) EXPECT_TRUE(seen[k]) << "recorded frame " << k << " never played";
    EXPECT_TRUE(ui().label_sn->text().startsWith("play:")) << ui().label_sn->text().toStdString();
    EXPECT_TRUE(rig_.window().cloudView() != nullptr);
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
    EXPECT_EQ(rig_.window().context()->sdk->getPlaybackMode(), 0);
    ASSERT_TRUE(waitUntil([&]() { return !records().playback().running(); }));
    EXPECT_TRUE(waitUntil([&]() { return ui().pushButton_play->text() == "Play"; }));
    ui().pushBtn_stop->click();
}

}  // namespace
