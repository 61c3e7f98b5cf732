#include "CloudViewShared.h"

#include "FrameCloudBuilder.h"
#include "mvsdk/Frame.h"

namespace vantory::cloudview {

CloudViewShared::CloudViewShared() {
    for (CloudPtr& buffer : buffers_) buffer = std::make_shared<Cloud>();
}

void CloudViewShared::setCloudFilter(CloudFilter filter) {
    filter_ = std::move(filter);
}

CloudConstPtr CloudViewShared::filtered(const CloudConstPtr& cloud) const {
    if (!cloud || !display.cloudFilterOn.load() || !filter_) return cloud;
    CloudConstPtr result = filter_(cloud);
    return result ? result : cloud;
}

void CloudViewShared::showFrameCloud(const Movoda::Frame& frame, int selectedColumn,
                                     int selectedRow) {
    if (!running_.load()) return;
    frameCounter_.fetch_add(1);
    pickedIndex_.store(
        pickedPointIndex(selectedColumn, selectedRow, frame.width(), frame.height()));

    const DisplayValues values = display.snapshot();
    const CloudPtr cloud = freeBuffer();
    const int peak = buildFrameCloud(frame, values, *cloud);
    if (values.reflectivityAuto) {
        display.reflectivityMax.store(reflectivityAutoMax(values.reflectivityMax, peak));
    }
    publish(filtered(cloud));
}

CloudPtr CloudViewShared::freeBuffer() {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    for (const CloudPtr& buffer : buffers_) {
        if (buffer.get() != pending_.get() && buffer.get() != shown_) return buffer;
    }
    return buffers_[0];  // unreachable: three buffers, at most two taken
}

void CloudViewShared::setViewerCloud(CloudConstPtr cloud) {
    publish(std::move(cloud));
}

void CloudViewShared::publish(CloudConstPtr cloud) {
    CloudConstPtr previous;
    {
        std::lock_guard<std::mutex> lock(pendingMutex_);
        previous = std::move(pending_);
        pending_ = std::move(cloud);
        newCloud_ = true;
    }
    // A replaced cloud from playback is freed outside the lock.
}

CloudConstPtr CloudViewShared::takeNewCloud() {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    if (!newCloud_) return nullptr;
    newCloud_ = false;
    shown_ = pending_.get();
    return pending_;
}

void CloudViewShared::releaseShownCloud() {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    shown_ = nullptr;
}

CloudPtr CloudViewShared::copyPendingCloud() const {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    if (!pending_) return nullptr;
    return std::make_shared<Cloud>(*pending_);
}

void CloudViewShared::requestViewReset() {
    if (windowExists_.load()) view.viewResetRequested.store(true);
}

void CloudViewShared::updateViewerFps() {
    framesPerSecond_.store(frameCounter_.exchange(0) / kFpsPeriodSeconds);
}

}  // namespace vantory::cloudview
