// The camera parameter controls of the left panel: each handler reads its widgets and
// hands plain values to controls::CameraControls, which sends them at once.
#include <QMessageBox>
#include <QTimer>

#include "FilterWindow.h"
#include "CameraControls.h"
#include "ControlConstants.h"
#include "ControlWidgets.h"
#include "FilterWindow.h"
#include "GuiContext.h"
#include "LanguageTexts.h"
#include "MainWindow.h"
#include "MaintenanceWindows.h"
#include "ViewerConstants.h"
#include "mvsdk/MvSdk.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"
#include "ui_PInfo.h"

using namespace vantory;

namespace {

constexpr int kFrameWatchdogMs = 1000;
constexpr int kPixelInfoDistanceAmplitude = 1;
const char* const kSaveToDeviceTitle = "save to device";

}  // namespace

void MainWindow::connectControls() {
    connect(ui_->horizontalSlider, &QxtSpanSlider::spanChanged, this, &MainWindow::onDistanceSpan);
    connect(ui_->horizontalSlider2, &QxtSpanSlider::spanChanged, this,
            &MainWindow::onAmplitudeSpan);
    connect(filterUi_->comboBox_pcloudRendertype, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int index) {
                if (index >= 0) runRenderTypeHandler();
            });
    frameWatchdog_ = new QTimer(this);
    connect(frameWatchdog_, &QTimer::timeout, this, &MainWindow::checkFrameFlow);
    frameWatchdog_->start(kFrameWatchdogMs);
}

controls::ControlValues MainWindow::controlValues() const {
    controls::ControlValues v;
    v.imageTypeIndex = ui_->cmbBox_imagetype->currentIndex();
    v.hdrIndex = ui_->cmbBox_hdrmode->currentIndex();
    const auto boxes = intTimeBoxes(*ui_);
    for (std::size_t i = 0; i < boxes.size(); ++i) v.intTimes[i] = boxes[i]->value();
    v.intTimeGs = ui_->spinBox_intgs->value();
    // isHidden, not isVisible: the answer must not depend on whether the window is shown.
    v.laterExposuresShown = !ui_->spinBox_int4->isHidden();
    v.modFreqIndex = ui_->cmbBox_modfreq->currentIndex();
    const auto freqs = freqBoxes(*ui_);
    for (std::size_t i = 0; i < freqs.size(); ++i) v.freqIndices[i] = freqs[i]->currentIndex();
    v.freqBoxesShown = !ui_->comboBox_freq1->isHidden() && !ui_->frame_freqs->isHidden();
    v.minAmplitude = ui_->spinBox_minamp->value();
    v.maxFps = ui_->spinBox_maxFps->value();
    v.vcsel1 = ui_->checkBox_vcsel1->isChecked();
    v.vcsel2 = ui_->checkBox_vcsel2->isChecked();
    v.vcselBoxesShown = !ui_->checkBox_vcsel1->isHidden();
    v.renderType = filterUi_->comboBox_pcloudRendertype->currentIndex();
    return v;
}

void MainWindow::applyExposureEnabling() {
    const controls::ExposureEnabling enabling = controls::exposureEnabling(
        ui_->cmbBox_hdrmode->currentIndex(), ui_->cmbBox_imagetype->currentIndex());
    const auto boxes = intTimeBoxes(*ui_);
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setEnabled(enabling.intTime[i]);
}

void MainWindow::on_cmbBox_hdrmode_currentIndexChanged(int index) {
    if (index < 0) return;  // the box is being refilled
    applyExposureEnabling();
    controls_->sendHdrMode(index);
    ctx_->hdrIndex = static_cast<uint8_t>(controls::hdrModeForIndex(index));
}

void MainWindow::on_spinBox_int1_valueChanged(int) {
    const controls::ControlValues values = controlValues();
    controls_->sendIntegrationTimes(values);
    ctx_->intTimes[0] = static_cast<uint16_t>(values.intTimeGs);
    for (std::size_t i = 0; i < values.intTimes.size(); ++i)
        ctx_->intTimes[i + 1] = static_cast<uint16_t>(values.intTimes[i]);
}

void MainWindow::on_cmbBox_modfreq_currentIndexChanged(int index) {
    if (const auto entry = controls_->sendModFreq(index)) {
        setDistanceSliderRange(entry->sliderMaxCm);
        ctx_->modFreqIndex = static_cast<uint8_t>(index);
    }
}

void MainWindow::on_comboBox_freq1_currentIndexChanged(int) {
    controls_->sendExposureFrequencies(controlValues().freqIndices);
}

void MainWindow::on_spinBox_minamp_valueChanged(int arg1) {
    controls_->sendMinAmplitude(arg1);
    ctx_->minAmplitude = static_cast<uint16_t>(arg1);
}

void MainWindow::on_spinBox_maxFps_valueChanged(int arg1) {
    const controls::FrameRateResult result = controls_->sendFrameRate(arg1);
    if (result == controls::FrameRateResult::Refused) showFrameRateRefused();
    if (result == controls::FrameRateResult::Sent) ctx_->maxFps = static_cast<uint8_t>(arg1);
}

void MainWindow::showFrameRateRefused() {
    ctx_->timedMessage(texts_->message(Msg::ErrorTitle), texts_->message(Msg::FpsOutOfRange));
}

// ---- Colour ranges --------------------------------------------------------------------

void MainWindow::on_spinBox_mindist_valueChanged(int) {
    const int minCm = ui_->spinBox_mindist->value();
    const int maxCm = ui_->spinBox_maxdist->value();
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        ctx_->distRange = {minCm * controls::kMillimetresPerCm,
                           maxCm * controls::kMillimetresPerCm};
    }
    ui_->horizontalSlider->setSpan(minCm, maxCm);
}

void MainWindow::onDistanceSpan(int lower, int upper) {
    ui_->spinBox_mindist->setValue(lower);
    ui_->spinBox_maxdist->setValue(upper);
    ui_->label_dist_min->setText(QString::number(lower));
    ui_->label_dist_max->setText(QString::number(upper));
}

void MainWindow::onAmplitudeSpan(int lower, int upper) {
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        ctx_->ampRange = {lower, upper};
    }
    ui_->label_amp_min->setText(QString::number(lower));
    ui_->label_amp_max->setText(QString::number(upper));
    ctx_->sdk->setSdkMinAmplitude(static_cast<uint16_t>(lower));
}

void MainWindow::setDistanceSliderRange(int maxCm) {
    ui_->horizontalSlider->setRange(0, maxCm);
    ui_->horizontalSlider->setSpan(0, maxCm);
}

// ---- Switches -------------------------------------------------------------------------

void MainWindow::on_checkBox_binningh_stateChanged(int) {
    controls_->sendBinning(ui_->checkBox_binningh->isChecked(),
                           ui_->checkBox_binningv->isChecked());
}

void MainWindow::on_checkBox_vcsel1_stateChanged(int) {
    controls_->sendEmitters(controlValues());
}

void MainWindow::on_comboBox_channel_currentIndexChanged(int index) {
    if (index >= 0) controls_->sendChannel(index);
}

void MainWindow::on_checkBox_dcs_stateChanged(int) {
    controls_->sendRawDcs(ui_->checkBox_dcs->isChecked());
}

void MainWindow::on_checkBox_gs_stateChanged(int) {
    const bool on = ui_->checkBox_gs->isChecked();
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        ctx_->grayInAmpPane = on ? 1 : 0;
    }
    ui_->spinBox_intgs->setEnabled(on);
    controls_->sendGrayscaleInAmplitudePane(on);
}

void MainWindow::on_checkBox_filtered_stateChanged(int) {
    std::lock_guard<std::mutex> lock(ctx_->frameMutex);
    ctx_->useSecondDistance = ui_->checkBox_filtered->isChecked() ? 1 : 0;
}

// Both mirror boxes land here. The views start turned by 90 degrees; the first call, which
// the constructor makes, turns them upright. The SDK mirrors the cloud's axes the same way.
void MainWindow::on_checkBox_hmirror_stateChanged(int) {
    const bool horizontal = ui_->checkBox_hmirror->isChecked();
    const bool vertical = ui_->checkBox_vmirror->isChecked();
    ui_->ImageView->setMirror(horizontal, vertical, false);
    ui_->ImageView2->setMirror(horizontal, vertical, false);
    ctx_->sdk->setMirror(horizontal ? 1 : 0, vertical ? 1 : 0);
}

void MainWindow::on_pushButton_save2dev_clicked() {
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, QString::fromLatin1(kSaveToDeviceTitle), texts_->message(Msg::ConfirmSaveToDevice),
        QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes) controls_->saveToDevice();
}

// ---- Streaming state ------------------------------------------------------------------

void MainWindow::reportStartFailure(bool connected) {
    ui_->pushBtn_start->setEnabled(true);
    ui_->pushBtn_stop->setEnabled(false);
    ui_->groupBox_record->hide();
    if (shuttingDown_) return;
    const Msg reason = connected ? Msg::StartFailedRefused : Msg::StartFailedNotConnected;
    ctx_->timedMessage(texts_->message(Msg::ErrorTitle), texts_->message(reason));
}

// The frame-rate figure comes with frames; when they stop it would freeze at its last
// value, so a second without a frame shows 0.
void MainWindow::checkFrameFlow() {
    if (!lastFrameShown_.isValid() || lastFrameShown_.elapsed() < kFrameWatchdogMs) return;
    const QString text = ui_->label_fps->text();
    const int blank = text.indexOf(QLatin1Char(' '));
    const QString rest = blank < 0 ? QString() : text.mid(blank);
    if (!text.startsWith(QLatin1String("0 ")) && blank > 0)
        ui_->label_fps->setText(QStringLiteral("0") + rest);
}

// The render type's effect on the main window: a fresh amplitude range and the amplitude
// captions (the reflectivity figures follow the combo in the frame path).
void MainWindow::runRenderTypeHandler() {
    ui_->horizontalSlider2->setRange(0, controls::kAmplitudeSliderMax);
    ui_->horizontalSlider2->setSpan(0, controls::kAmplitudeSliderMax);
    ui_->label_image1->setText(QStringLiteral("Amplitude"));
    ui_->label_amplitudeCaption->setText(texts_->message(Msg::AmplitudeCaption));
    // The right column shows amplitude only for the types with an amplitude plane; for
    // the others it keeps the caption of what it shows (confidence, grayscale).
    if (imageTypeView(ui_->cmbBox_imagetype->currentIndex()).pixelInfoMode == kPixelInfoDistanceAmplitude) {
        pixelInfoUi_->labelNameRight->setText(QStringLiteral("Amplitude"));
    }
    sendRenderType();
}

// ---- Developer controls -----------------------------------------------------------------

// The main form's part and the device-settings window's developer fields.
void MainWindow::showDeveloperControls() {
    filters_->showDeveloperControls(true);
    for (QWidget* widget : std::initializer_list<QWidget*>{
             ui_->checkBox_vcsel1, ui_->checkBox_vcsel2, ui_->spinBox_int5, ui_->label_int5,
             ui_->label_int5us, ui_->frame_distslider, ui_->frame_ampslider, ui_->checkBox_binningh,
             ui_->checkBox_binningv, ui_->label_freqs, ui_->frame_freqs,
             ui_->pushButton_save2dev}) {
        widget->show();
    }
    ui_->cmbBox_modfreq->setEnabled(true);
    ui_->comboBox_channel->setEnabled(true);
    ui_->frame_udpport->setVisible(ui_->radioButton_net->isChecked());
    ui_->pushButton_save2dev->setText(QStringLiteral("Save2Dev"));
    ui_->spinBox_maxFps->setMaximum(controls::kMaxFramesPerSecond);
    ui_->checkBox_filtered->setVisible(ui_->cmbBox_imagetype->currentIndex() !=
                                       kGrayscaleImageTypeIndex);
    maintenance_->deviceSettings().showDeveloperFields();
    fitLeftPanel();
}
