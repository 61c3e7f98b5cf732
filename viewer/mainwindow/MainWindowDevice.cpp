// What the window does with a connected camera: the setup after connecting (push the
// controls to older firmware, warn about newer firmware), the device-dependent refresh,
// the model-dependent update and the reload of the controls from the camera.
#include <QMessageBox>
#include <QSignalBlocker>
#include <QThread>

#include <algorithm>
#include <iostream>
#include <optional>

#include "CameraControls.h"
#include "ControlWidgets.h"
#include "DeviceView.h"
#include "GuiContext.h"
#include "LanguageTexts.h"
#include "MainWindow.h"
#include "ModelTable.h"
#include "UiUpdateCodes.h"
#include "ViewerConstants.h"
#include "mvsdk/MvLog.h"
#include "mvsdk/MvSdk.h"
#include "ui_DevSettings.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"

using namespace vantory;

namespace {

constexpr int kMinReflectivityRenderMax = 100;
constexpr int kMaxReflectivityRenderMax = 1000;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void MainWindow::afterConnectSetup() {
    Movoda::DevInfo info;
    ctx_->sdk->getDevInfo(info);
    const controls::DeviceView view = controls::deviceView(info);
    ctx_->modelName = view.modelName;
    ctx_->serialText = view.serialText;
    ctx_->firmwareText = view.firmwareText;
    ctx_->firmwareVersion = view.firmwareVersion;
    if (ctx_->playing) return;

    switch (controls::afterConnectAction(view.firmwareVersion)) {
        case controls::AfterConnect::PushControls:
            detectSeries(view);
            pushControlsToCamera();
            break;
        case controls::AfterConnect::Incompatible:
            QMessageBox::information(this, texts_->message(Msg::InfoTitle),
                                     texts_->message(Msg::FirmwareIncompatible));
            break;
        case controls::AfterConnect::ReadBackOnly:
            break;
    }

    refreshDeviceControls();
    if (!ui_->pushBtn_start->isEnabled()) {
        // Streaming was on when the link went: carry on where it stopped.
        QThread::msleep(kRestartPauseMs);
        on_pushBtn_start_clicked();
    } else if (autoStartPending_) {
        autoStartPending_ = false;
        on_pushBtn_start_clicked();
        if (autoRecordPending_ && !ui_->pushBtn_start->isEnabled()) {
            autoRecordPending_ = false;
            ui_->checkBox_record_nolimit->setChecked(true);
            ui_->pushButton_record->click();
        }
    }
}

void MainWindow::pushControlsToCamera() {
    const controls::PushResult result = controls_->pushAll(controlValues(), anyDeveloperMode());
    setDistanceSliderRange(result.sliderMaxCm);
    applyImageTypeEnabling(ui_->cmbBox_imagetype->currentIndex());
    applyExposureEnabling();
    if (result.frameRate == controls::FrameRateResult::Refused) showFrameRateRefused();
}

void MainWindow::detectSeries(const controls::DeviceView& view) {
    ctx_->newK150 = view.newK150 ? 1 : 0;
    if (view.newK150) std::cout << "newk150" << std::endl;
    if (ctx_->newK150 == ctx_->prevNewK150) return;
    ctx_->prevNewK150 = ctx_->newK150;
    loadSeriesSettings(view.newK150);
}

void MainWindow::refreshDeviceControls() {
    Movoda::DevInfo info;
    if (!ctx_->sdk->getDevInfo(info)) return;
    const controls::DeviceView view = controls::deviceView(info);
    detectSeries(view);
    ctx_->modelName = view.modelName;
    ctx_->serialText = view.serialText;
    ctx_->firmwareText = view.firmwareText;
    std::cout << "boot version:" << info.bootVersion << std::endl;
    std::cout << "fw version:" << info.fwVersion << std::endl;
    std::cout << "iscalibrated:" << int(info.isCalibrated[0]) << ' ' << int(info.isCalibrated[1])
              << ' ' << int(info.isCalibrated[2]) << std::endl;
    updateModel(view.modelName);
    showDeviceView(view);
    std::cout << "udpip=" << controls::dottedQuad(info.udpDestIp) << std::endl;
    std::cout << "udpport=" << info.udpDestPort << std::endl;
    ctx_->raise(kUpdateReloadDevConfig);
}

void MainWindow::showDeviceView(const controls::DeviceView& view) {
    ui_->label_fw_version->setText(fromUtf8(view.firmwareText));
    ui_->label_sn->setText(fromUtf8(view.serialText));
    devUi_->lineEditIp->setText(fromUtf8(view.ip));
    devUi_->lineEditIpMask->setText(fromUtf8(view.netmask));
    devUi_->lineEditIpGate->setText(fromUtf8(view.gateway));
    devUi_->lineEditMac->setText(fromUtf8(view.mac));
    devUi_->lineEditSN->setText(fromUtf8(view.serialText));
    devUi_->label_maxinttime->setText(fromUtf8(view.maxIntTimeText));
    devUi_->label_maxinttime->setStyleSheet(fromUtf8(view.maxIntTimeStyle));
    if (view.devFlagsText) {
        devUi_->label_devflags->setText(fromUtf8(*view.devFlagsText));
        devUi_->label_devflags->show();
    } else {
        devUi_->label_devflags->hide();
    }
}

void MainWindow::updateModel(const std::string& modelName) {
    const std::string modelString = models::modelStringOf(modelName);
    const int code = models::modelCode(modelString);
    const auto index = static_cast<std::size_t>(code);
    if (code != modelCode_) {
        Movoda::sdkLog(Movoda::LOG_INFO, "MainWindow::update_relectivity",
                       "devtype =" + std::to_string(code));
        filterUi_->spinBox_cutcorner->setValue(controls::cutCornerForModel(modelName));
        applyModelScene(modelString);
        applyFilterSettings();
        int renderMax = commonTables_.reflectivityRenderMax[index];
        if (renderMax == 0) renderMax = kMinReflectivityRenderMax;
        renderMax = std::min(renderMax, kMaxReflectivityRenderMax);
        filterUi_->checkBox_reflectauto->setChecked(false);
        {
            const QSignalBlocker blocker(filterUi_->spinBox_reflectivitymax);
            filterUi_->spinBox_reflectivitymax->setValue(renderMax);
        }
        filterUi_->spinBox_reflectivitymax->setEnabled(true);
    }
    modelCode_ = code;
    ctx_->reflectCoefs[0] = commonTables_.reflectivityCoef[index];
    ctx_->raise(kUpdateReflectivityCoef);
}

void MainWindow::reloadFromDeviceConfig() {
    Movoda::DevConfig config;
    if (!ctx_->sdk->getDevConfig(config)) return;
    applyReadBack(controls::readBack(config, ui_->cmbBox_modfreq->currentIndex()));
}

void MainWindow::applyReadBack(const controls::ConfigReadBack& r) {
    std::optional<SignalsBlocked> blocked(commandControls(*ui_));
    blocked->add({devUi_->checkBox_cuton, devUi_->spinBox_cut_int0, devUi_->spinBox_cut_Dist0,
                  devUi_->spinBox_cut_int1, devUi_->spinBox_cut_Dist1, devUi_->spinBox_ptpdomain});

    if (r.hdrIndex < ui_->cmbBox_hdrmode->count()) ui_->cmbBox_hdrmode->setCurrentIndex(r.hdrIndex);
    const auto intBoxes = intTimeBoxes(*ui_);
    for (std::size_t i = 0; i < intBoxes.size(); ++i) intBoxes[i]->setValue(r.intTimes[i]);
    ui_->spinBox_intgs->setValue(r.intTimeGs);
    ui_->spinBox_minamp->setValue(r.minAmplitude);
    if (r.maxFps) ui_->spinBox_maxFps->setValue(*r.maxFps);
    ui_->checkBox_binningh->setChecked(r.binningH);
    ui_->checkBox_binningv->setChecked(r.binningV);
    if (r.freqIndices) {
        const auto freqs = freqBoxes(*ui_);
        for (std::size_t i = 0; i < freqs.size(); ++i)
            freqs[i]->setCurrentIndex((*r.freqIndices)[i]);
    }
    if (r.vcselBoxes) {
        ui_->checkBox_vcsel1->setChecked((*r.vcselBoxes)[0]);
        ui_->checkBox_vcsel2->setChecked((*r.vcselBoxes)[1]);
        devUi_->checkBox_cuton->setChecked(r.cutOn);
        devUi_->spinBox_cut_int0->setValue(r.cut[0]);
        devUi_->spinBox_cut_Dist0->setValue(r.cut[1]);
        devUi_->spinBox_cut_int1->setValue(r.cut[2]);
        devUi_->spinBox_cut_Dist1->setValue(r.cut[3]);
        devUi_->spinBox_ptpdomain->setValue(r.ptpDomain);
    }
    if (r.channel) ui_->comboBox_channel->setCurrentIndex(*r.channel);
    if (r.modFreqIndex) ui_->cmbBox_modfreq->setCurrentIndex(*r.modFreqIndex);
    // The distance span follows, so the colour range matches the frequency in use.
    setDistanceSliderRange(r.sliderMaxCm);
    applyImageTypeEnabling(ui_->cmbBox_imagetype->currentIndex());
    applyExposureEnabling();
    blocked.reset();

    ui_->label_24->setText(fromUtf8(r.maxFpsCaption));
    ctx_->hdrIndex = static_cast<uint8_t>(std::max(r.hdrIndex, 0));
    ctx_->minAmplitude = static_cast<uint16_t>(r.minAmplitude);
    if (r.maxFps) ctx_->maxFps = static_cast<uint8_t>(*r.maxFps);
}
