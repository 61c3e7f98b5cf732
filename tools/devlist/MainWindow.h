#pragma once

#include "DeviceRows.h"
#include "MainWindowForm.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <functional>

class QTimer;
class QUdpSocket;

namespace devlist {

// The device list window: listens for camera announcements and shows one row per
// camera until it has been silent for too long.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Milliseconds from a monotonic clock; tests pass their own to age rows at will.
    using Clock = std::function<qint64()>;

    explicit MainWindow(QWidget* parent = nullptr, Clock clock = Clock());
    ~MainWindow() override;

    QListWidget* deviceList() const { return ui_.listWidget_dev; }
    QUdpSocket* socket() const { return socket_; }
    QTimer* expiryTimer() const { return timer_; }

public slots:
    void readPendingDatagrams();
    void onTimerTimeout();

private:
    qint64 now() const;

    MainWindowForm ui_;
    QUdpSocket* socket_ = nullptr;
    QTimer* timer_ = nullptr;
    DeviceRows rows_;
    QElapsedTimer monotonic_;
    Clock clock_;
};

}  // namespace devlist
