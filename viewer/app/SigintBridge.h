// Turns SIGINT into a queued call on the GUI thread. A signal handler may not touch
// Qt or the SDK, so it only writes one byte into a pipe that the event loop watches.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace vantory {

class SigintBridge : public QObject {
    Q_OBJECT
public:
    explicit SigintBridge(std::function<void()> onInterrupt, QObject* parent = nullptr);
    ~SigintBridge() override;
    // Installs the SIGINT handler; false when the pipe could not be made.
    bool install();

private:
    void drain();

    std::function<void()> onInterrupt_;
    QSocketNotifier* notifier_ = nullptr;
    int fds_[2] = {-1, -1};
};

}  // namespace vantory
