#include "Playback.h"

#include <sys/stat.h>

#include <chrono>

#include "PlaybackSequence.h"
#include "RecordsConstants.h"
#include "UiUpdateCodes.h"
#include "mvsdk/Frame.h"
#include "records/HexDump.h"
#include "records/RecordFormat.h"

namespace vantory::records {

namespace mr = Movoda::records;

namespace {

bool isRegularFile(const std::string& path) {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// File name without its directory and without `suffix`.
std::string baseName(const std::string& path, const char* suffix) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t at = name.rfind(suffix);
    if (at != std::string::npos) name.erase(at);
    return name;
}

}  // namespace

std::string playedFrameName(const std::string& path) {
    return baseName(path, contains(path, kRecordSuffix) ? kRecordSuffix : kDumpSuffix);
}

Playback::Playback(PlaybackHooks hooks) : hooks_(std::move(hooks)) {}

Playback::~Playback() {
    stop();
}

void Playback::start(std::vector<std::string> paths) {
    stop();
    if (paths.empty()) return;
    stopRequested_.store(false);
    running_.store(true);
    thread_ = std::thread(&Playback::run, this, std::move(paths));
}

void Playback::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopRequested_.store(true);
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    running_.store(false);
}

void Playback::setPlaying(bool playing) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        playing_.store(playing);
    }
    wake_.notify_all();
}

void Playback::seek(int position) {
    if (position >= 0 && position < fileCount_.load()) playIndex_.store(position);
}

std::optional<mr::PlayedConfig> Playback::lastConfig() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastConfig_;
}

std::string Playback::tag() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return tag_;
}

void Playback::print(const std::string& line) const {
    if (hooks_.print) hooks_.print(line);
}

void Playback::post(int code) const {
    if (hooks_.post) hooks_.post(code);
}

void Playback::waitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_until(lock, deadline, [this] { return stopRequested_.load(); });
}

void Playback::run(std::vector<std::string> paths) {
    using Clock = std::chrono::steady_clock;
    framesCarryConfig_.store(false);
    if (hooks_.setFramesCarryConfig) hooks_.setFramesCarryConfig(false);
    if (paths.size() == 1) loop_.store(false);
    fileCount_.store(static_cast<int>(paths.size()));
    playing_.store(true);
    post(kUpdatePlaySliderRange);
    post(kUpdatePlayButton);
    print("open files");
    if (hooks_.filesOpened) hooks_.filesOpened(paths);
    playIndex_.store(0);

    auto playbackMode = [this] { return !hooks_.playbackMode || hooks_.playbackMode(); };
    Clock::time_point deadline = Clock::now();
    while (playIndex_.load() < fileCount_.load() && playbackMode() && !stopRequested_.load()) {
        if (!playing_.load()) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(kPauseCheckMs),
                           [this] { return stopRequested_.load() || playing_.load(); });
            deadline = Clock::now();
            continue;
        }
        const int index = playIndex_.load();
        const std::string& path = paths[static_cast<size_t>(index)];
        if (steps_.beforeFile) steps_.beforeFile(index, paths);
        const std::string failure = isRegularFile(path) ? playFile(path) : "not a file";
        if (steps_.afterFile) steps_.afterFile(index, path, failure);

        // Paced by deadline, so that the time spent playing a file is part of its period.
        const bool unpaced = steps_.unpaced && steps_.unpaced();
        const auto period = unpaced ? std::chrono::milliseconds(0) : playPeriod(playFps_.load());
        deadline += period;
        const Clock::time_point now = Clock::now();
        if (deadline < now - period) deadline = now;  // far behind: do not race to catch up
        waitUntil(deadline);
        if (stopRequested_.load()) break;

        const PlaybackStep step =
            advancePlayback(index, fileCount_.load(), backward_.load(), loop_.load());
        if (step.end == PlaybackEnd::Forward) {
            waitUntil(Clock::now() + std::chrono::milliseconds(kLastFileHoldMs));
            if (stopRequested_.load()) break;
            if (steps_.playedToEnd) steps_.playedToEnd();
        }
        // A seek while this file played names the next file itself.
        int expected = index;
        if (!playIndex_.compare_exchange_strong(expected, step.index)) continue;
        if (step.end != PlaybackEnd::None) {
            setPlaying(false);
            post(kUpdatePlayButton);
        }
    }
    running_.store(false);
    playing_.store(false);
    post(kUpdatePlayButton);
}

std::string Playback::playFile(const std::string& path) {
    print("load file= " + path);
    std::optional<mr::PlayedConfig> config;
    std::string failure;
    if (contains(path, kRecordSuffix)) {
        const mr::RecordReadResult read = mr::readRecordFile(path);
        if (!read.message.empty()) print(read.message);
        if (read.status != mr::ReadStatus::Ok) return read.message;
        const mr::RecordFileContent& content = read.content;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            tag_ = playedFrameName(path);
        }
        if (content.lens && hooks_.setLens) hooks_.setLens(*content.lens);
        if (content.info)
            config = mr::configFromRecordInfo(*content.info);
        else if (content.hasInfoBlock) {
            config = mr::configFromInfoBlock(content.payload.data() + content.payload.size() -
                                             Movoda::Frame::kInfoBlockSize);
        }
        if (hooks_.waitDelivered) hooks_.waitDelivered(kPipelineWaitMs);
        if (hooks_.replayFrame && !hooks_.replayFrame(content.payload, playedFrameName(path)))
            failure = "frame refused by the decoder";
    } else if (contains(path, kDumpSuffix)) {
        mr::HexDump dump;
        if (!mr::readHexDump(path, dump)) {
            print("Failed to open file for reading.");
            return "Failed to open file for reading.";
        }
        for (const std::string& message : dump.messages) print(message);
        if (dump.endsWithInfoBlock && !framesCarryConfig_.exchange(true) &&
            hooks_.setFramesCarryConfig) {
            hooks_.setFramesCarryConfig(true);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            tag_ = playedFrameName(path);
        }
        if (hooks_.waitDelivered) hooks_.waitDelivered(kPipelineWaitMs);
        if (hooks_.replayRaw && !hooks_.replayRaw(dump.bytes, playedFrameName(path)))
            failure = "frame refused by the decoder";
    } else if (!hooks_.showPcd || !hooks_.showPcd(path)) {
        print("cannot open=  " + path);
        failure = "cannot open";
    } else {
        failure = "not a record file";  // a PCD file has no frame to convert
    }

    if (config && !framesCarryConfig_.load()) {
        bool changed = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!lastConfig_ || *lastConfig_ != *config) {
                lastConfig_ = config;
                changed = true;
            }
        }
        if (changed) post(kUpdatePlaybackConfig);
    }
    post(kUpdatePlayPosition);
    return failure;
}

}  // namespace vantory::records
