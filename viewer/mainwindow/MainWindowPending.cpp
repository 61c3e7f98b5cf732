// Handlers whose behaviour belongs to later work on the viewer: camera controls,
// records, playback, export, developer modes, filters, maintenance and the full
// settings store. Each does nothing until that work fills it in; none pretends
// to have done anything.
#include "GuiContext.h"
#include "MainWindow.h"
#include "UiUpdateCodes.h"
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
    devWindow_->show();
    devWindow_->activateWindow();
}

// ---- Camera controls: filled by the camera-controls work ---------------------------

void MainWindow::on_cmbBox_hdrmode_currentIndexChanged(int) {}
void MainWindow::on_spinBox_int1_valueChanged(int) {}
void MainWindow::on_spinBox_minamp_valueChanged(int) {}
void MainWindow::on_spinBox_mindist_valueChanged(int) {}
void MainWindow::on_spinBox_maxFps_valueChanged(int) {}
void MainWindow::on_comboBox_channel_currentIndexChanged(int) {}
void MainWindow::on_cmbBox_modfreq_currentIndexChanged(int) {}
void MainWindow::on_checkBox_binningh_stateChanged(int) {}
void MainWindow::on_checkBox_vcsel1_stateChanged(int) {}
void MainWindow::on_checkBox_filtered_stateChanged(int) {}
void MainWindow::on_comboBox_freq1_currentIndexChanged(int) {}
void MainWindow::on_checkBox_dcs_stateChanged(int) {}
void MainWindow::on_checkBox_gs_stateChanged(int) {}
void MainWindow::on_pushButton_save2dev_clicked() {}
void MainWindow::afterConnectSetup() {}
void MainWindow::reloadFromDeviceConfig() {}
void MainWindow::refreshDeviceControls() {}

// ---- Settings store: filled by the settings work -----------------------------------

void MainWindow::on_pushBtn_savesettings_clicked() {}

// ---- Export: filled by the export work ---------------------------------------------

void MainWindow::on_pushBtn_savepcd_clicked() {}
void MainWindow::on_pushButtonSave2csv_clicked() {}
void MainWindow::on_pushBtnGSImage_clicked() {}

// ---- Filters: filled by the filter-settings work -----------------------------------

void MainWindow::applyFilterSettings() {}
void MainWindow::enableFilterLibraryControls() {}
void MainWindow::runRenderTypeHandler() {}
void MainWindow::showReflectivityCoef() {}

// ---- Developer modes: filled by the developer-modes work ---------------------------

void MainWindow::showDeveloperControls() {}
void MainWindow::handleKeyPress(QKeyEvent*) {}

// ---- Maintenance: filled by the calibration and firmware-update work ---------------

void MainWindow::handleCalibrationReport(const std::shared_ptr<const Movoda::CBEventData>&) {}
void MainWindow::handleFirmwareReport(const std::shared_ptr<const Movoda::CBEventData>&) {}
void MainWindow::watchCalibrationProgress(const QString&) {}
void MainWindow::tickCalibrationWatchdog() {}
void MainWindow::tickCommandWatchdog() {}
