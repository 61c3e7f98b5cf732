#include "RecordsController.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <iostream>
#include <thread>

#include "CloudViewController.h"
#include "PcdCloudFile.h"
#include "RecordsConstants.h"
#include "UiUpdateCodes.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvLog.h"
#include "mvsdk/MvSdk.h"
#include "records/RecordNaming.h"

namespace vantory::records {

namespace mr = Movoda::records;

namespace {
constexpr auto kDeliveryPoll = std::chrono::milliseconds(1);
constexpr int kShutdownWriteMs = 10000;

// Every frame the SDK accepted has left its frame path.
bool pipelineIdle(Movoda::MvSdk& sdk) {
    const Movoda::MvStreamStats s = sdk.getStreamStats();
    return s.framesDelivered + s.rawDiscarded + s.imageDiscarded + s.framesWithheld >=
           s.framesAccepted;
}
}  // namespace

RecordsController::RecordsController(RecordsEnvironment environment, const RecordsWidgets& widgets,
                                     cloudview::CloudViewController& cloudView,
                                     QWidget* dialogParent)
    : env_(std::move(environment)),
      w_(widgets),
      cloudView_(cloudView),
      dialogParent_(dialogParent) {
    mr::Recorder::Hooks hooks;
    Movoda::MvSdk* sdk = env_.sdk;
    hooks.queryLens = [sdk](Movoda::LensParams& lens) {
        return sdk != nullptr && sdk->getLensCalidata(lens);
    };
    hooks.countsChanged = [this] { env_.raise(kUpdateRecordCount); };
    hooks.log = [this](const std::string& line) { log(line); };
    hooks.failed = [this](const std::string& title, const std::string& text) {
        env_.timedMessage(QString::fromStdString(title), QString::fromStdString(text));
    };
    recorder_ = std::make_unique<mr::Recorder>(std::move(hooks), mr::exportDirectory());
    playback_ = std::make_unique<Playback>(playbackHooks());
}

RecordsController::~RecordsController() {
    shutdown();
}

PlaybackHooks RecordsController::playbackHooks() {
    PlaybackHooks h;
    Movoda::MvSdk* sdk = env_.sdk;
    h.playbackMode = [sdk] { return sdk->getPlaybackMode() != 0; };
    h.replayFrame = [sdk](const std::vector<uint8_t>& payload, const std::string& tag) {
        return sdk->replayFrame(payload, tag);
    };
    h.setLens = [sdk](const Movoda::LensParams& lens) { sdk->setLensParams(lens); };
    h.replayRaw = [sdk](const std::vector<uint8_t>& datagrams, const std::string& tag) {
        return sdk->replayRawFrame(datagrams, tag);
    };
    cloudview::CloudViewShared& shared = cloudView_.shared();
    h.showPcd = [&shared](const std::string& path) {
        cloudview::CloudConstPtr cloud = readPcdCloud(path);
        if (!cloud) return false;
        shared.setViewerCloud(shared.filtered(cloud));
        return true;
    };
    h.waitDelivered = [sdk](int timeoutMs) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!pipelineIdle(*sdk) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(kDeliveryPoll);
    };
    h.post = [this](int code) { env_.raise(code); };
    h.setFramesCarryConfig = [this](bool on) { env_.setHeaderConfigWatch(on); };
    h.filesOpened = [this](const std::vector<std::string>& paths) {
        QStringList list;
        for (const std::string& p : paths) list << QString::fromStdString(p);
        recentDirs_.addFromFiles(list);
    };
    h.print = [](const std::string& line) { std::cout << line << std::endl; };
    return h;
}

void RecordsController::log(const std::string& line) {
    std::cout << line << std::endl;
    Movoda::sdkLog(Movoda::LOG_INFO, "recordFrame", line);
    env_.logLine(QString::fromStdString(line) + QLatin1Char('\n'));
}

// ---- Recording ---------------------------------------------------------------------

void RecordsController::setPlaying(bool playing) {
    if (env_.setPlaying) env_.setPlaying(playing);
}

void RecordsController::toggleRecord() {
    if (w_.record->text() != QLatin1String(kStopRecordText) && !playback_->running()) {
        recorder_->start(env_.recordInfo ? env_.recordInfo() : mr::RecordInfo{},
                         mr::kDefaultFrameLimit);
        w_.record->setText(QString::fromLatin1(kStopRecordText));
        showRecordCount();
        return;
    }
    w_.record->setText(QString::fromLatin1(kRecordText));
    recorder_->stop();
}

void RecordsController::setRecordNoLimit(int state) {
    recorder_->setNoLimit(state != Qt::Unchecked);
}

void RecordsController::recordFrame(const Movoda::Frame& frame) {
    recorder_->recordFrame(frame.version(), frame.packet());
}

void RecordsController::showRecordCount() {
    const mr::RecordingCounts c = recorder_->counts();
    QString text = QString::number(c.written);
    if (c.dropped > 0) text += QStringLiteral(" (%1 dropped)").arg(c.dropped);
    if (c.failed > 0) text += QStringLiteral(" (%1 failed)").arg(c.failed);
    w_.recordCount->setText(text);
    if (recorder_->complete() || !c.active) {
        recorder_->stop();
        w_.record->setText(QString::fromLatin1(kRecordText));
    }
}

// ---- Playback ----------------------------------------------------------------------

QStringList RecordsController::selectRecordFiles() {
    if (chooser_) return chooser_();
    const QString defaultDir = QString::fromStdString(mr::exportDirectory());
    if (dialogParent_ == nullptr) {
        std::cerr << "Invalid main window pointer." << std::endl;
        return {};
    }
    if (!QDir(defaultDir).exists()) {
        if (!QDir().mkpath(defaultDir)) {
            std::cerr << "Failed to create directory: " << defaultDir.toStdString() << std::endl;
            return {};
        }
        std::cout << "Created directory: " << defaultDir.toStdString() << std::endl;
    }
    const QStringList recent = recentDirs_.load();
    QString startDir = defaultDir;
    if (!recent.isEmpty() && QDir(recent.first()).exists()) startDir = recent.first();

    QFileDialog dialog(dialogParent_,
                       QString::fromUtf8(env_.english ? kDialogTitleEnglish : kDialogTitleChinese),
                       startDir, QString::fromLatin1(kDialogFilter));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    QList<QUrl> sideBar;
    for (const QString& dir : recent) {
        if (QDir(dir).exists()) sideBar << QUrl::fromLocalFile(dir);
    }
    dialog.setSidebarUrls(sideBar);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

void RecordsController::loadRecordFiles() {
    w_.playGroup->show();
    if (playback_->playing()) {
        togglePlay();
        QThread::msleep(kStopBeforeLoadMs);
    }
    env_.sdk->setPlaybackMode(1);
    const QStringList files = selectRecordFiles();
    cloudView_.start();
    // Played frames are shown as clouds too, whatever the camera streamed last.
    env_.sdk->setPointCloudMode(true);
    playback_->setLoop(true);
    std::vector<std::string> paths;
    for (const QString& f : files) paths.push_back(f.toStdString());
    playback_->start(std::move(paths));
}

bool RecordsController::playForConversion() {
    w_.playGroup->show();
    if (playback_->playing()) {
        togglePlay();
        QThread::msleep(kStopBeforeLoadMs);
    }
    cloudView_.start();
    env_.sdk->setPlaybackMode(1);
    const QStringList files = selectRecordFiles();
    if (files.isEmpty()) return false;
    // The camera stops streaming, as it does when a playback is played: its frames would
    // crowd the played ones out of the frame path, which keeps only the newest.
    if (!w_.start->isEnabled()) w_.stop->click();
    env_.sdk->setPointCloudMode(true);
    {
        const QSignalBlocker blocker(w_.backward);
        w_.backward->setChecked(false);
    }
    playback_->setBackward(false);
    playback_->setLoop(false);
    std::vector<std::string> paths;
    for (const QString& f : files) paths.push_back(f.toStdString());
    playback_->start(std::move(paths));
    return true;
}

void RecordsController::togglePlay() {
    if (w_.play->text() == QLatin1String(kPlayText)) {
        w_.play->setText(QString::fromLatin1(kPauseText));
        playback_->setPlaying(true);
        setPlaying(true);
        if (!w_.start->isEnabled()) w_.stop->click();
        return;
    }
    w_.play->setText(QString::fromLatin1(kPlayText));
    playback_->setPlaying(false);
    setPlaying(false);
}

void RecordsController::setPlayOptions() {
    playback_->setPlayFps(w_.playFps->value());
    playback_->setBackward(w_.backward->isChecked());
}

void RecordsController::seekPlay(int position) {
    w_.playPosition->setText(QString::number(position));
    playback_->seek(position);
}

void RecordsController::showPlaySliderRange() {
    w_.playSlider->setRange(0, playback_->fileCount());
}

void RecordsController::showPlayPosition() {
    const int index = playback_->playIndex();
    w_.playSlider->setValue(index);
    w_.playPosition->setText(QString::number(index));
}

void RecordsController::showPlayButton() {
    const bool playing = playback_->playing();
    setPlaying(playing);
    w_.play->setText(QString::fromLatin1(playing ? kPauseText : kPlayText));
}

void RecordsController::showPlaybackConfig() {
    std::optional<mr::PlayedConfig> config;
    if (playback_->framesCarryConfig()) {
        if (env_.lastFrameConfig) config = env_.lastFrameConfig();
    } else {
        config = playback_->lastConfig();
    }
    if (!config) return;
    if (w_.serial != nullptr) {
        QString text = QString::fromLatin1(kPlayPrefix) + QString::fromStdString(config->model);
        if (config->lensOption) text += QString::fromLatin1(kLensSuffix);
        w_.serial->setText(text);
    }
    // The controls show the recorded values without sending them to the camera.
    auto show = [](QSpinBox* box, int value) {
        if (box == nullptr) return;
        const QSignalBlocker blocker(box);
        box->setValue(value);
    };
    for (size_t k = 0; k < config->intTimes.size(); ++k) show(w_.intTimes[k], config->intTimes[k]);
    show(w_.grayIntTime, config->grayIntTime);
    show(w_.minAmplitude, config->minAmplitude);
    show(w_.maxFps, config->maxFps);
}

void RecordsController::shutdown() {
    playback_->stop();
    recorder_->stop();
    if (!recorder_->waitIdle(kShutdownWriteMs))
        std::cout << "record: frames still queued at exit" << std::endl;
}

}  // namespace vantory::records
