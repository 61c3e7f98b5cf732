// Converting record files by playing them: the playback thread hands each file's frame to
// the SDK, the frame path saves it (a PCD of its cloud, or JPEGs of the images it built)
// and sets the step-done flag, and the playback waits for that flag before the next file.
// The output goes to a sibling of the recording's directory ("_pcd" or "_img"), which
// must not exist yet, so a conversion never mixes with an earlier one.
#pragma once

#include <QImage>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Playback.h"
#include "export/ExportNaming.h"
#include "export/FrameCloud.h"

namespace Movoda {
class Frame;
}

namespace vantory::exports {

struct ConversionHooks {
    // The self-closing message (any thread).
    std::function<void(const std::string& title, const std::string& text)> message;
    // A diagnostic line on standard output (any thread).
    std::function<void(const std::string& line)> print;
    // Ends the SDK's playback mode, which ends the playback (playback thread).
    std::function<void()> endPlaybackMode;
    bool english = true;
};

// What the progress bar shows (any thread).
struct ConversionCounts {
    bool running = false;  // a conversion was started and has not finished
    int total = 0;
    int done = 0;    // files handled: saved, skipped or failed
    int failed = 0;  // files without an output
};

// Step waits: this many checks this far apart before the conversion gives up.
constexpr int kStepChecks = 100;
constexpr int kStepCheckMs = 25;
// After the last file, the time the playback holds it before the conversion ends.

class BatchConversion {
public:
    explicit BatchConversion(ConversionHooks hooks);

    // GUI thread: a new conversion of the files the playback is about to play.
    void begin(Movoda::exporters::ConversionKind kind);
    // GUI thread: the user stops it; frames no longer saved, the playback is released.
    void cancel();
    bool converting() const { return convertOn_.load(); }
    bool toImages() const { return toImages_.load(); }
    ConversionCounts counts() const;
    std::string directory() const;
    // Files that gave no output, with the reason.
    std::vector<std::string> failures() const;

    // The hooks the playback calls.
    records::PlaybackSteps steps();

    // Frame thread, under the frame mutex, with the images just built (any may be null).
    void takeImages(const QImage* distance, const QImage* amplitude, const QImage* grayscale);
    // Frame thread, outside the frame mutex: saves the frame when a conversion wants it,
    // which is the frame of the file being played; any other (a camera frame still
    // streaming, a late one of an earlier file) is left alone. timeText and ptpDateText are
    // the frame's time texts of the frame path.
    void onFrame(const Movoda::Frame& frame, const char* timeText, const char* ptpDateText);

    // Cloud filter applied before each PCD is written (set while no conversion runs).
    void setCloudFilter(Movoda::exporters::CloudFilter filter) { cloudFilter_ = std::move(filter); }

    // Playback thread (through steps()).
    void beforeFile(int index, const std::vector<std::string>& paths);
    void afterFile(int index, const std::string& path, const std::string& failure);
    void playedToEnd();

private:
    void saveFramePcd(const Movoda::Frame& frame, const std::string& name);
    void saveFrameImages(const std::string& name);
    // Stops saving, with a message; the playback goes on.
    void abandon(const std::string& title, const std::string& text);
    void stepDone();
    bool isFrameOfCurrentFile(const Movoda::Frame& frame) const;
    void addFailure(const std::string& path, const std::string& reason);
    void print(const std::string& line) const;

    ConversionHooks hooks_;
    Movoda::exporters::CloudFilter cloudFilter_;

    std::atomic<bool> convertOn_{false};
    std::atomic<bool> toImages_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> stepDone_{false};
    std::atomic<int> playIndex_{0};
    std::atomic<int> total_{0};
    std::atomic<int> done_{0};
    std::atomic<int> failed_{0};

    mutable std::mutex mutex_;  // guards directory_, failures_, currentPath_, currentFrameName_;
                                // wakes step waits
    std::condition_variable stepChanged_;
    std::string directory_;
    std::string currentPath_;
    std::string currentFrameName_;  // the name the playback gives the frame of currentPath_
    std::vector<std::string> failures_;

    // Frame thread only: the images of the frame being saved.
    QImage distance_;
    QImage amplitude_;
    QImage grayscale_;
};

}  // namespace vantory::exports
