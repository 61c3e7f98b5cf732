// Handlers whose behaviour belongs to later work on the viewer: camera controls,
// records, playback, export, developer modes, filters, maintenance and the full
// settings store. Each does nothing until that work fills it in; none pretends
// to have done anything.
#include "DevModeConstants.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "MaintenanceWindows.h"
#include "UiUpdateCodes.h"
#include "ViewerConstants.h"
#include "ExportController.h"
#include "ui_Calibration.h"
#include "ui_DevSettings.h"
#include "ui_MainWindow.h"

using namespace vantory;

// ---- Auxiliary windows (complete) ----------------------------------------------------

void MainWindow::on_pushButton_filtersettings_clicked() {
    filterWindow_->show();
    filterWindow_->activateWindow();
}

void MainWindow::on_pushBtn_calibration_clicked() {
    calibrationWindow_->show();
    calibrationWindow_->activateWindow();
}

void MainWindow::on_pushBtn_configdev_clicked() {
    ctx_->raise(kUpdateDeviceRefresh);
    ctx_->raise(kUpdateReloadDevConfig);
    maintenance_->deviceSettings().open((ctx_->modes & devmodes::kModeFactoryTestBit) != 0);
}


void MainWindow::on_pushBtn_savepcd_clicked() {
    exports_->saveViewerCloudPcd();
}
void MainWindow::on_pushButtonSave2csv_clicked() {
    exports_->saveCsv();
}
void MainWindow::on_pushBtnGSImage_clicked() {
    exports_->saveImages();
}


// ---- Maintenance: device settings, firmware update, calibration ---------------------

void MainWindow::createMaintenance() {
    maintenance::MainWindowHooks hooks;
    hooks.reloadControls = [this] { reloadFromDeviceConfig(); };
    hooks.saveToDevice = [this] { on_pushButton_save2dev_clicked(); };
    hooks.stopStreaming = [this] { on_pushBtn_stop_clicked(); };
    hooks.setExposureMaximum = [this](int maxIntegrationUs) {
        setExposureMaximum(maxIntegrationUs);
    };
    const maintenance::MaintenanceForms forms{*devUi_, *devWindow_, *calibrationUi_,
                                              *calibrationWindow_};
    maintenance_ = std::make_unique<maintenance::MaintenanceWindows>(forms, *ctx_->sdk, *ctx_,
                                                                     *texts_, std::move(hooks));
}

void MainWindow::setExposureMaximum(int maxIntegrationUs) {
    for (QSpinBox* box : {ui_->spinBox_int1, ui_->spinBox_int2, ui_->spinBox_int3,
                          ui_->spinBox_int4, ui_->spinBox_int5}) {
        box->setMaximum(maxIntegrationUs);
    }
}

// No calibration-data transfer runs in this program: its reports are not used.
void MainWindow::handleCalibrationReport(const std::shared_ptr<const Movoda::CBEventData>&) {}

void MainWindow::handleFirmwareReport(const std::shared_ptr<const Movoda::CBEventData>& event) {
    maintenance_->firmware().handleReport(*event);
}

void MainWindow::watchCalibrationProgress(const QString& line) {
    maintenance_->calibration().watchLogLine(line.toStdString());
}

void MainWindow::tickCalibrationWatchdog() {
    maintenance_->calibration().tick();
}

void MainWindow::tickCommandWatchdog() {
    maintenance_->firmware().tick();
}
