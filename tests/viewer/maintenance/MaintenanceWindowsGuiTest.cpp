// The device-settings and calibration windows' widgets, wired by MaintenanceWindows,
// against the simulated camera on 127.0.0.172 (image port 9472): what a click or a changed
// box sends and what the window shows afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

#include "LanguageTexts.h"
#include "MaintenanceWindows.h"
#include "RecordingOutput.h"
#include "SimulatedCamera.h"
#include "ui_Calibration.h"
#include "ui_DevSettings.h"

namespace vantory::maintenance {
namespace {

using namespace std::chrono_literals;

constexpr const char* kCameraAddress = "127.0.0.172";
constexpr uint16_t kImagePort = 9472;
constexpr int kWaitMs = 10000;

int g_argc = 1;
char g_name[] = "maintenance_gui_test";
char* g_argv[] = {g_name, nullptr};

// Presses `button` in the question box the next click opens.
void answerNextQuestion(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->button(button)) {
            ADD_FAILURE() << "no question box";
            if (box) box->reject();
            return;
        }
        box->button(button)->click();
    });
}

class MaintenanceWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    }
    void SetUp() override {
        devUi_.setupUi(&devWindow_);
        calibrationUi_.setupUi(&calibrationWindow_);
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override { close(); }

    void open(const camsim::SimOptions& extra = {}) {
        camsim::SimOptions options = extra;
        options.bindAddress = kCameraAddress;
        options.firmwareReportDelaySeconds = 0.1;
        ASSERT_NO_FATAL_FAILURE(sim_.start(options, kImagePort));
        MainWindowHooks hooks;
        hooks.reloadControls = [] {};
        hooks.saveToDevice = [] {};
        hooks.stopStreaming = [this] { ++stops_; };
        hooks.setExposureMaximum = [this](int us) { exposureMaxima_.push_back(us); };
        const MaintenanceForms forms{devUi_, devWindow_, calibrationUi_, calibrationWindow_};
        windows_ = std::make_unique<MaintenanceWindows>(
            forms, sim_.sdk(), output_, TextSet::forLanguage(Language::English), std::move(hooks),
            service::UpdateTimings{0ms, 250ms, 30, 1ms});
        sim_.onEvent(
            [this](const Movoda::CBEventData& e) { windows_->firmware().handleReport(e); });
        sim_.camera().clearReceivedCommands();
    }
    void close() {
        sim_.onEvent(nullptr);
        windows_.reset();
        sim_.stop();
    }
    bool waitForCommand(uint8_t id, std::size_t count = 1) {
        return QTest::qWaitFor([&] { return sim_.payloadsOf(id).size() >= count; }, kWaitMs);
    }

    QTemporaryDir dir_;
    QWidget devWindow_, calibrationWindow_;
    Ui::DevSettings devUi_;
    Ui::Calibration calibrationUi_;
    testsupport::SimulatedCamera sim_;
    RecordingOutput output_;
    std::unique_ptr<MaintenanceWindows> windows_;
    int stops_ = 0;
    std::vector<int> exposureMaxima_;
};

TEST_F(MaintenanceWindowsTest, RegionBoxesShowTheRegionSent) {
    ASSERT_NO_FATAL_FAILURE(open());
    devUi_.spinBox_roi_x1->setValue(310);
    devUi_.spinBox_roi_x0->setValue(300);
    EXPECT_EQ(devUi_.spinBox_roi_x0->value(), 290);
    devUi_.spinBox_roi_y0->setValue(20);
    EXPECT_EQ(devUi_.spinBox_roi_y1->value(), 219);
    devUi_.spinBox_roi_y1->setValue(100);  // follows y0 whatever is typed
    EXPECT_EQ(devUi_.spinBox_roi_y1->value(), 219);
    EXPECT_EQ(sim_.payloadsOf(51).back(), (std::vector<uint8_t>{0x22, 1, 20, 0, 0x36, 1, 219, 0}));
}

TEST_F(MaintenanceWindowsTest, QuestionsAnsweredNoSendNothing) {
    ASSERT_NO_FATAL_FAILURE(open());
    answerNextQuestion(QMessageBox::No);
    devUi_.pushButtonResetDev->click();
    answerNextQuestion(QMessageBox::No);
    devUi_.pushButtonRestoreDefault->click();
    answerNextQuestion(QMessageBox::No);
    calibrationUi_.pushButtonStartCal->click();
    for (uint8_t id : sim_.receivedIds()) EXPECT_EQ(id, 0) << "sent " << int(id);
}

TEST_F(MaintenanceWindowsTest, LightEnergyReadTakesOnlyATwoByteAnswer) {
    for (uint8_t answerSize : {2, 4}) {
        SCOPED_TRACE(int(answerSize));
        camsim::SimOptions options;
        options.identity.lightEnergyAnswerSize = answerSize;
        ASSERT_NO_FATAL_FAILURE(open(options));
        devUi_.spinBox_maxpower->setValue(1234);
        devUi_.pushButton_maxpowerset->click();
        devUi_.spinBox_maxpower->setValue(7);
        devUi_.pushButton_maxpowerget->click();
        EXPECT_EQ(sim_.payloadsOf(59).back(), (std::vector<uint8_t>{2, 7, 0}));
        EXPECT_EQ(devUi_.spinBox_maxpower->value(), answerSize == 2 ? 1234 : 7);
        close();
    }
}

TEST_F(MaintenanceWindowsTest, MaximumIntegrationTimeSendsItsLevelAndLimitsTheExposures) {
    ASSERT_NO_FATAL_FAILURE(open());
    windows_->deviceSettings().showDeveloperFields();  // raises 2500 to 3000 and applies it
    EXPECT_FALSE(devUi_.groupBoxDebug->isHidden());
    EXPECT_EQ(devUi_.spinBoxMaxInt->value(), 3000);
    devUi_.spinBoxMaxInt->setValue(3001);
    EXPECT_EQ(sim_.payloadsOf(57), (std::vector<std::vector<uint8_t>>{{1}, {2}}));
    EXPECT_EQ(exposureMaxima_, (std::vector<int>{3000, 3001}));
}

TEST_F(MaintenanceWindowsTest, FirmwareButtonUpdatesAConnectedCameraOnly) {
    ASSERT_NO_FATAL_FAILURE(open());
    const std::string path = dir_.filePath(QStringLiteral("fw.bin")).toStdString();
    {
        std::vector<char> image(5000, 0x5A);
        const char mark[] = {char(0xDF), char(0xD5), 0x0A, 0x00};
        std::copy(mark, mark + 4, image.begin());
        std::ofstream(path, std::ios::binary).write(image.data(), std::streamsize(image.size()));
    }
    int asked = 0;
    windows_->deviceSettings().setFileChooser(
        [&](QWidget*, const QString& title, const QString&, const QString& filter) {
            ++asked;
            EXPECT_EQ(title, QStringLiteral("select firmware file"));
            EXPECT_EQ(filter, QStringLiteral("bin Files (*.bin)"));
            return QString::fromStdString(path);
        });
    devUi_.pushButtonFWUpdate->click();
    EXPECT_EQ(stops_, 1);
    const StatusShown finished{QStringLiteral("Finish"), QStringLiteral("color:green"), 0};
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto statuses = output_.shown().statuses;
            return !statuses.empty() && statuses.back() == finished;
        },
        kWaitMs));
    EXPECT_EQ(output_.shown().deviceProgress.back(), 100);
    EXPECT_EQ(output_.shown().messages,
              std::vector<QString>{QStringLiteral("Info: update successed")});
    EXPECT_EQ(sim_.payloadsOf(49).size(), 1u + 5u + 1u);

    sim_.camera().stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sim_.sdk().isConnected(); }, kWaitMs));
    output_.clear();
    devUi_.pushButtonFWUpdate->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(stops_, 1);
    EXPECT_EQ(
        output_.shown().messages,
        std::vector<QString>{QStringLiteral("Info: Confirm device is connected successfully")});
}

}  // namespace
}  // namespace vantory::maintenance
