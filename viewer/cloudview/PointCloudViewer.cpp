#include "PointCloudViewer.h"

#include <iostream>

#include "CloudViewShared.h"
#include "ViewerScene.h"

namespace vantory::cloudview {

PointCloudViewer::PointCloudViewer(CloudViewShared& shared) : shared_(shared) {}

PointCloudViewer::~PointCloudViewer() {
    close();
}

void PointCloudViewer::close() {
    std::thread finishing;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closeRequested_.store(true);
        finishing = std::move(thread_);
    }
    if (finishing.joinable()) finishing.join();
}

void PointCloudViewer::setClosedHandler(ClosedHandler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    closedHandler_ = std::move(handler);
}

void PointCloudViewer::startPointCloudViewer(const WindowGeometry& stored) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (open_.load()) return;
    // A window closed by the user leaves its finished thread behind; it ends at once.
    if (thread_.joinable()) thread_.join();
    closeRequested_.store(false);
    open_.store(true);
    thread_ = std::thread(&PointCloudViewer::run, this, stored);
}

void PointCloudViewer::requestClose() {
    closeRequested_.store(true);
}

WindowGeometry PointCloudViewer::lastGeometry() const {
    std::lock_guard<std::mutex> lock(geometryMutex_);
    return lastGeometry_;
}

void PointCloudViewer::run(WindowGeometry stored) {
    WindowGeometry closedAt;
    try {
        ViewerScene scene(shared_, stored);
        renders_.store(0);
        cloudsDrawn_.store(0);
        while (!scene.stopped() && !closeRequested_.load()) {
            if (scene.step()) cloudsDrawn_.fetch_add(1);
            renders_.store(scene.renders());
            if (windowId_.load() == 0) windowId_.store(scene.windowId());
            const WindowGeometry seen = scene.geometry();
            std::lock_guard<std::mutex> lock(geometryMutex_);
            lastGeometry_ = seen;
        }
        shared_.setRunning(false);
        closedAt = scene.geometry();
    } catch (const std::exception& e) {
        // The window cannot be shown (no display): the viewer keeps running without it.
        std::cout << "point cloud window failed: " << e.what() << std::endl;
    }
    shared_.setRunning(false);
    shared_.setWindowExists(false);
    shared_.releaseShownCloud();
    windowId_.store(0);
    {
        std::lock_guard<std::mutex> lock(geometryMutex_);
        lastGeometry_ = closedAt;
    }
    ClosedHandler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        handler = closedHandler_;
    }
    if (handler) handler(closedAt);
    open_.store(false);
}

}  // namespace vantory::cloudview
