#include "LinkHealthMonitor.h"

#include "MeasureConstants.h"

namespace vantory::measure {

LinkHealthMonitor::LinkHealthMonitor(StatsSource source, QObject* parent)
    : QObject(parent), source_(std::move(source)) {
    timer_.setInterval(kLinkHealthPollMs);
    connect(&timer_, &QTimer::timeout, this, [this]() { poll(std::chrono::steady_clock::now()); });
}

void LinkHealthMonitor::start() {
    if (!timer_.isActive()) timer_.start();
}

void LinkHealthMonitor::stop() {
    timer_.stop();
}

void LinkHealthMonitor::poll(std::chrono::steady_clock::time_point now) {
    if (!source_) return;
    health_.add(now, source_());
    figures_ = health_.figures();
    emit figuresChanged(figures_);
    if (figures_.amber != amber_) {
        amber_ = figures_.amber;
        emit amberChanged(amber_);
    }
}

}  // namespace vantory::measure
