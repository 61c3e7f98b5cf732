// Process entry of the viewer.
#include <QApplication>
#include <QTimer>
#include <X11/Xlib.h>

#include <cstdlib>
#include <iostream>

#include "AppStyle.h"
#include "CrashReport.h"
#include "GuiContext.h"
#include "LaunchOptions.h"
#include "MainWindow.h"
#include "SigintBridge.h"
#include "SingleInstance.h"
#include "VantoryBuildInfo.h"
#include "ViewerConstants.h"
#include "mvsdk/MvSdk.h"

namespace {
MainWindow* g_mainWindow = nullptr;
}

int main(int argc, char* argv[]) {
    // The point-cloud window renders from its own thread.
    XInitThreads();

    const vantory::LaunchOptions options = vantory::parseCommandLine(argc, argv);
    // Answered before the application object exists, so no display is needed.
    if (options.help || options.version) {
        std::cout << (options.help ? vantory::usageText()
                                   : std::string("vantory ") + vantory::buildinfo::kVersion + "\n");
        return 0;
    }
    if (vantory::scaleFactorApplies(options.scaleFactor)) {
        setenv("QT_SCALE_FACTOR", options.scaleFactor.c_str(), 1);
    } else {
        std::cout << "scale " << options.scaleFactor << " not applied: below 1 Qt paints widgets clipped" << std::endl;
    }

    QApplication app(argc, argv);
    vantory::applyViewerStyle(app);

    std::cout << "exe params =" << options.imagePort << " usb=" << options.usbPort << std::endl;

    static vantory::SingleInstance instance(QString::fromStdString(options.instanceKey));
    if (!instance.acquire()) {
        std::cerr << vantory::secondCopyMessage(options);
        QApplication::quit();
        return -1;
    }

    vantory::installCrashReporter(vantory::crashDirectory(options.suffix));

    MainWindow window(options);
    g_mainWindow = &window;

    vantory::SigintBridge interrupt([]() {
        if (!g_mainWindow) return;
        vantory::GuiContext* ctx = g_mainWindow->context();
        if (ctx && ctx->sdk && ctx->sdk->getPlaybackMode() == 0) g_mainWindow->shutdownRoutine();
        // exit() rather than quit(): quit() would close the window and so ask the
        // exit question that Ctrl+C is meant to skip.
        QTimer::singleShot(vantory::kInterruptQuitDelayMs, qApp, []() { QCoreApplication::exit(0); });
    });
    interrupt.install();

    window.show();
    const int result = app.exec();
    g_mainWindow = nullptr;
    return result;
}
