#include "DevListConstants.h"
#include "MainWindow.h"
#include "SingleInstanceMarker.h"

#include <QApplication>

// Lists the cameras that announce themselves on the local network. A second copy
// exits at once with -1.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    devlist::SingleInstanceMarker marker(QString::fromLatin1(devlist::kInstanceKey));
    if (!marker.acquire()) {
        QCoreApplication::quit();
        return -1;
    }

    devlist::MainWindow window;
    window.show();
    return app.exec();
}
