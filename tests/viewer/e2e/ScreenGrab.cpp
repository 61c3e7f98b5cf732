// Saves the whole screen of the current X display as a PNG: the documentation's
// screenshots are taken with it under Xvfb, where no other grabbing tool is present.
//   viewer_screen_grab <out.png> [delay-ms]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <iostream>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::cerr << "usage: viewer_screen_grab <out.png> [delay-ms]" << std::endl;
        return 2;
    }
    const QString output = arguments.at(1);
    bool delayOk = true;
    const int delayMs = arguments.size() > 2 ? arguments.at(2).toInt(&delayOk) : 0;
    if (!delayOk || delayMs < 0) {
        std::cerr << "delay must be a whole number of milliseconds" << std::endl;
        return 2;
    }
    int result = 1;
    QTimer::singleShot(delayMs, &app, [&]() {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QPixmap shot = screen ? screen->grabWindow(0) : QPixmap();
        if (shot.isNull() || !shot.save(output, "PNG")) {
            std::cerr << "could not grab the screen into " << output.toStdString() << std::endl;
        } else {
            result = 0;
        }
        QCoreApplication::quit();
    });
    app.exec();
    return result;
}
