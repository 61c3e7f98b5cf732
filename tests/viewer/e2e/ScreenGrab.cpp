// Saves the whole screen of the current X display as a PNG: the documentation's
// screenshots are taken with it under Xvfb, where no other grabbing tool is present.
//   viewer_screen_grab <out.png> [delay-ms] [WIDTHxHEIGHT]
// With a size, only that area from the top left corner is kept (where a window appears
// on a display without a window manager).
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <iostream>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::cerr << "usage: viewer_screen_grab <out.png> [delay-ms] [WIDTHxHEIGHT]" << std::endl;
        return 2;
    }
    const QString output = arguments.at(1);
    bool delayOk = true;
    const int delayMs = arguments.size() > 2 ? arguments.at(2).toInt(&delayOk) : 0;
    if (!delayOk || delayMs < 0) {
        std::cerr << "delay must be a whole number of milliseconds" << std::endl;
        return 2;
    }
    int width = -1;
    int height = -1;
    if (arguments.size() > 3) {
        const QStringList size = arguments.at(3).split(QLatin1Char('x'));
        bool widthOk = false;
        bool heightOk = false;
        if (size.size() == 2) {
            width = size.at(0).toInt(&widthOk);
            height = size.at(1).toInt(&heightOk);
        }
        if (!widthOk || !heightOk || width <= 0 || height <= 0) {
            std::cerr << "size must read WIDTHxHEIGHT" << std::endl;
            return 2;
        }
    }
    int result = 1;
    QTimer::singleShot(delayMs, &app, [&]() {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QPixmap shot = screen ? screen->grabWindow(0, 0, 0, width, height) : QPixmap();
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
