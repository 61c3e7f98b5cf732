#pragma once

#include <QApplication>
#include <QByteArray>
#include <QHostAddress>
#include <QUdpSocket>

#include <cstdlib>

// Shared by the device list tests: one application object and a sender of
// announcements to the device list's port on loopback.
namespace devlist_test {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "test_devlist";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Never destroyed: tearing Qt down after main() has returned trips over its own statics.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Declared as a fixture's first member so the application exists before any widget.
struct ApplicationReady {
    ApplicationReady() { application(); }
};

inline constexpr quint16 kListenPort = 7686;

class AnnouncementSender {
public:
    bool send(const QByteArray& datagram) {
        return socket_.writeDatagram(datagram, QHostAddress::LocalHost, kListenPort) == datagram.size();
    }

private:
    QUdpSocket socket_;
};

}  // namespace devlist_test
