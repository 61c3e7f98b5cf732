// vantory-cli firmware: the viewer's firmware update, headless. The same procedure
// (boot loader, begin, chunks, end, the camera's report, the 3-second watchdog); what the
// viewer shows in its window goes to standard error here.
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <optional>

#include "CameraSession.h"
#include "CliConstants.h"
#include "Commands.h"
#include "FirmwareImage.h"
#include "FirmwareUpdate.h"

namespace vantory_cli {

namespace {

using namespace std::chrono_literals;
namespace service = vantory::service;

// The viewer's periodic timer, which drives the wait for the camera's report.
constexpr auto kWatchdogInterval = 3000ms;
// How often Ctrl-C is looked at while waiting.
constexpr auto kInterruptPoll = 200ms;

// Progress and texts on standard error, each change once.
class StderrProgress : public service::UpdateListener {
public:
    void progress(int value) override {
        if (value == lastProgress_) return;
        lastProgress_ = value;
        std::cerr << "firmware: " << value << "%" << std::endl;
    }
    void status(const service::Text& text, service::Tone) override {
        if (lastStatus_ == text.english) return;
        lastStatus_ = text.english;
        std::cerr << "firmware: " << (*text.english ? text.english : "failed") << std::endl;
    }
    void message(const service::Text& text) override {
        if (lastStatus_ != text.english) std::cerr << "firmware: " << text.english << std::endl;
    }
    void line(const std::string& text) override { std::cerr << text << std::endl; }
    void finished(service::UpdateOutcome outcome) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            outcome_ = outcome;
        }
        done_.notify_all();
    }

    std::optional<service::UpdateOutcome> waitFor(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait_for(lock, timeout, [this] { return outcome_.has_value(); });
        return outcome_;
    }

private:
    int lastProgress_ = -1;
    std::string lastStatus_;
    std::mutex mutex_;
    std::condition_variable done_;
    std::optional<service::UpdateOutcome> outcome_;
};

int exitCodeOf(service::UpdateOutcome outcome) {
    switch (outcome) {
        case service::UpdateOutcome::Programmed:
            return kExitOk;
        case service::UpdateOutcome::CameraError:
        case service::UpdateOutcome::NoReport:
            return kExitFirmwareFailed;
        case service::UpdateOutcome::BadImage:
            return kExitBadFirmwareFile;
        case service::UpdateOutcome::Cancelled:
            return kExitInterrupted;
        default:
            return kExitCommandFailed;
    }
}

// Runs the update and the watchdog until the camera has reported, the watchdog has given
// up, the transfer has failed or the user pressed Ctrl-C.
service::UpdateOutcome runUpdate(Movoda::MvSdk& sdk, const std::string& path,
                                 const std::atomic<bool>& interrupted) {
    StderrProgress progress;
    service::FirmwareUpdate update(sdk, progress);
    sdk.setCallback(
        [&update](const std::shared_ptr<const Movoda::CBEventData>& event) {
            if (event) update.handleReport(*event);
        },
        nullptr);
    update.start(path);
    auto nextTick = std::chrono::steady_clock::now() + kWatchdogInterval;
    std::optional<service::UpdateOutcome> outcome;
    while (!(outcome = progress.waitFor(kInterruptPoll))) {
        if (interrupted.load()) {
            update.cancel();
            outcome = progress.waitFor(0ms);
            if (!outcome) outcome = service::UpdateOutcome::Cancelled;
            break;
        }
        if (std::chrono::steady_clock::now() >= nextTick) {
            update.tick();
            nextTick += kWatchdogInterval;
        }
    }
    // No report may reach the update once it is gone.
    sdk.setCallback(nullptr, nullptr);
    return *outcome;
}

}  // namespace

int runFirmware(const CliOptions& options, const LineSink& out,
                const std::atomic<bool>& interrupted) {
    // An unusable file is refused before the camera hears of it.
    const service::ImageProblem problem = service::loadFirmwareImage(options.firmwareFile).problem;
    if (problem != service::ImageProblem::None) {
        const char* why = problem == service::ImageProblem::Empty ? "is empty"
                          : problem == service::ImageProblem::TooLarge
                              ? "is larger than the transfer can address (64 MiB)"
                              : "cannot be read";
        std::cerr << "vantory-cli: the firmware file " << options.firmwareFile << " " << why
                  << std::endl;
        return kExitBadFirmwareFile;
    }

    CameraSession session(nullptr);
    if (const int connected = session.connectOrReport(options, false); connected != kExitOk)
        return connected;
    Movoda::MvSdk& sdk = session.sdk();
    sdk.stop();  // no frames while the camera takes its new firmware

    const service::UpdateOutcome outcome = runUpdate(sdk, options.firmwareFile, interrupted);
    const int code = exitCodeOf(outcome);
    if (code == kExitOk) {
        out("firmware: updated " + options.address);
    } else if (code == kExitInterrupted) {
        std::cerr << "vantory-cli: interrupted; the camera may be waiting in its boot loader"
                  << std::endl;
        out("firmware: interrupted " + options.address);
    } else {
        out("firmware: failed " + options.address);
    }
    return code;
}

}  // namespace vantory_cli
