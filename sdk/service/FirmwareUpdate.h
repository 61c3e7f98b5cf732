// The firmware update of one camera: a worker thread asks the camera into its boot loader,
// sends the image in chunks, and the camera's own report (event id 50) or the watchdog
// ends the wait for its programming. One update at a time. The viewer and vantory-cli both
// drive it; what it has to say goes to an UpdateListener.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FirmwareTexts.h"

namespace Movoda {
class MvSdk;
struct CBEventData;
}  // namespace Movoda

namespace vantory::service {

enum class Tone { Red, Green };

enum class UpdateOutcome {
    Programmed,        // the camera reported success
    CameraError,       // the camera reported a result code other than 0
    NoReport,          // the watchdog gave up waiting for the report
    BadImage,          // the file was refused before anything was sent
    BootloaderFailed,  // the camera did not reach its boot loader
    BeginRefused,      // the camera refused the transfer
    LostData,          // a chunk was refused or unanswered
    Cancelled,         // the owner went away during the transfer
};

// Called from the worker thread, the SDK's event thread (report) and the watchdog's
// thread; the calls of one update never overlap. A listener must not call back into the
// FirmwareUpdate.
class UpdateListener {
public:
    virtual ~UpdateListener() = default;
    virtual void progress(int value) = 0;
    virtual void status(const Text& text, Tone tone) = 0;
    // A message for the user to acknowledge (the viewer's self-closing box).
    virtual void message(const Text& text) = 0;
    // A diagnostic line ("fwupdata: Write ok ").
    virtual void line(const std::string& text) = 0;
    // Once per update, with how it ended.
    virtual void finished(UpdateOutcome outcome) = 0;
};

struct UpdateTimings {
    std::chrono::milliseconds settle{1000};          // after reading the image
    std::chrono::milliseconds bootloaderPoll{1000};  // between device-state reads
    int bootloaderPolls = 30;
    std::chrono::milliseconds chunkPause{2};  // after begin and after each chunk
};

class FirmwareUpdate {
public:
    FirmwareUpdate(Movoda::MvSdk& sdk, UpdateListener& listener, UpdateTimings timings = {});
    // Stops a running worker (see cancel).
    ~FirmwareUpdate();
    FirmwareUpdate(const FirmwareUpdate&) = delete;
    FirmwareUpdate& operator=(const FirmwareUpdate&) = delete;

    // Stores the path and starts the worker for it; while a worker runs the path is only
    // stored and false is returned.
    bool start(const std::string& path);
    // The camera's report (event id 50); other events are ignored. SDK event thread.
    void handleReport(const Movoda::CBEventData& event);
    // Watchdog tick, every 3 s: after kFirmwareReportTicks ticks without a report the
    // update has failed.
    void tick();
    // Ends the worker at its next step (a command in flight finishes first) and joins it.
    void cancel();

    bool workerRunning() const { return workerRunning_.load(); }
    bool waitingForReport() const;
    std::string path() const;
    // Device-state reads the last boot-loader entry took (0 when none was asked for).
    int bootloaderPolls() const { return bootloaderPolls_.load(); }

private:
    void run(std::string path);
    // Empty while the camera programs the image (the report or the watchdog ends it).
    std::optional<UpdateOutcome> runSteps(const std::string& path);
    bool enterBootloader();
    // False when cancelled during the pause.
    bool pause(std::chrono::milliseconds duration);

    Movoda::MvSdk& sdk_;
    UpdateListener& listener_;
    const UpdateTimings timings_;

    std::thread worker_;
    std::atomic<bool> workerRunning_{false};
    std::atomic<bool> cancelled_{false};
    std::atomic<int> bootloaderPolls_{0};
    std::mutex pauseMutex_;
    std::condition_variable wake_;

    mutable std::mutex mutex_;  // guards the fields below and orders the listener's calls
    std::string path_;
    int progress_ = 0;
    bool waitingForReport_ = false;
    uint32_t reportWaitTicks_ = 0;
};

}  // namespace vantory::service
