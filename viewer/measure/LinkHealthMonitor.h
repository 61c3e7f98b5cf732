// Polls the SDK's stream counters once a second into the link-health window and reports
// the figures; the viewer's status line and the link-health panel follow them.
#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

#include "analysis/LinkHealth.h"
#include "mvsdk/MvSdk.h"

namespace vantory::measure {

class LinkHealthMonitor : public QObject {
    Q_OBJECT
public:
    using StatsSource = std::function<Movoda::MvStreamStats()>;

    explicit LinkHealthMonitor(StatsSource source, QObject* parent = nullptr);

    void start();
    void stop();
    bool running() const { return timer_.isActive(); }
    // One poll at `now` (the timer passes the clock's time).
    void poll(std::chrono::steady_clock::time_point now);
    const analysis::LinkHealthFigures& figures() const { return figures_; }

signals:
    void figuresChanged(const vantory::analysis::LinkHealthFigures& figures);
    void amberChanged(bool amber);

private:
    StatsSource source_;
    QTimer timer_;
    analysis::LinkHealth health_;
    analysis::LinkHealthFigures figures_;
    bool amber_ = false;
};

}  // namespace vantory::measure
