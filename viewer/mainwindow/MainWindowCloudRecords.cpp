// The main window's wiring of the point-cloud window, the recorder and playback; each
// handler forwards to the class that owns that area.
#include <mutex>
#include <optional>

#include "CloudViewController.h"
#include "FramePath.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "RecordsController.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"
#include "records/PlayedConfig.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"

using namespace vantory;

// ---- Point-cloud view ----------------------------------------------------------------

void MainWindow::createCloudView() {
    cloudview::CloudViewWidgets widgets;
    widgets.minDistance = ui_->spinBox_mindist;
    widgets.maxDistance = ui_->spinBox_maxdist;
    widgets.amplitudeRange = ui_->horizontalSlider2;
    widgets.renderType = filterUi_->comboBox_pcloudRendertype;
    widgets.coordType = filterUi_->comboBox_cloudcoordtype;
    widgets.reflectivityMax = filterUi_->spinBox_reflectivitymax;
    widgets.reflectivityAuto = filterUi_->checkBox_reflectauto;
    widgets.cloudFilterOn = filterUi_->checkBox_pclfilter_on;
    const CloudViewState stored{loadedSettings_.cloudWindow, loadedSettings_.cloudShowGrid,
                                loadedSettings_.cloudGridHeight};
    cloudView_ = std::make_unique<cloudview::CloudViewController>(stored, widgets);
    cloudview::CloudViewController* view = cloudView_.get();
    framePath_->setCloudView([view](const FramePtr& frame, int column, int row) {
        view->showFrame(*frame, column, row);
    });
}

void MainWindow::startCloudViewer() {
    cloudView_->start();
}

void MainWindow::tickCloudViewFrameRate() {
    cloudView_->tickFrameRate();
}

CloudViewState MainWindow::cloudViewState() const {
    return cloudView_->state();
}

// ---- Records and playback ------------------------------------------------------------

namespace {

// The acquisition settings last sent to the camera, for version-2 record files.
Movoda::records::RecordInfo recordInfoOf(const GuiContext& ctx) {
    Movoda::records::RecordInfo info;
    info.modFreqIndex = ctx.modFreqIndex;
    info.hdrIndex = ctx.hdrIndex;
    info.maxFps = ctx.maxFps;
    info.minAmplitude = ctx.minAmplitude;
    // intTimes holds the grayscale time first, then times 1 to 5, as they are sent.
    info.grayIntTime = ctx.intTimes[0];
    for (std::size_t k = 0; k < info.intTimes.size(); ++k) info.intTimes[k] = ctx.intTimes[k + 1];
    info.serial = ctx.modelName;
    info.firmware = ctx.firmwareText;
    return info;
}

}  // namespace

void MainWindow::createRecords() {
    GuiContext* ctx = ctx_;
    FramePath* path = framePath_.get();
    records::RecordsEnvironment env;
    env.sdk = ctx_->sdk.get();
    env.english = ctx_->english != 0;
    env.raise = [ctx](int code) { ctx->raise(code); };
    env.timedMessage = [ctx](const QString& title, const QString& text) {
        ctx->timedMessage(title, text);
    };
    env.logLine = [ctx](const QString& line) { emit ctx->sdkSignal->addlogstr(line); };
    env.recordInfo = [ctx]() { return recordInfoOf(*ctx); };
    env.lastFrameConfig = [ctx]() -> std::optional<Movoda::records::PlayedConfig> {
        std::lock_guard<std::mutex> lock(ctx->frameMutex);
        if (!ctx->lastFrame || !ctx->lastFrame->hasInfoBlock()) return std::nullopt;
        return Movoda::records::configFromInfoBlock(ctx->lastFrame->infoBlock().data());
    };
    env.setHeaderConfigWatch = [path](bool on) { path->setHeaderConfigWatch(on); };
    env.setPlaying = [ctx](bool playing) { ctx->playing = playing; };

    records::RecordsWidgets w;
    w.record = ui_->pushButton_record;
    w.noLimit = ui_->checkBox_record_nolimit;
    w.recordCount = ui_->label_record_currentframes;
    w.playGroup = ui_->groupBox_play;
    w.play = ui_->pushButton_play;
    w.playFps = ui_->spinBox_playfps;
    w.backward = ui_->checkBox_back;
    w.playPosition = ui_->label_playpos;
    w.playSlider = ui_->horizontalSlider_play;
    w.start = ui_->pushBtn_start;
    w.stop = ui_->pushBtn_stop;
    w.serial = ui_->label_sn;
    QSpinBox* times[] = {ui_->spinBox_int1, ui_->spinBox_int2, ui_->spinBox_int3, ui_->spinBox_int4,
                         ui_->spinBox_int5};
    for (std::size_t k = 0; k < 5; ++k) w.intTimes[k] = times[k];
    w.grayIntTime = ui_->spinBox_intgs;
    w.minAmplitude = ui_->spinBox_minamp;
    w.maxFps = ui_->spinBox_maxFps;

    records_ = std::make_unique<records::RecordsController>(std::move(env), w, *cloudView_, this);
    records::RecordsController* r = records_.get();
    connect(ui_->checkBox_back, &QCheckBox::toggled, r, [r]() { r->setPlayOptions(); });
    // Recording takes every frame the camera sends, straight from the SDK's intake: the
    // display may skip frames when it falls behind, a recording must not.
    ctx_->sdk->setFrameTap([r](const FramePtr& frame) { r->recordFrame(*frame); });
}

void MainWindow::on_checkBox_record_nolimit_stateChanged(int arg1) {
    records_->setRecordNoLimit(arg1);
}
void MainWindow::on_pushButton_record_clicked() {
    records_->toggleRecord();
}
void MainWindow::on_pushBtn_loadfiles_clicked() {
    records_->loadRecordFiles();
}
void MainWindow::on_pushButton_play_clicked() {
    records_->togglePlay();
}
void MainWindow::on_spinBox_playfps_valueChanged(int) {
    records_->setPlayOptions();
}
void MainWindow::on_horizontalSlider_play_sliderMoved(int position) {
    records_->seekPlay(position);
}

void MainWindow::stopPlayback() {
    if (records_->playback().playing()) records_->togglePlay();
}

void MainWindow::showPlaySliderRange() {
    records_->showPlaySliderRange();
}
void MainWindow::showPlayPosition() {
    records_->showPlayPosition();
}
void MainWindow::showPlayButton() {
    records_->showPlayButton();
}
void MainWindow::showRecordCount() {
    records_->showRecordCount();
}
void MainWindow::showPlaybackConfig() {
    records_->showPlaybackConfig();
}

void MainWindow::printRunSummary() {
    const Movoda::records::RecordingCounts c = records_->recorder().counts();
    std::cout << "recording summary: written=" << c.written << " dropped=" << c.dropped
              << " failed=" << c.failed << " directory=" << c.directory << std::endl;
    if (!ctx_ || !ctx_->sdk) return;
    const Movoda::MvStreamStats s = ctx_->sdk->getStreamStats();
    std::cout << "stream summary: completed=" << s.udpFramesCompleted
              << " evicted=" << s.udpFramesEvicted << " broken=" << s.udpFramesBroken
              << " pending=" << s.udpFramesPending << " accepted=" << s.framesAccepted
              << " rejected=" << s.framesRejected << " rawDiscarded=" << s.rawDiscarded
              << " imageDiscarded=" << s.imageDiscarded << " delivered=" << s.framesDelivered
              << std::endl;
}
