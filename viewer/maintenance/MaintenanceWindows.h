// The maintenance side of the viewer: device settings, firmware update and calibration,
// with their windows' widgets wired. The main window owns one and forwards to it.
#pragma once

#include <memory>

#include "CalibrationPanel.h"
#include "CalibrationWorkflow.h"
#include "DeviceSettingsPanel.h"
#include "FirmwareStatus.h"
#include "FirmwareUpdate.h"

namespace vantory::maintenance {

struct MaintenanceForms {
    Ui::DevSettings& devSettings;
    QWidget& devSettingsWindow;
    Ui::Calibration& calibration;
    QWidget& calibrationWindow;
};

class MaintenanceWindows {
public:
    MaintenanceWindows(const MaintenanceForms& forms, Movoda::MvSdk& sdk, MaintenanceOutput& output,
                       const TextSet& texts, MainWindowHooks hooks,
                       service::UpdateTimings firmwareTimings = {});
    // Ends a running firmware transfer before the SDK can go away.
    ~MaintenanceWindows();

    service::FirmwareUpdate& firmware() { return firmware_; }
    CalibrationWorkflow& calibration() { return calibration_; }
    DeviceSettingsPanel& deviceSettings() { return devicePanel_; }
    CalibrationPanel& calibrationPanel() { return calibrationPanel_; }

private:
    FirmwareStatus firmwareStatus_;
    service::FirmwareUpdate firmware_;
    CalibrationWorkflow calibration_;
    DeviceSettingsPanel devicePanel_;
    CalibrationPanel calibrationPanel_;
};

}  // namespace vantory::maintenance
