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

// ---- Scenes: filled by the scenes work ---------------------------------------------

void MainWindow::applyModelScene(const std::string&) {}

// ---- Export: filled by the export work ---------------------------------------------

void MainWindow::on_pushBtn_savepcd_clicked() {}
void MainWindow::on_pushButtonSave2csv_clicked() {}
void MainWindow::on_pushBtnGSImage_clicked() {}

// ---- Filters: filled by the filter-settings work -----------------------------------

void MainWindow::applyFilterSettings() {}
void MainWindow::enableFilterLibraryControls() {}
void MainWindow::sendRenderType() {}
void MainWindow::showReflectivityCoef() {}

// ---- Developer modes: filled by the developer-modes work ---------------------------

void MainWindow::handleKeyPress(QKeyEvent*) {}

// ---- Maintenance: filled by the calibration and firmware-update work ---------------

void MainWindow::handleCalibrationReport(const std::shared_ptr<const Movoda::CBEventData>&) {}
void MainWindow::handleFirmwareReport(const std::shared_ptr<const Movoda::CBEventData>&) {}
void MainWindow::watchCalibrationProgress(const QString&) {}
void MainWindow::tickCalibrationWatchdog() {}
void MainWindow::tickCommandWatchdog() {}
