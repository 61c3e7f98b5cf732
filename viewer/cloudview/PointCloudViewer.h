// The point-cloud window's thread. startPointCloudViewer opens the window on a fresh
// thread unless one is open; the thread owns the visualiser for its whole life and ends
// when the user closes the window (a later start opens a new one) or when this object is
// destroyed. No PCL header is needed to use it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "X11Support.h"

namespace vantory::cloudview {

class CloudViewShared;

class PointCloudViewer {
public:
    explicit PointCloudViewer(CloudViewShared& shared);
    // Ends the window's loop and joins its thread.
    ~PointCloudViewer();
    PointCloudViewer(const PointCloudViewer&) = delete;
    PointCloudViewer& operator=(const PointCloudViewer&) = delete;

    // Called on the window's thread when its window has closed, with the window's last
    // geometry (to be stored for the next opening).
    using ClosedHandler = std::function<void(const WindowGeometry&)>;
    void setClosedHandler(ClosedHandler handler);

    // Opens the window at the stored geometry (used when complete) unless it is open.
    void startPointCloudViewer(const WindowGeometry& stored);
    // Asks the window to close as if the user had; returns at once.
    void requestClose();
    // Closes the window and waits until its thread has ended (the closed handler has run).
    void close();
    // The window's thread exists and has not finished.
    bool isOpen() const { return open_.load(); }

    // X window id of the open window (0 when none), for screenshots and tests.
    unsigned long windowId() const { return windowId_.load(); }
    // Since the window opened: renders finished and new clouds drawn.
    std::uint64_t renders() const { return renders_.load(); }
    std::uint64_t cloudsDrawn() const { return cloudsDrawn_.load(); }
    // Where the open window is (as last seen, every tenth of a second), or where it was
    // when it last closed: what is stored for the next opening.
    WindowGeometry lastGeometry() const;

private:
    void run(WindowGeometry stored);

    CloudViewShared& shared_;
    std::mutex mutex_;  // guards thread_, closedHandler_ and lastGeometry_
    mutable std::mutex geometryMutex_;
    std::thread thread_;
    ClosedHandler closedHandler_;
    WindowGeometry lastGeometry_;
    std::atomic<bool> open_{false};
    std::atomic<bool> closeRequested_{false};
    std::atomic<unsigned long> windowId_{0};
    std::atomic<std::uint64_t> renders_{0};
    std::atomic<std::uint64_t> cloudsDrawn_{0};
};

}  // namespace vantory::cloudview
