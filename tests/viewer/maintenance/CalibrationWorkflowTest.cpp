// The calibration run against the simulated camera on 127.0.0.62 (image port 9462): the
// start commands, the camera's log lines turned into progress, and the watchdog.
#include <gtest/gtest.h>

#include <deque>

#include "CalibrationWorkflow.h"
#include "RecordingOutput.h"
#include "SimulatedCamera.h"

namespace vantory::maintenance {
namespace {

using namespace std::chrono_literals;

constexpr const char* kCameraAddress = "127.0.0.62";
constexpr uint16_t kImagePort = 9462;
constexpr uint8_t kDeviceLog = 209;
const QString kGreen = QStringLiteral("color:green");
const QString kRed = QStringLiteral("color:red");

class CalibrationWorkflowTest : public ::testing::Test {
protected:
    void SetUp() override {
        camsim::SimOptions options;
        options.bindAddress = kCameraAddress;
        options.calibrationSeconds = 0.5;
        ASSERT_NO_FATAL_FAILURE(sim_.start(options, kImagePort));
        // Log lines arrive on an SDK thread; the workflow takes them on this one.
        sim_.onEvent([this](const Movoda::CBEventData& event) {
            if (event.cmdId != kDeviceLog) return;
            std::lock_guard<std::mutex> lock(linesMutex_);
            lines_.emplace_back(event.data.begin(), event.data.end());
        });
        workflow_ = std::make_unique<CalibrationWorkflow>(sim_.sdk(), output_, true);
    }
    // The SDK goes before the lines its handler fills.
    void TearDown() override { sim_.stop(); }
    // Feeds the camera's log lines to the workflow until the run has finished.
    bool runToTheEnd() {
        return testsupport::SimulatedCamera::waitFor(
            [this] {
                std::deque<std::string> lines;
                {
                    std::lock_guard<std::mutex> lock(linesMutex_);
                    lines.swap(lines_);
                }
                for (const std::string& line : lines) workflow_->watchLogLine(line);
                return workflow_->state() == kCalibrationIdle;
            },
            10s);
    }
    StatusShown lastStatus(int target) {
        StatusShown last;
        for (const StatusShown& s : output_.shown().statuses) {
            if (s.target == target) last = s;
        }
        return last;
    }

    testsupport::SimulatedCamera sim_;
    RecordingOutput output_;
    std::unique_ptr<CalibrationWorkflow> workflow_;
    std::mutex linesMutex_;
    std::deque<std::string> lines_;
};

TEST_F(CalibrationWorkflowTest, CancellingTheQuestionSendsNothing) {
    sim_.camera().clearReceivedCommands();
    EXPECT_FALSE(workflow_->start(CalibrationSetup{0, true, 100}, [] { return false; }));
    for (uint8_t id : sim_.receivedIds()) EXPECT_EQ(id, 0) << "sent " << int(id);
    EXPECT_TRUE(output_.shown().statuses.empty());
    EXPECT_EQ(workflow_->state(), kCalibrationIdle);
}

TEST_F(CalibrationWorkflowTest, StartsTheChosenRunAndFollowsItsLogToTheEnd) {
    struct Row {
        CalibrationSetup setup;
        std::vector<uint8_t> setupBytes;
        uint8_t startId;
        std::vector<uint8_t> startBytes;
        const char* name;
    };
    const Row rows[] = {
        {{3, true, 1500}, {1, 1, 0xDC, 0x05}, 153, {3}, "标定模组 3M"},
        {{7, false, 0}, {1, 0, 0, 0}, 153, {4}, "标定模组 1.5M"},
        {{std::nullopt, false, 2000}, {1, 0, 0xD0, 0x07}, 152, {}, "标定模组 ALL"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim_.camera().clearReceivedCommands();
        output_.clear();
        ASSERT_TRUE(workflow_->start(row.setup, [] { return true; }));
        EXPECT_EQ(sim_.payloadsOf(154), std::vector<std::vector<uint8_t>>{row.setupBytes});
        EXPECT_EQ(sim_.payloadsOf(row.startId), std::vector<std::vector<uint8_t>>{row.startBytes});
        EXPECT_EQ(workflow_->state(), kCalibrationRunning);
        EXPECT_EQ(lastStatus(kTargetCalibrationName),
                  (StatusShown{QString::fromUtf8(row.name), kGreen, kTargetCalibrationName}));
        EXPECT_EQ(lastStatus(kTargetCalibrationResult),
                  (StatusShown{QString::fromUtf8("进行中"), kGreen, kTargetCalibrationResult}));

        ASSERT_TRUE(runToTheEnd());
        const std::vector<int> progress = output_.shown().calibrationProgress;
        EXPECT_EQ(progress.front(), -1);
        EXPECT_TRUE(std::is_sorted(progress.begin() + 1, progress.end()));
        EXPECT_EQ(progress.back(), 100);
        EXPECT_EQ(lastStatus(kTargetCalibrationResult),
                  (StatusShown{QString::fromUtf8("完成"), kGreen, kTargetCalibrationResult}));
        // The camera is idle again before the next row.
        ASSERT_TRUE(testsupport::SimulatedCamera::waitFor(
            [this] { return sim_.camera().deviceState() == 2; }, 5s));
    }
}

TEST_F(CalibrationWorkflowTest, LogLinesSetTheProgressOfTheirKeyword) {
    struct Row {
        const char* line;
        int progress;
        int state;
    };
    // One run, line after line; a later keyword in the same line wins.
    const Row rows[] = {
        {"[cal] calibration:flash:write", 76, kCalibrationIdle},  // no start seen: no run
        {"calibration:start", 1, kCalibrationRunning},
        {"calibration:temperature 35C calibration:flash:erase", 60, kCalibrationRunning},
        {"temperature 35C, no keyword", 60, kCalibrationRunning},
        {"Calibration:Verify:Step", 60, kCalibrationRunning},  // keywords are case-sensitive
        {"calibration:verify:step 1/1", 96, kCalibrationRunning},
        {"calibration:finish", 100, kCalibrationIdle},
    };
    for (const Row& row : rows) {
        workflow_->watchLogLine(row.line);
        EXPECT_EQ(output_.shown().calibrationProgress.back(), row.progress) << row.line;
        EXPECT_EQ(workflow_->state(), row.state) << row.line;
    }
}

TEST_F(CalibrationWorkflowTest, SeventeenSilentTicksFailTheRun) {
    workflow_->watchLogLine("calibration:start");
    workflow_->tick();  // the line above keeps this one quiet
    for (int tick = 1; tick <= 10; ++tick) workflow_->tick();
    workflow_->watchLogLine("calibration:calibrate:step 1/3");  // starts the count again
    workflow_->tick();
    for (int silent = 1; silent <= 16; ++silent) {
        workflow_->tick();
        EXPECT_EQ(workflow_->state(), kCalibrationRunning) << "silent tick " << silent;
    }
    workflow_->tick();
    EXPECT_EQ(workflow_->state(), kCalibrationIdle);
    EXPECT_EQ(lastStatus(kTargetCalibrationResult),
              (StatusShown{QStringLiteral("Fail"), kRed, kTargetCalibrationResult}));
    const std::size_t shown = output_.shown().statuses.size();
    workflow_->tick();  // an idle workflow watches nothing
    EXPECT_EQ(output_.shown().statuses.size(), shown);
}

}  // namespace
}  // namespace vantory::maintenance
