// The settings file and the window's controls: the start-up load, Save Settings, and
// the per-series reload. What is stored and how each value loads is SettingsStore's;
// this file only moves values into and out of the widgets.

#include <iostream>
#include <memory>
#include <optional>

#include "ControlWidgets.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "ViewerConstants.h"
#include "mvsdk/MvSdk.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"

using namespace vantory;

namespace {

constexpr int kModeDebugBit = 0x01;
constexpr int kMedianLarge = 5, kMedianSmall = 3;
constexpr int kDustThresholdMaximum = 9000;

template <typename Box, typename T>
void setIf(Box* box, const std::optional<T>& value) {
    if (value) box->setValue(*value);
}

void checkIf(QAbstractButton* box, const std::optional<bool>& value) {
    if (value) box->setChecked(*value);
}

}  // namespace

void MainWindow::loadSettings() {
    const ViewerSettings v = settings_.load();
    loadedSettings_ = v;
    commonTables_ = settings_.commonTables();
    if (options_.debug) ctx_->modes |= kModeDebugBit;

    // The controls take their values without sending them: nothing is connected yet,
    // and the handlers that shape the window run once afterwards.
    std::optional<SignalsBlocked> blocked(commandControls(*ui_));
    blocked->add({ui_->cmbBox_imagetype, ui_->spinBox_mindist, ui_->spinBox_maxdist,
                  ui_->checkBox_hmirror, ui_->checkBox_vmirror});
    ui_->lineEdit_netip->setText(v.ipAddress);
    if (v.imgType >= 0 && v.imgType < ui_->cmbBox_imagetype->count())
        ui_->cmbBox_imagetype->setCurrentIndex(v.imgType);
    applySeriesValues(v.series);
    filterUi_->spinBox_cutcorner->setValue(v.cutCorner);
    const auto freqs = freqBoxes(*ui_);
    for (std::size_t i = 0; i < freqs.size(); ++i) freqs[i]->setCurrentIndex(v.freqIndices[i]);
    ui_->spinBox_intgs->setValue(v.intGs);
    ui_->spinBox_minamp->setValue(v.minLsb);
    ui_->spinBox_mindist->setValue(v.minDist);
    ui_->spinBox_maxdist->setValue(v.maxDist);
    ui_->checkBox_hmirror->setChecked(v.hMirror);
    ui_->checkBox_vmirror->setChecked(v.vMirror);
    if (anyDeveloperMode() && v.modFreq) ui_->cmbBox_modfreq->setCurrentIndex(*v.modFreq);
    ui_->spinBox_maxFps->setValue(v.maxFps);
    ui_->radioButton_usb->setChecked(v.useUsb);
    ui_->radioButton_net->setChecked(!v.useUsb);
    ui_->lineEdit_udpport->setText(QString::fromStdString(options_.imagePort));
    blocked.reset();

    // Runs whatever the index: setting the index the refilled box already has emits
    // nothing, which would leave the exposure boxes and captions of another type.
    on_cmbBox_imagetype_currentIndexChanged(ui_->cmbBox_imagetype->currentIndex());
    on_spinBox_mindist_valueChanged(v.minDist);
    on_checkBox_hmirror_stateChanged(0);

    if (v.renderType) filterUi_->comboBox_pcloudRendertype->setCurrentIndex(*v.renderType);
    if (v.cloudCoord) filterUi_->comboBox_cloudcoordtype->setCurrentIndex(*v.cloudCoord);
    applyFilterValues(v.filters);
    filterUi_->checkBox_pclfilter_on->setChecked(false);
    if (v.pclFilterOn) filterUi_->checkBox_pclfilter_on->setChecked(true);

    ctx_->windowGeometry = {v.mainWindow.x, v.mainWindow.y, v.mainWindow.width,
                            v.mainWindow.height};
    if (v.mainWindow.applies()) {
        move(v.mainWindow.x, v.mainWindow.y);
        resize(v.mainWindow.width, v.mainWindow.height);
    }
}

void MainWindow::applySeriesValues(const SeriesValues& series) {
    if (series.hdr >= 0 && series.hdr < ui_->cmbBox_hdrmode->count())
        ui_->cmbBox_hdrmode->setCurrentIndex(series.hdr);
    const auto boxes = intTimeBoxes(*ui_);
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setValue(series.intTimes[i]);
}

// The HDR mode and integration times of the connected series. Set without sending: the
// after-connect setup sends them (older firmware) or the camera's own values replace
// them (newer firmware).
void MainWindow::loadSeriesSettings(bool k150Series) {
    const SeriesValues series = settings_.loadSeries(k150Series);
    std::optional<SignalsBlocked> blocked(std::vector<QObject*>{ui_->cmbBox_hdrmode});
    for (QSpinBox* box : intTimeBoxes(*ui_)) blocked->add({box});
    applySeriesValues(series);
    blocked.reset();
    applyExposureEnabling();
}

void MainWindow::on_pushBtn_savesettings_clicked() {
    saveSettings();
}

bool MainWindow::saveSettings() {
    ViewerSettings v = loadedSettings_;  // keeps what no control shows
    v.ipAddress = ui_->lineEdit_netip->text();
    v.imgType = ui_->cmbBox_imagetype->currentIndex();
    v.series.hdr = ui_->cmbBox_hdrmode->currentIndex();
    const auto boxes = intTimeBoxes(*ui_);
    for (std::size_t i = 0; i < boxes.size(); ++i) v.series.intTimes[i] = boxes[i]->value();
    const auto freqs = freqBoxes(*ui_);
    for (std::size_t i = 0; i < freqs.size(); ++i) v.freqIndices[i] = freqs[i]->currentIndex();
    v.intGs = ui_->spinBox_intgs->value();
    v.minLsb = ui_->spinBox_minamp->value();
    v.minDist = ui_->spinBox_mindist->value();
    v.maxDist = ui_->spinBox_maxdist->value();
    v.useUsb = ui_->radioButton_usb->isChecked();
    v.hMirror = ui_->checkBox_hmirror->isChecked();
    v.vMirror = ui_->checkBox_vmirror->isChecked();
    v.maxFps = ui_->spinBox_maxFps->value();
    v.renderType = std::max(0, filterUi_->comboBox_pcloudRendertype->currentIndex());
    v.cloudCoord = std::max(0, filterUi_->comboBox_cloudcoordtype->currentIndex());
    v.cutCorner = filterUi_->spinBox_cutcorner->value();
    v.modFreq = std::max(0, ui_->cmbBox_modfreq->currentIndex());
    v.pclFilterOn = filterUi_->checkBox_pclfilter_on->isChecked();
    v.mainWindow = {x(), y(), width(), height()};
    const CloudViewState cloud = cloudViewState();
    v.cloudWindow = cloud.geometry;
    v.cloudShowGrid = cloud.showGrid;
    v.cloudGridHeight = cloud.gridHeight;
    v.filters = collectFilterValues();
    if (!settings_.save(v, ctx_->newK150 != 0)) return false;
    loadedSettings_ = v;
    return true;
}

void MainWindow::applyFilterValues(const FilterValues& f) {
    Ui::FilterSettings& ui = *filterUi_;
    if (f.medianSize) {
        ui.checkBox_enable_median->setChecked(*f.medianSize >= 1);
        const bool large = *f.medianSize >= 1 && *f.medianSize == kMedianLarge;
        (large ? ui.radioButton_median_5 : ui.radioButton_median_3)->setChecked(true);
    }
    checkIf(ui.checkBox_enable_kalman, f.kalmanEnable);
    setIf(ui.doubleSpinBox_klm_factor, f.kalmanFactor);
    setIf(ui.spinBox_klm_threshold, f.kalmanThreshold);
    checkIf(ui.checkBox_enable_edge, f.edgeEnable);
    setIf(ui.spinBox_edge_threshold, f.edgeThreshold);
    checkIf(ui.checkBox_enable_dust, f.dustEnable);
    ui.spinBox_dust_threshold->setMaximum(
        std::max(ui.spinBox_dust_threshold->maximum(), kDustThresholdMaximum));
    setIf(ui.spinBox_dust_threshold, f.dustThreshold);
    if (f.dustFrames) {
        ui.spinBox_dust_frames->setValue(*f.dustFrames);
        ui.comboBox_dustType->setCurrentIndex(0);
    }
    if (f.postprocessThreshold) {
        ui.doubleSpinBox_pclpara_distdevide->setEnabled(true);
        ui.doubleSpinBox_pclpara_distdevide->setValue(*f.postprocessThreshold);
    }
    checkIf(ui.checkBox_smoothon, f.dynamicsEnabled);
    setIf(ui.spinBox_winsize, f.dynamicsWinsize);
    setIf(ui.spinBox_motionsize, f.dynamicsMotionsize);
    checkIf(ui.checkBox_enable_ref_filter, f.reflectiveEnable);
    setIf(ui.doubleSpinBox_ref_min, f.refThMin);
    setIf(ui.doubleSpinBox_ref_max, f.refThMax);
    checkIf(ui.checkBox_pclfilter_planefiton, f.spatialEnable);
    setIf(ui.doubleSpinBox_alpha, f.spatialAlpha);
    setIf(ui.spinBox_delta, f.spatialDelta);
    setIf(ui.spinBox_iterations, f.spatialIterations);
    checkIf(ui.checkBox_pclfilter_outlieron, f.averageEnable);
    setIf(ui.spinBox_averagesize, f.averageSize);
}

FilterValues MainWindow::collectFilterValues() const {
    const Ui::FilterSettings& ui = *filterUi_;
    FilterValues f;
    f.medianSize = !ui.checkBox_enable_median->isChecked() ? 0
                   : ui.radioButton_median_5->isChecked()  ? kMedianLarge
                                                           : kMedianSmall;
    f.kalmanEnable = ui.checkBox_enable_kalman->isChecked();
    f.kalmanFactor = ui.doubleSpinBox_klm_factor->value();
    f.kalmanThreshold = ui.spinBox_klm_threshold->value();
    f.edgeEnable = ui.checkBox_enable_edge->isChecked();
    f.edgeThreshold = ui.spinBox_edge_threshold->value();
    f.dustEnable = ui.checkBox_enable_dust->isChecked();
    f.dustThreshold = ui.spinBox_dust_threshold->value();
    f.dustFrames = ui.spinBox_dust_frames->value();
    f.postprocessThreshold = ui.doubleSpinBox_pclpara_distdevide->value();
    f.dynamicsEnabled = ui.checkBox_smoothon->isChecked();
    f.dynamicsWinsize = ui.spinBox_winsize->value();
    f.dynamicsMotionsize = ui.spinBox_motionsize->value();
    f.reflectiveEnable = ui.checkBox_enable_ref_filter->isChecked();
    f.refThMin = ui.doubleSpinBox_ref_min->value();
    f.refThMax = ui.doubleSpinBox_ref_max->value();
    f.spatialEnable = ui.checkBox_pclfilter_planefiton->isChecked();
    f.spatialAlpha = ui.doubleSpinBox_alpha->value();
    f.spatialDelta = ui.spinBox_delta->value();
    f.spatialIterations = ui.spinBox_iterations->value();
    f.averageEnable = ui.checkBox_pclfilter_outlieron->isChecked();
    f.averageSize = ui.spinBox_averagesize->value();
    return f;
}
