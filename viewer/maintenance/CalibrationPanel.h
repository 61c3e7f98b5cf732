// The calibration window's controls wired to the calibration run and the lens/IMU
// parameter import. The log panel itself is the main window's.
#pragma once

#include <QObject>

#include "CalibrationWorkflow.h"
#include "DeviceSettingsPanel.h"

namespace Ui {
class Calibration;
}

namespace vantory {
class TextSet;
}

namespace vantory::maintenance {

class CalibrationPanel : public QObject {
    Q_OBJECT
public:
    CalibrationPanel(Ui::Calibration& ui, QWidget& window, Movoda::MvSdk& sdk,
                     CalibrationWorkflow& workflow, const TextSet& texts);

    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

private:
    void startCalibration(bool allFrequencies);
    void importCameraParameters();

    Ui::Calibration& ui_;
    QWidget& window_;
    Movoda::MvSdk& sdk_;
    CalibrationWorkflow& workflow_;
    const TextSet& texts_;
    FileChooser chooseFile_;
};

}  // namespace vantory::maintenance
