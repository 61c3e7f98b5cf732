// The playback thread: walks the selected files at the chosen rate, forwards or
// backwards, looping or not, and feeds each one through the SDK (record files and text
// dumps) or to the point-cloud window (PCD files), so that played frames reach the main
// window's frame path exactly like live ones. Plain C++ with hooks, no widgets.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "mvsdk/MvTypes.h"
#include "records/PlayedConfig.h"

namespace vantory::records {

struct PlaybackHooks {
    // The SDK's playback mode; playback ends when it is cleared (live streaming starts).
    std::function<bool()> playbackMode;
    // Hands a record file's frame payload to the SDK's decoder.
    std::function<bool(const std::vector<std::uint8_t>& payload, const std::string& tag)>
        replayFrame;
    // The lens of an older recording, for its point clouds.
    std::function<void(const Movoda::LensParams&)> setLens;
    // Hands a text dump's datagrams to the SDK.
    std::function<bool(const std::vector<std::uint8_t>& datagrams, const std::string& tag)>
        replayRaw;
    // Reads a PCD file and shows it in the point-cloud window; false when it is rejected.
    std::function<bool(const std::string& path)> showPcd;
    // Waits until the SDK has delivered every frame handed to it, at most this long.
    std::function<void(int timeoutMs)> waitDelivered;
    // Numbered GUI update.
    std::function<void(int code)> post;
    // The played frames carry their own configuration (text dumps of newer cameras).
    std::function<void(bool)> setFramesCarryConfig;
    // The list of files opened, for the recent directories.
    std::function<void(const std::vector<std::string>&)> filesOpened;
    // Diagnostic lines.
    std::function<void(const std::string&)> print;
};

// The name the playback gives the frame of the record file or text dump at `path` (its
// file name without directory and suffix): a frame with another name did not come from
// that file (a camera frame, or one of an earlier file).
std::string playedFrameName(const std::string& path);

// A batch conversion riding on the playback: told about every file, it holds the
// playback until the file's frame has been saved and takes over the pacing.
struct PlaybackSteps {
    // Before a file is played (index in the list, the list itself).
    std::function<void(int index, const std::vector<std::string>& paths)> beforeFile;
    // After a file was handed on; `failure` is empty when it was, else why not. Returns
    // when the file's frame was saved (or the step was given up).
    std::function<void(int index, const std::string& path, const std::string& failure)> afterFile;
    // While true, files follow each other as fast as they are saved.
    std::function<bool()> unpaced;
    // The last file was played and held.
    std::function<void()> playedToEnd;
};

class Playback {
public:
    explicit Playback(PlaybackHooks hooks);
    // Ends a running playback and joins its thread.
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Ends a running playback, then plays `paths` on a new thread (nothing for none).
    void start(std::vector<std::string> paths);
    // Ends the playback and waits for its thread.
    void stop();
    // Set while no playback runs.
    void setSteps(PlaybackSteps steps) { steps_ = std::move(steps); }
    bool running() const { return running_.load(); }

    void setPlaying(bool playing);
    bool playing() const { return playing_.load(); }
    void setLoop(bool loop) { loop_.store(loop); }
    void setBackward(bool backward) { backward_.store(backward); }
    // 0 plays at the default rate.
    void setPlayFps(int fps) { playFps_.store(fps); }
    int playFps() const { return playFps_.load(); }
    // Plays `position` next when it names a file.
    void seek(int position);
    int playIndex() const { return playIndex_.load(); }
    int fileCount() const { return fileCount_.load(); }

    // The frames of the files played carry their own configuration (the frame path
    // compares it); then the playback does not.
    bool framesCarryConfig() const { return framesCarryConfig_.load(); }
    // The configuration of the last file played that carried one.
    std::optional<Movoda::records::PlayedConfig> lastConfig() const;
    // Base name of the file being played (exports name their files after it).
    std::string tag() const;

private:
    void run(std::vector<std::string> paths);
    // Empty when the file's frame went to the SDK, else why not (a PCD file goes to the
    // window: it has no frame to convert).
    std::string playFile(const std::string& path);
    // Sleeps until `deadline`, the stop request or a change of the play state.
    void waitUntil(std::chrono::steady_clock::time_point deadline);
    void print(const std::string& line) const;
    void post(int code) const;

    PlaybackHooks hooks_;
    PlaybackSteps steps_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> playing_{false};
    std::atomic<bool> loop_{true};
    std::atomic<bool> backward_{false};
    std::atomic<int> playFps_{0};
    std::atomic<int> playIndex_{0};
    std::atomic<int> fileCount_{0};
    std::atomic<bool> framesCarryConfig_{false};

    mutable std::mutex mutex_;  // guards lastConfig_, tag_ and wakes waits
    std::condition_variable wake_;
    std::optional<Movoda::records::PlayedConfig> lastConfig_;
    std::string tag_;
};

}  // namespace vantory::records
