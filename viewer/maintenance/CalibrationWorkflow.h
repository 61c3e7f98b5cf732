// The calibration run: the camera calibrates itself; this starts it, turns the camera's
// log lines into progress and gives up when the log falls silent. GUI thread only; the
// window asks the question and feeds log lines and watchdog ticks.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "DeviceSettings.h"
#include "MaintenanceOutput.h"

namespace Movoda {
class MvSdk;
}

namespace vantory::maintenance {

constexpr int kCalibrationIdle = 0;
constexpr int kCalibrationRunning = 3;
// Watchdog ticks (3 s each) without a log line that a run survives: the next one fails it.
constexpr int kCalibrationSilentTicks = 16;

struct CalibrationSetup {
    std::optional<int> frequencyIndex;  // empty: every frequency
    bool withLens = false;
    int lensBaseDistance = 0;
};

// "标定模组 12M" ... by the frequency list index, "标定模组 ALL" for every frequency.
QString calibrationName(const std::optional<int>& frequencyIndex);

class CalibrationWorkflow {
public:
    CalibrationWorkflow(Movoda::MvSdk& sdk, MaintenanceOutput& output, bool english)
        : sdk_(sdk), output_(output), english_(english) {}

    // Asks first; nothing is sent unless the answer is yes. True when the run was started.
    bool start(const CalibrationSetup& setup, const Confirm& confirm);
    // Every device log line.
    void watchLogLine(const std::string& line);
    // Every 3 s.
    void tick();

    int state() const { return state_; }
    int progress() const { return progress_; }

private:
    void showResult(const QString& text, const QString& style);

    Movoda::MvSdk& sdk_;
    MaintenanceOutput& output_;
    bool english_;
    int state_ = kCalibrationIdle;
    bool logSeen_ = false;
    int idleTicks_ = 0;
    int progress_ = 0;
};

}  // namespace vantory::maintenance
