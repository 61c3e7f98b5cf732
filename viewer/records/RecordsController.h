// The main window's record and play groups: owns the recorder and the playback thread,
// turns the buttons into their calls, and shows what they report (update codes 10 to 14).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "Playback.h"
#include "RecentDirs.h"
#include "records/Recorder.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QWidget;

namespace Movoda {
class Frame;
class MvSdk;
}  // namespace Movoda

namespace vantory::cloudview {
class CloudViewController;
}

namespace vantory::records {

// What the controller needs of the main window, as calls (so it needs no window).
struct RecordsEnvironment {
    Movoda::MvSdk* sdk = nullptr;
    bool english = true;
    // Numbered GUI update, from any thread.
    std::function<void(int code)> raise;
    // The self-closing message (update code 16), from any thread.
    std::function<void(const QString& title, const QString& text)> timedMessage;
    // A line for the log panel, from any thread.
    std::function<void(const QString& line)> logLine;
    // The acquisition settings last sent to the camera (GUI thread).
    std::function<Movoda::records::RecordInfo()> recordInfo;
    // The configuration in the last frame's information block, if it has one (GUI thread).
    std::function<std::optional<Movoda::records::PlayedConfig>()> lastFrameConfig;
    // The frame path compares the configuration the frames carry (any thread).
    std::function<void(bool)> setHeaderConfigWatch;
    // Whether a playback plays, for the window's Start button (GUI thread).
    std::function<void(bool)> setPlaying;
};

struct RecordsWidgets {
    QPushButton* record = nullptr;
    QCheckBox* noLimit = nullptr;
    QLabel* recordCount = nullptr;
    QGroupBox* playGroup = nullptr;
    QPushButton* play = nullptr;
    QSpinBox* playFps = nullptr;
    QCheckBox* backward = nullptr;
    QLabel* playPosition = nullptr;
    QSlider* playSlider = nullptr;
    QPushButton* start = nullptr;  // live streaming runs while it is disabled
    QPushButton* stop = nullptr;
    // What the played frames' configuration is shown in (code 14); any may be null.
    QLabel* serial = nullptr;
    QSpinBox* intTimes[5] = {};
    QSpinBox* grayIntTime = nullptr;
    QSpinBox* minAmplitude = nullptr;
    QSpinBox* maxFps = nullptr;
};

class RecordsController : public QObject {
    Q_OBJECT
public:
    RecordsController(RecordsEnvironment environment, const RecordsWidgets& widgets,
                      cloudview::CloudViewController& cloudView, QWidget* dialogParent);
    ~RecordsController() override;

    // Buttons and boxes (GUI thread).
    void toggleRecord();
    void setRecordNoLimit(int state);
    void loadRecordFiles();
    // A batch conversion's playback: the chosen files once, forwards, at the pace they are
    // saved. False when no file was chosen.
    bool playForConversion();
    void togglePlay();
    void setPlayOptions();
    void seekPlay(int position);

    // Update codes 10 to 14 (GUI thread).
    void showPlaySliderRange();
    void showPlayPosition();
    void showPlayButton();
    void showRecordCount();
    void showPlaybackConfig();

    // The frame path's recorder seam (SDK frame thread).
    void recordFrame(const Movoda::Frame& frame);

    // Ends the playback and writes every queued frame; before the process exits.
    void shutdown();

    // The open dialog unless replaced (tests).
    void setFileChooser(std::function<QStringList()> chooser) { chooser_ = std::move(chooser); }
    QStringList selectRecordFiles();

    Movoda::records::Recorder& recorder() { return *recorder_; }
    Playback& playback() { return *playback_; }
    const RecentDirs& recentDirs() const { return recentDirs_; }

private:
    PlaybackHooks playbackHooks();
    void log(const std::string& line);
    void setPlaying(bool playing);

    RecordsEnvironment env_;
    RecordsWidgets w_;
    cloudview::CloudViewController& cloudView_;
    QWidget* dialogParent_;
    RecentDirs recentDirs_;
    std::function<QStringList()> chooser_;
    std::unique_ptr<Movoda::records::Recorder> recorder_;
    std::unique_ptr<Playback> playback_;
};

}  // namespace vantory::records
