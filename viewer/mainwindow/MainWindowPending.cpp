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

// ---- Export, records and playback: filled by the records work ----------------------

void MainWindow::on_pushBtn_savepcd_clicked() {}
void MainWindow::on_pushButtonSave2csv_clicked() {}
void MainWindow::on_pushBtnGSImage_clicked() {}
void MainWindow::on_checkBox_record_nolimit_stateChanged(int) {}
void MainWindow::on_pushButton_record_clicked() {}
void MainWindow::on_pushBtn_loadfiles_clicked() {}
void MainWindow::on_pushButton_play_clicked() {}
void MainWindow::on_spinBox_playfps_valueChanged(int) {}
void MainWindow::on_horizontalSlider_play_sliderMoved(int) {}
void MainWindow::stopPlayback() {}
void MainWindow::showPlaySliderRange() {}
void MainWindow::showPlayPosition() {}
void MainWindow::showPlayButton() {}
void MainWindow::showRecordCount() {}
void MainWindow::showPlaybackConfig() {}

// ---- Point-cloud view: filled by the cloud-view work -------------------------------

void MainWindow::startCloudViewer() {}
std::optional<vantory::CloudViewState> MainWindow::cloudViewState() const {
    return std::nullopt;
}
void MainWindow::tickCloudViewFrameRate() {}

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
