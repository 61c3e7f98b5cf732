// Recording a camera's frames to record files from the Python module, without Python:
// the record-file library's Recorder (its own writer thread, bounded buffers, loss
// counted) fed from the SDK's frame callback, so that a recording made in Python plays in
// the viewer and reads back with read_record. Every operation is safe from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "mvsdk/Frame.h"
#include "records/Recorder.h"

namespace vantory_py {

struct RecordingStatus {
    Movoda::records::RecordingCounts counts;
    bool complete = false;  // the frame limit is reached and every frame is written
    std::string error;      // why the recording stopped by itself; empty when it did not
};

class CameraRecording {
public:
    using LensQuery = std::function<bool(Movoda::LensParams&)>;
    explicit CameraRecording(LensQuery queryLens);
    // finish(), then ends the writer thread.
    ~CameraRecording();
    CameraRecording(const CameraRecording&) = delete;
    CameraRecording& operator=(const CameraRecording&) = delete;

    // A new recording into a new time-stamped folder below `baseDirectory`; `frameLimit`
    // 0 records until stop(). An earlier recording keeps writing what it had queued.
    void start(const std::string& baseDirectory, const Movoda::records::RecordInfo& info,
               int frameLimit);
    void stop();
    // Frame thread.
    void recordFrame(const Movoda::Frame& frame);
    RecordingStatus status() const;
    // Waits until the recording is complete or has stopped with every queued frame
    // handled; false at the deadline.
    bool waitDone(std::chrono::steady_clock::time_point deadline);
    // Ends the recording and writes what it had taken (waiting up to 10 s); the counters
    // stay readable.
    void finish();

private:
    std::shared_ptr<Movoda::records::Recorder> current() const;
    bool doneLocked() const;
    void changed();

    LensQuery queryLens_;
    mutable std::mutex mutex_;  // guards recorder_ and error_; never held around Recorder calls
    std::shared_ptr<Movoda::records::Recorder> recorder_;
    std::string error_;
    std::condition_variable changed_;
};

}  // namespace vantory_py
