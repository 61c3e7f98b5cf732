// State shared by the main window (GUI thread), the frame path (SDK frame thread), the
// playback thread and the point-cloud window's own thread. Producers publish a cloud as
// the pending cloud under a mutex; the window takes it under the same mutex, so nobody
// ever sees a cloud half written. Live clouds are built into one of three reused buffers
// that is neither pending nor shown, so building a cloud allocates nothing after the
// first frames and never waits for the window to draw.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "CloudTypes.h"
#include "DisplaySettings.h"
#include "ViewControls.h"

namespace Movoda {
class Frame;
}

namespace vantory::cloudview {

class CloudViewShared {
public:
    CloudViewShared();

    DisplaySettings display;
    ViewControls view;

    // Takes a cloud and gives the one to show; empty keeps the cloud unfiltered. Runs on
    // the thread that publishes. Set while no cloud flows (it is not guarded).
    using CloudFilter = std::function<CloudConstPtr(const CloudConstPtr&)>;
    void setCloudFilter(CloudFilter filter);
    // The cloud through the cloud filter while the filter is on, else the cloud itself.
    CloudConstPtr filtered(const CloudConstPtr& cloud) const;

    // ---- Producers -----------------------------------------------------------------
    // A live frame with a cloud (frame thread): does nothing while the window is not
    // running; otherwise builds and publishes its display cloud and picks the selected
    // pixel's point.
    void showFrameCloud(const Movoda::Frame& frame, int selectedColumn, int selectedRow);
    // A ready cloud (playback): stored as the pending cloud whether or not the window runs.
    void setViewerCloud(CloudConstPtr cloud);
    // GUI thread: the view goes back to its start position (only while a window exists).
    void requestViewReset();
    // GUI thread, every kFpsPeriodSeconds: frames per second from the frame counter.
    void updateViewerFps();

    // ---- Window thread -------------------------------------------------------------
    void setWindowExists(bool exists) { windowExists_.store(exists); }
    bool windowExists() const { return windowExists_.load(); }
    void setRunning(bool running) { running_.store(running); }
    bool running() const { return running_.load(); }
    // The pending cloud when a new one was published since the last call, else empty.
    // The window shows it until it takes the next one.
    CloudConstPtr takeNewCloud();
    // Forgets the cloud shown, when the window closes.
    void releaseShownCloud();
    std::int32_t pickedIndex() const { return pickedIndex_.load(); }
    int framesPerSecond() const { return framesPerSecond_.load(); }

    // ---- Readers (export) ----------------------------------------------------------
    // A copy of the pending cloud (empty when there is none), safe to keep and write out.
    CloudPtr copyPendingCloud() const;

private:
    void publish(CloudConstPtr cloud);
    CloudPtr freeBuffer();

    mutable std::mutex pendingMutex_;
    CloudConstPtr pending_;         // under pendingMutex_
    bool newCloud_ = false;         // under pendingMutex_
    const Cloud* shown_ = nullptr;  // under pendingMutex_: the buffer the window holds
    // Frame thread only (chosen under pendingMutex_).
    std::array<CloudPtr, 3> buffers_;

    CloudFilter filter_;

    std::atomic<bool> windowExists_{false};
    std::atomic<bool> running_{false};
    std::atomic<std::int32_t> pickedIndex_{-1};
    std::atomic<std::int32_t> frameCounter_{0};
    std::atomic<int> framesPerSecond_{0};
};

}  // namespace vantory::cloudview
