#include "records/Recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "records/RecordNaming.h"

namespace Movoda::records {

namespace {
constexpr auto kDropLogInterval = std::chrono::seconds(1);
}

struct Recorder::Recording {
    std::time_t startTime = 0;
    int frameLimit = kDefaultFrameLimit;
    std::atomic<bool> noLimit{false};
    std::atomic<bool> active{true};
    std::atomic<bool> aborted{false};
    std::atomic<int> accepted{0};  // queued for writing
    std::atomic<int> handled{0};   // taken off the queue: written, failed or discarded
    std::atomic<int> written{0};
    std::atomic<int> dropped{0};
    std::atomic<int> failed{0};

    mutable std::mutex mutex;  // guards info and directory
    RecordInfo info;
    std::string directory;

    // Writer thread only.
    bool prepared = false;
    LensParams lens;
    int consecutiveFailures = 0;
    bool failureLogged = false;
    // Frame thread only.
    std::chrono::steady_clock::time_point lastDropLog{};
};

bool writeRecordFile(const std::string& path, const std::vector<uint8_t>& header,
                     const uint8_t* data, size_t size, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    auto writeAll = [fd](const uint8_t* p, size_t n) {
        while (n > 0) {
            const ssize_t k = ::write(fd, p, n);
            if (k < 0 && errno == EINTR) continue;
            if (k <= 0) {
                if (k == 0) errno = EIO;
                return false;
            }
            p += k;
            n -= static_cast<size_t>(k);
        }
        return true;
    };
    bool ok = writeAll(header.data(), header.size()) && writeAll(data, size);
    int reason = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (!ok) {
        error = std::strerror(reason);
        ::unlink(path.c_str());  // no partly written frame is left for playback to trip over
    }
    return ok;
}

Recorder::Recorder(Hooks hooks, std::string exportDir, size_t queueFrames, FileWriter writer)
    : hooks_(std::move(hooks)), exportDir_(std::move(exportDir)), writer_(std::move(writer)) {
    for (size_t k = 0; k < queueFrames; ++k) {
        slots_.push_back(std::make_unique<Slot>());
        free_.push_back(slots_.back().get());
    }
    writerThread_ = std::thread(&Recorder::writerLoop, this);
}

Recorder::~Recorder() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopping_ = true;
    }
    queueChanged_.notify_all();
    if (writerThread_.joinable()) writerThread_.join();
}

void Recorder::start(const RecordInfo& info, int frameLimit) {
    auto r = std::make_shared<Recording>();
    r->startTime = std::time(nullptr);
    r->frameLimit = frameLimit;
    r->info = info;
    r->noLimit.store(noLimit_.load());
    std::lock_guard<std::mutex> lock(currentMutex_);
    current_ = std::move(r);
}

void Recorder::stop() {
    if (auto r = current()) r->active.store(false);
}

void Recorder::setNoLimit(bool noLimit) {
    noLimit_.store(noLimit);
    if (auto r = current()) r->noLimit.store(noLimit);
}

void Recorder::setRecordInfo(const RecordInfo& info) {
    if (auto r = current()) {
        std::lock_guard<std::mutex> lock(r->mutex);
        r->info = info;
    }
}

std::shared_ptr<Recorder::Recording> Recorder::current() const {
    std::lock_guard<std::mutex> lock(currentMutex_);
    return current_;
}

RecordingCounts Recorder::counts() const {
    RecordingCounts c;
    const auto r = current();
    if (!r) return c;
    c.written = r->written.load();
    c.dropped = r->dropped.load();
    c.failed = r->failed.load();
    c.active = r->active.load();
    c.frameLimit = r->frameLimit;
    c.noLimit = r->noLimit.load();
    std::lock_guard<std::mutex> lock(r->mutex);
    c.directory = r->directory;
    return c;
}

bool Recorder::active() const {
    const auto r = current();
    return r && r->active.load();
}

bool Recorder::complete() const {
    const auto r = current();
    if (!r || r->noLimit.load()) return false;
    const int accepted = r->accepted.load();
    return accepted >= r->frameLimit && r->handled.load() >= accepted;
}

void Recorder::recordFrame(uint8_t frameVersion, const std::vector<uint8_t>& packet) {
    const std::shared_ptr<Recording> r = current();
    if (!r || !r->active.load()) return;
    if (!r->noLimit.load() && r->accepted.load() >= r->frameLimit) return;
    Slot* slot = nullptr;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (!free_.empty()) {
            slot = free_.back();
            free_.pop_back();
        }
    }
    if (slot == nullptr) {
        const int dropped = r->dropped.fetch_add(1) + 1;
        const auto now = std::chrono::steady_clock::now();
        if (dropped == 1 || now - r->lastDropLog >= kDropLogInterval) {
            r->lastDropLog = now;
            log("record: writer queue full, frame dropped (" + std::to_string(dropped) +
                " dropped so far)");
        }
        changed();
        return;
    }
    slot->packet.assign(packet.begin(), packet.end());  // the slot's storage is reused
    slot->frameVersion = frameVersion;
    slot->recording = r;
    r->accepted.fetch_add(1);
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queued_.push_back(slot);
    }
    queueChanged_.notify_all();
}

bool Recorder::waitIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(queueMutex_);
    return queueChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return queued_.empty() && busy_ == 0; });
}

void Recorder::writerLoop() {
    for (;;) {
        Slot* slot = nullptr;
        {
            std::unique_lock<std::mutex> lock(queueMutex_);
            queueChanged_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
            if (queued_.empty()) return;  // stopping, and everything is written
            slot = queued_.front();
            queued_.pop_front();
            ++busy_;
        }
        write(*slot);
        slot->recording->handled.fetch_add(1);
        slot->recording.reset();
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            free_.push_back(slot);
            --busy_;
        }
        queueChanged_.notify_all();
        changed();
    }
}

void Recorder::write(Slot& slot) {
    Recording& r = *slot.recording;
    if (r.aborted.load() || (!r.prepared && !prepare(r))) {
        r.dropped.fetch_add(1);  // the recording stopped with a message; counted, not lost silently
        return;
    }
    std::string directory;
    RecordInfo info;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        directory = r.directory;
        info = r.info;
    }
    if (!std::filesystem::is_directory(directory)) {
        std::cout << "camparams is empty" << std::endl;
        log("record: the recording directory " + directory + " is gone; recording stopped");
        r.active.store(false);
        r.aborted.store(true);
        r.dropped.fetch_add(1);
        return;
    }
    const uint32_t index = static_cast<uint32_t>(r.written.load());
    const std::string path = recordFilePath(directory, index);
    const RecordFileLayout layout =
        recordFileLayout(slot.frameVersion, slot.packet.data(), slot.packet.size(), r.lens, info);
    const size_t offset = std::min(layout.packetOffset, slot.packet.size());
    std::string error;
    if (writer_(path, layout.header, slot.packet.data() + offset, slot.packet.size() - offset,
                error)) {
        r.written.fetch_add(1);
        r.consecutiveFailures = 0;
        return;
    }
    r.failed.fetch_add(1);
    std::cout << "Failed to open file for writing." << std::endl;
    if (!r.failureLogged) {
        r.failureLogged = true;
        log("record: cannot write " + path + ": " + error);
    }
    if (++r.consecutiveFailures >= kMaxFailedWrites)
        fail(r, "cannot write " + directory + ": " + error);
}

bool Recorder::prepare(Recording& r) {
    LensParams lens;
    bool haveLens = !hooks_.queryLens;
    for (int attempt = 0; attempt < kLensAttempts && !haveLens; ++attempt) {
        haveLens = hooks_.queryLens(lens);
        if (!haveLens) log("recordFrame: get g_camparams failed");
    }
    if (!haveLens) {
        std::cout << "Failed to getLensCalidata." << std::endl;
        fail(r, kCameraParamsEmpty);
        return false;
    }
    std::string error;
    const std::optional<std::string> directory =
        createRecordingDirectory(exportDir_, timeText(r.startTime), error);
    if (!directory) {
        log("record: cannot create the recording directory: " + error);
        fail(r, "cannot create the recording directory: " + error);
        return false;
    }
    std::cout << *directory << std::endl;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        r.directory = *directory;
    }
    r.lens = lens;
    r.prepared = true;
    return true;
}

void Recorder::fail(Recording& r, const std::string& text) {
    r.active.store(false);
    r.aborted.store(true);
    if (hooks_.failed) hooks_.failed(kRecordFailTitle, text);
}

void Recorder::log(const std::string& line) {
    if (hooks_.log) hooks_.log(line);
}

void Recorder::changed() {
    if (hooks_.countsChanged) hooks_.countsChanged();
}

}  // namespace Movoda::records
