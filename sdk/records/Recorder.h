// Records frames to record files without slowing the frame path: the frame thread copies
// the frame's packet into one of a fixed set of buffers and queues it; a writer thread
// of its own creates the recording's directory, asks for the lens once and writes one
// file per frame. When every buffer is taken the frame is counted as dropped and
// reported, never silently lost. A file that cannot be written is removed, reported
// once and counted; when writing keeps failing the recording stops with a message.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mvsdk/MvTypes.h"
#include "records/RecordFormat.h"

namespace Movoda::records {

constexpr int kDefaultFrameLimit = 100;
constexpr size_t kDefaultQueueFrames = 32;
constexpr int kLensAttempts = 9;
// Consecutive failed files after which a recording stops.
constexpr int kMaxFailedWrites = 3;

constexpr const char* kRecordFailTitle = "record fail";
constexpr const char* kCameraParamsEmpty = "camera_params empty";

// Writes one file from the given pieces; on failure removes what it wrote and says why.
using FileWriter = std::function<bool(const std::string& path, const std::vector<uint8_t>& header,
                                      const uint8_t* data, size_t size, std::string& error)>;
// The default: POSIX write, partial writes continued, the file removed on any failure.
bool writeRecordFile(const std::string& path, const std::vector<uint8_t>& header,
                     const uint8_t* data, size_t size, std::string& error);

// Counters of one recording.
struct RecordingCounts {
    int written = 0;  // files on disk (0.xbin .. written-1.xbin)
    int dropped = 0;  // frames that found every buffer taken, or were queued when writing failed
    int failed = 0;   // frames whose file could not be written
    bool active = false;
    int frameLimit = 0;
    bool noLimit = false;
    std::string directory;  // empty until the first file is written
};

class Recorder {
public:
    struct Hooks {
        // The camera's lens calibration; asked once per recording on the writer thread.
        std::function<bool(LensParams&)> queryLens;
        // After each file written, frame dropped or failure (writer or frame thread).
        std::function<void()> countsChanged;
        // Diagnostic lines (any thread).
        std::function<void(const std::string&)> log;
        // The recording stopped by itself: title and text for the user (writer thread).
        std::function<void(const std::string& title, const std::string& text)> failed;
    };

    Recorder(Hooks hooks, std::string exportDir, size_t queueFrames = kDefaultQueueFrames,
             FileWriter writer = writeRecordFile);
    // Writes what is queued, then joins the writer thread.
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // GUI thread. A new recording into a new directory; frames already queued for an
    // earlier recording are still written into that one.
    void start(const RecordInfo& info, int frameLimit = kDefaultFrameLimit);
    // Frames already queued are still written.
    void stop();
    void setNoLimit(bool noLimit);
    // The recording's acquisition settings, for version-2 files.
    void setRecordInfo(const RecordInfo& info);

    RecordingCounts counts() const;
    bool active() const;
    // The limit is reached (and no-limit is off) with every accepted frame written.
    bool complete() const;

    // Frame thread: queues the frame's stored packet while recording.
    void recordFrame(uint8_t frameVersion, const std::vector<uint8_t>& packet);

    // Waits until every queued frame has been written or discarded (tests, shutdown).
    bool waitIdle(int timeoutMs);

private:
    struct Recording;
    struct Slot {
        std::vector<uint8_t> packet;
        uint8_t frameVersion = 0;
        std::shared_ptr<Recording> recording;
    };

    void writerLoop();
    void write(Slot& slot);
    bool prepare(Recording& r);
    void fail(Recording& r, const std::string& text);
    void log(const std::string& line);
    void changed();
    std::shared_ptr<Recording> current() const;

    Hooks hooks_;
    std::string exportDir_;
    FileWriter writer_;

    mutable std::mutex currentMutex_;
    std::shared_ptr<Recording> current_;

    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<Slot*> queued_;  // under queueMutex_
    std::vector<Slot*> free_;   // under queueMutex_
    size_t busy_ = 0;           // slots taken by the writer, under queueMutex_
    std::vector<std::unique_ptr<Slot>> slots_;
    bool stopping_ = false;  // under queueMutex_
    std::atomic<bool> noLimit_{false};
    std::thread writerThread_;
};

}  // namespace Movoda::records
