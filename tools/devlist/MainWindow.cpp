#include "MainWindow.h"

#include "DevListConstants.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <utility>

namespace devlist {
namespace {

// The rows need the form's list, so the form is built while the members are initialised.
MainWindowForm& builtForm(MainWindowForm& form, QMainWindow* window) {
    form.setupUi(window);
    return form;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent, Clock clock)
    : QMainWindow(parent), rows_(builtForm(ui_, this).listWidget_dev), clock_(std::move(clock)) {
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    monotonic_.start();

    socket_ = new QUdpSocket(this);
    // A failed bind (port taken) leaves the list empty, with no message.
    socket_->bind(QHostAddress::Any, kAnnouncementPort);
    connect(socket_, &QUdpSocket::readyRead, this, &MainWindow::readPendingDatagrams);

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &MainWindow::onTimerTimeout);
    timer_->start(kExpiryCheckIntervalMs);
}

MainWindow::~MainWindow() = default;

qint64 MainWindow::now() const {
    return clock_ ? clock_() : monotonic_.elapsed();
}

void MainWindow::readPendingDatagrams() {
    while (socket_->hasPendingDatagrams()) {
        // The sender's address is not used: the announcement names its camera.
        const QNetworkDatagram datagram = socket_->receiveDatagram();
        if (!datagram.isValid()) {
            break;  // a receive error would otherwise keep this loop spinning
        }
        rows_.announce(QString::fromUtf8(datagram.data()), now());
    }
}

void MainWindow::onTimerTimeout() {
    rows_.expire(now());
}

}  // namespace devlist
