// Where the maintenance work shows its state: the main window's set-status, set-progress
// and timed-message operations. Callable from any thread; the window shows the change on
// its own thread.
#pragma once

#include <QString>

namespace vantory::maintenance {

enum StatusTarget : int {
    kTargetDeviceSettings = 0,     // firmware progress bar and result label
    kTargetCalibrationName = 1,    // name of the running calibration
    kTargetCalibrationResult = 2,  // calibration progress bar and result label
};

class MaintenanceOutput {
public:
    virtual ~MaintenanceOutput() = default;
    virtual void setStatus(const QString& text, const QString& style, int target) = 0;
    virtual void setProgress(int value, bool calibration) = 0;
    virtual void timedMessage(const QString& title, const QString& text) = 0;
};

}  // namespace vantory::maintenance
