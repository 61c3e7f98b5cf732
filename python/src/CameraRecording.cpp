#include "CameraRecording.h"

#include "mvsdk/MvLog.h"

namespace vantory_py {

namespace mr = Movoda::records;

namespace {
constexpr const char* kLogTag = "vantory.Camera.record";
// How long closing a camera waits for the files of frames already taken.
constexpr int kFinishWaitMs = 10000;
}  // namespace

CameraRecording::CameraRecording(LensQuery queryLens) : queryLens_(std::move(queryLens)) {}

CameraRecording::~CameraRecording() {
    finish();
    std::shared_ptr<mr::Recorder> recorder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        recorder = std::move(recorder_);
    }
    recorder.reset();  // joins the writer thread
}

void CameraRecording::start(const std::string& baseDirectory, const mr::RecordInfo& info,
                            int frameLimit) {
    mr::Recorder::Hooks hooks;
    hooks.queryLens = [this](Movoda::LensParams& lens) { return queryLens_(lens); };
    hooks.countsChanged = [this] { changed(); };
    hooks.log = [](const std::string& line) { Movoda::sdkLog(Movoda::LOG_INFO, kLogTag, line); };
    hooks.failed = [this](const std::string& title, const std::string& text) {
        Movoda::sdkLog(Movoda::LOG_ERROR, kLogTag, title + ": " + text);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            error_ = text;
        }
        changed_.notify_all();
    };
    auto recorder = std::make_shared<mr::Recorder>(std::move(hooks), baseDirectory);
    recorder->setNoLimit(frameLimit == 0);
    recorder->start(info, frameLimit == 0 ? mr::kDefaultFrameLimit : frameLimit);
    std::shared_ptr<mr::Recorder> earlier;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        earlier = std::move(recorder_);
        recorder_ = std::move(recorder);
        error_.clear();
    }
    if (earlier) earlier->stop();
    // `earlier` goes here, or on the frame thread that still holds it: its destructor
    // writes what it had queued.
}

void CameraRecording::stop() {
    if (auto recorder = current()) recorder->stop();
    changed();
}

void CameraRecording::recordFrame(const Movoda::Frame& frame) {
    if (auto recorder = current()) recorder->recordFrame(frame.version(), frame.packet());
}

RecordingStatus CameraRecording::status() const {
    RecordingStatus s;
    std::shared_ptr<mr::Recorder> recorder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        recorder = recorder_;
        s.error = error_;
    }
    if (recorder) {
        s.counts = recorder->counts();
        s.complete = recorder->complete();
    }
    return s;
}

bool CameraRecording::waitDone(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_until(lock, deadline, [this] { return doneLocked(); });
}

bool CameraRecording::doneLocked() const {
    if (!recorder_) return true;
    if (!error_.empty() || recorder_->complete()) return true;
    // Stopped by hand: done once the writer has taken everything queued.
    return !recorder_->active() && recorder_->waitIdle(0);
}

void CameraRecording::finish() {
    const std::shared_ptr<mr::Recorder> recorder = current();
    if (!recorder) return;
    recorder->stop();
    // The recorder stays, so that its counters still tell what was written; its
    // destructor writes whatever a very slow disk has not taken by then.
    recorder->waitIdle(kFinishWaitMs);
    changed();
}

std::shared_ptr<mr::Recorder> CameraRecording::current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return recorder_;
}

void CameraRecording::changed() {
    { std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
}

}  // namespace vantory_py
