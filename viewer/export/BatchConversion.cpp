#include "BatchConversion.h"

#include <chrono>
#include <filesystem>

#include "export/ExportConstants.h"
#include "mvsdk/Frame.h"

namespace vantory::exports {

namespace ex = Movoda::exporters;
namespace fs = std::filesystem;

BatchConversion::BatchConversion(ConversionHooks hooks) : hooks_(std::move(hooks)) {}

void BatchConversion::print(const std::string& line) const {
    if (hooks_.print) hooks_.print(line);
}

void BatchConversion::begin(ex::ConversionKind kind) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        directory_.clear();
        failures_.clear();
        currentPath_.clear();
        currentFrameName_.clear();
    }
    total_.store(0);
    done_.store(0);
    failed_.store(0);
    stepDone_.store(false);
    toImages_.store(kind == ex::ConversionKind::Images);
    running_.store(true);
    convertOn_.store(true);
}

void BatchConversion::cancel() {
    convertOn_.store(false);
    running_.store(false);
    { std::lock_guard<std::mutex> lock(mutex_); }
    stepChanged_.notify_all();
}

ConversionCounts BatchConversion::counts() const {
    ConversionCounts c;
    c.running = running_.load();
    c.total = total_.load();
    c.done = done_.load();
    c.failed = failed_.load();
    return c;
}

std::string BatchConversion::directory() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return directory_;
}

std::vector<std::string> BatchConversion::failures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
}

records::PlaybackSteps BatchConversion::steps() {
    records::PlaybackSteps s;
    s.beforeFile = [this](int index, const std::vector<std::string>& paths) {
        beforeFile(index, paths);
    };
    s.afterFile = [this](int index, const std::string& path, const std::string& failure) {
        afterFile(index, path, failure);
    };
    s.unpaced = [this] { return convertOn_.load(); };
    s.playedToEnd = [this] { playedToEnd(); };
    return s;
}

void BatchConversion::abandon(const std::string& title, const std::string& text) {
    convertOn_.store(false);
    if (hooks_.message) hooks_.message(title, text);
}

void BatchConversion::addFailure(const std::string& path, const std::string& reason) {
    failed_.fetch_add(1);
    print("convert failed: " + path + ": " + reason);
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.push_back(path + ": " + reason);
}

void BatchConversion::beforeFile(int index, const std::vector<std::string>& paths) {
    if (!convertOn_.load()) return;
    playIndex_.store(index);
    stepDone_.store(false);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        currentPath_ = paths[static_cast<size_t>(index)];
        currentFrameName_ = records::playedFrameName(currentPath_);
        if (!directory_.empty()) return;
    }
    // The first file decides where the conversion goes.
    const std::string dir = ex::conversionDirectory(
        paths.front(), toImages_.load() ? ex::ConversionKind::Images : ex::ConversionKind::Pcd);
    print(ex::kPcdDirLine + dir);
    total_.store(static_cast<int>(paths.size()));
    std::error_code error;
    const bool exists = fs::exists(dir, error);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        directory_ = dir;
    }
    if (exists) {
        abandon(ex::kConvertRefusedTitle, dir);
        running_.store(false);
        return;
    }
    if (!fs::create_directories(dir, error) && !fs::is_directory(dir)) {
        abandon(ex::kConvertRefusedTitle, dir + ": " + error.message());
        running_.store(false);
    }
}

void BatchConversion::afterFile(int, const std::string& path, const std::string& failure) {
    if (!convertOn_.load()) return;
    if (!failure.empty()) {
        addFailure(path, failure);
        done_.fetch_add(1);
        return;
    }
    bool saved = false;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        saved = stepChanged_.wait_for(lock, std::chrono::milliseconds(kStepChecks * kStepCheckMs),
                                      [this] { return stepDone_.load() || !convertOn_.load(); });
    }
    if (!convertOn_.load()) return;  // cancelled, or the writer failed
    done_.fetch_add(1);
    if (!saved) {
        addFailure(path, "not saved in time");
        abandon(hooks_.english ? ex::kConvertFailedTitleEnglish : ex::kConvertFailedTitleChinese,
                hooks_.english ? ex::kStorageTimeoutEnglish : ex::kStorageTimeoutChinese);
    }
}

void BatchConversion::playedToEnd() {
    if (!running_.exchange(false)) return;
    const bool finished = convertOn_.exchange(false);
    toImages_.store(false);
    if (finished && hooks_.message) {
        std::string text = directory();
        text += "\n" + std::to_string(done_.load() - failed_.load()) + " of " +
                std::to_string(total_.load()) + " files converted";
        const std::vector<std::string> failed = failures();
        if (!failed.empty())
            text += ", " + std::to_string(failed.size()) + " failed: " + failed.front();
        if (failed.size() > 1) text += " ...";
        hooks_.message(ex::kConvertFinishedTitle, text);
    }
    if (hooks_.endPlaybackMode) hooks_.endPlaybackMode();
}

void BatchConversion::stepDone() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stepDone_.store(true);
    }
    stepChanged_.notify_all();
}

void BatchConversion::takeImages(const QImage* distance, const QImage* amplitude,
                                 const QImage* grayscale) {
    if (!convertOn_.load() || !toImages_.load() || stepDone_.load()) return;
    distance_ = distance != nullptr ? *distance : QImage();
    amplitude_ = amplitude != nullptr ? *amplitude : QImage();
    grayscale_ = grayscale != nullptr ? *grayscale : QImage();
}

bool BatchConversion::isFrameOfCurrentFile(const Movoda::Frame& frame) const {
    std::lock_guard<std::mutex> lock(mutex_);
    // No directory yet: the first file has not been announced.
    return !directory_.empty() && frame.name() == currentFrameName_;
}

void BatchConversion::onFrame(const Movoda::Frame& frame, const char* timeText,
                              const char* ptpDateText) {
    if (!convertOn_.load() || stepDone_.load() || !isFrameOfCurrentFile(frame)) return;
    const std::string name = ex::convertedFrameName(frame.timeSource(), timeText, ptpDateText,
                                                    frame.name(), playIndex_.load());
    if (toImages_.load())
        saveFrameImages(name);
    else
        saveFramePcd(frame, name);
}

void BatchConversion::saveFramePcd(const Movoda::Frame& frame, const std::string& name) {
    const std::string path = directory() + "/" + name + ex::kPcdSuffix;
    std::string why;
    ex::CloudConstPtr cloud = ex::frameCloud(frame, why);
    if (cloud) cloud = ex::applyCloudFilter(cloudFilter_, cloud, why);
    if (!cloud || cloud->size() <= ex::kMinViewerCloudPoints) {
        // Nothing worth a file; the conversion goes on with the next one.
        std::string current;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            current = currentPath_;
        }
        addFailure(current, cloud ? "cloud of " + std::to_string(cloud->size()) + " points" : why);
        stepDone();
        return;
    }
    if (!ex::writeCloud(*cloud, path, ex::CloudFormat::PcdBinary, why)) {
        print(ex::kSavePcdFailedLine + why);
        addFailure(path, why);
        abandon(hooks_.english ? ex::kConvertFailedTitleEnglish : ex::kConvertFailedTitleChinese,
                ex::kSavePcdFailedLine + why);
        stepDone();
        return;
    }
    print(ex::kPcdWrittenLine + path);
    stepDone();
}

void BatchConversion::saveFrameImages(const std::string& name) {
    const std::string base = directory() + "/" + name;
    const std::pair<const QImage*, const char*> images[] = {
        {&distance_, ex::kDistanceJpgSuffix},
        {&amplitude_, ex::kAmplitudeJpgSuffix},
        {&grayscale_, ex::kGrayJpgSuffix},
    };
    for (const auto& [image, suffix] : images) {
        if (image->height() < ex::kMinImageHeight) continue;
        const std::string path = base + suffix;
        if (!image->save(QString::fromStdString(path), "JPG")) {
            addFailure(path, "cannot write");
            abandon(
                hooks_.english ? ex::kConvertFailedTitleEnglish : ex::kConvertFailedTitleChinese,
                "cannot write " + path);
            break;
        }
    }
    distance_ = amplitude_ = grayscale_ = QImage();
    print(ex::kImagesWrittenLine + name);
    stepDone();
}

}  // namespace vantory::exports
