#include "DevListConstants.h"
#include "MainWindow.h"
#include "SingleInstanceMarker.h"
#include "VantoryBuildInfo.h"

#include <QApplication>

#include <iostream>

// Lists the cameras that announce themselves on the local network. A second copy
// says why and exits at once with -1.
int main(int argc, char* argv[]) {
    using vantory::buildinfo::hasOption;
    // Answered before the application object exists, so no display is needed.
    if (hasOption(argc, argv, "--help") || hasOption(argc, argv, "-h")) {
        std::cout << devlist::kUsageText;
        return 0;
    }
    if (hasOption(argc, argv, "--version")) {
        std::cout << "vantory-devlist " << vantory::buildinfo::kVersion << "\n";
        return 0;
    }

    QApplication app(argc, argv);

    devlist::SingleInstanceMarker marker(QString::fromLatin1(devlist::kInstanceKey));
    if (!marker.acquire()) {
        std::cerr << devlist::kSecondCopyMessage;
        QCoreApplication::quit();
        return -1;
    }

    devlist::MainWindow window;
    window.show();
    return app.exec();
}
