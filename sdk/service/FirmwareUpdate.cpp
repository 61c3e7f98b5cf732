#include "FirmwareUpdate.h"

#include <optional>

#include "FirmwareImage.h"
#include "ServiceCommands.h"
#include "ServiceConstants.h"
#include "facade/WireBytes.h"
#include "mvsdk/MvSdk.h"
#include "mvsdk/MvTypes.h"

namespace vantory::service {

namespace {

constexpr uint8_t kStatusMask = 0x0F;

const Text& problemText(ImageProblem problem) {
    switch (problem) {
        case ImageProblem::Empty:
            return fwtext::kImageEmpty;
        case ImageProblem::TooLarge:
            return fwtext::kImageTooLarge;
        default:
            return fwtext::kImageUnreadable;
    }
}

}  // namespace

FirmwareUpdate::FirmwareUpdate(Movoda::MvSdk& sdk, UpdateListener& listener, UpdateTimings timings)
    : sdk_(sdk), listener_(listener), timings_(timings) {}

FirmwareUpdate::~FirmwareUpdate() {
    cancel();
}

bool FirmwareUpdate::start(const std::string& path) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        path_ = path;
    }
    if (workerRunning_.load()) return false;
    if (worker_.joinable()) worker_.join();  // the previous update's worker has ended
    cancelled_.store(false);
    workerRunning_.store(true);
    worker_ = std::thread(&FirmwareUpdate::run, this, path);
    return true;
}

void FirmwareUpdate::cancel() {
    {
        std::lock_guard<std::mutex> lock(pauseMutex_);
        cancelled_.store(true);
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

bool FirmwareUpdate::waitingForReport() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return waitingForReport_;
}

std::string FirmwareUpdate::path() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return path_;
}

bool FirmwareUpdate::pause(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(pauseMutex_);
    wake_.wait_for(lock, duration, [this] { return cancelled_.load(); });
    return !cancelled_.load();
}

void FirmwareUpdate::run(std::string path) {
    const std::optional<UpdateOutcome> outcome = runSteps(path);
    if (outcome) {
        std::lock_guard<std::mutex> lock(mutex_);
        listener_.finished(*outcome);
    }
    workerRunning_.store(false);
}

std::optional<UpdateOutcome> FirmwareUpdate::runSteps(const std::string& path) {
    const FirmwareImage image = loadFirmwareImage(path);
    if (image.problem != ImageProblem::None) {
        // Refused before the camera hears of it.
        const Text& text = problemText(image.problem);
        std::lock_guard<std::mutex> lock(mutex_);
        listener_.status(text, Tone::Red);
        listener_.message(text);
        return UpdateOutcome::BadImage;
    }
    if (!pause(timings_.settle)) return UpdateOutcome::Cancelled;

    bootloaderPolls_.store(0);
    if (!skipsBootloaderEntry(image.bytes) && !enterBootloader()) {
        return cancelled_.load() ? UpdateOutcome::Cancelled : UpdateOutcome::BootloaderFailed;
    }

    const std::vector<uint8_t>& bytes = image.bytes;
    if (!send(sdk_,
              firmwareBeginCommand(static_cast<uint32_t>(bytes.size()), sdk_.getEndianFlag()))) {
        std::lock_guard<std::mutex> lock(mutex_);
        listener_.status(fwtext::kBeginRefused, Tone::Red);
        return UpdateOutcome::BeginRefused;
    }
    if (!pause(timings_.chunkPause)) return UpdateOutcome::Cancelled;

    const std::size_t chunks = firmwareChunkCount(bytes.size());
    std::size_t sent = 0;
    while (sent < chunks) {
        if (!send(sdk_, firmwareChunkCommand(bytes, sent))) break;
        ++sent;
        if (!pause(timings_.chunkPause)) return UpdateOutcome::Cancelled;
        const int percent = static_cast<int>(sent * 100 / chunks);
        std::lock_guard<std::mutex> lock(mutex_);
        if (percent != progress_) {
            progress_ = percent;
            listener_.progress(percent);
            listener_.status(fwtext::kTransferring, Tone::Red);
        }
    }
    const bool complete = sent == chunks;
    if (complete) {
        // Armed before "end": a quick camera may report before the answer to it arrives.
        std::lock_guard<std::mutex> lock(mutex_);
        waitingForReport_ = true;
        reportWaitTicks_ = 0;
    }
    send(sdk_, firmwareEndCommand());

    std::lock_guard<std::mutex> lock(mutex_);
    if (!complete) {
        listener_.status(fwtext::kLostDataStatus, Tone::Red);
        listener_.line("fwupdata: Write failed " + std::to_string(chunks) + " " +
                       std::to_string(sent));
        listener_.message(fwtext::kLostDataBox);
        return UpdateOutcome::LostData;
    }
    listener_.line("fwupdata: Write ok ");
    if (waitingForReport_) {
        progress_ = kFirmwareProgrammingProgress;
        listener_.progress(progress_);
        listener_.status(fwtext::kProgramming, Tone::Red);
    }
    return std::nullopt;  // the report or the watchdog ends the update
}

bool FirmwareUpdate::enterBootloader() {
    send(sdk_, bootloaderEntryCommand());  // a camera already in its boot loader may refuse it
    {
        std::lock_guard<std::mutex> lock(mutex_);
        progress_ = 0;
        listener_.progress(0);
        listener_.status(fwtext::kWaitBootloader, Tone::Red);
    }
    for (int poll = 1; poll <= timings_.bootloaderPolls; ++poll) {
        if (!pause(timings_.bootloaderPoll)) return false;
        bootloaderPolls_.store(poll);
        const uint32_t state = sdk_.getDevState();
        if (state == Movoda::DEV_BootNoApp || state == Movoda::DEV_Bootloader) return true;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    listener_.status(fwtext::kBootloaderFailed, Tone::Red);
    return false;
}

void FirmwareUpdate::handleReport(const Movoda::CBEventData& event) {
    if (event.cmdId != kEventFirmwareReport) return;
    const uint8_t status = event.reportByte & kStatusMask;
    const std::vector<uint8_t>& data = event.data;
    const bool final = status == kReportStatus && !data.empty() && data[0] == kFirmwareFinalReport;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!final && status != 0 && data.size() == kFirmwareNoticeSize) {
        const uint16_t value = Movoda::facade::wire::getU16(data.data(), sdk_.getEndianFlag());
        listener_.line("fwupdate: sn= " + std::to_string(value));
    }
    if (!final) return;
    if (data.size() < 2) {
        listener_.line("fwupdate: result report without a result code");
        return;
    }
    const uint8_t code = data[1];
    waitingForReport_ = false;
    reportWaitTicks_ = 0;
    if (code == 0) {
        progress_ = kFirmwareDoneProgress;
        listener_.progress(progress_);
        listener_.status(fwtext::kFinishedStatus, Tone::Green);
        listener_.message(fwtext::kFinishedBox);
        listener_.finished(UpdateOutcome::Programmed);
        return;
    }
    const Text text = firmwareResultText(code);
    listener_.status(text, Tone::Red);
    listener_.message(text);
    listener_.finished(UpdateOutcome::CameraError);
}

void FirmwareUpdate::tick() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!waitingForReport_) return;
    if (++reportWaitTicks_ <= kFirmwareReportTicks) return;
    waitingForReport_ = false;
    reportWaitTicks_ = 0;
    listener_.status(fwtext::kNoReport, Tone::Red);
    listener_.finished(UpdateOutcome::NoReport);
}

}  // namespace vantory::service
