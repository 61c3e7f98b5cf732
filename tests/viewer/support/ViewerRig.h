// The real main window with the real SDK against the simulated camera in this process: the
// set-up the viewer's end-to-end tests and the cloud-window benchmark share. The window
// reads its gui.ini from the current directory, so a rig is made inside a scratch directory
// (ScratchDirectory) that outlives it.
#pragma once

#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "CameraSim.h"
#include "MainWindow.h"

namespace Ui {
class MainWindow;
}

namespace viewertest {

// A temporary directory made the current one for as long as it lives.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

struct RigSettings {
    const char* cameraAddress = nullptr;  // the test's own loopback address
    std::uint16_t imagePort = 0;          // and image port
    std::optional<int> imageTypeIndex;    // the stored image type, when the test needs one
    std::function<void(QSettings&)> moreSettings;  // further keys of gui.ini
};

// The options of a simulated camera on `address` that does not announce itself.
camsim::SimOptions quietCameraAt(const char* address);

class ViewerRig {
public:
    ViewerRig() = default;
    ~ViewerRig();  // the window (and its SDK threads) goes before the camera
    ViewerRig(const ViewerRig&) = delete;
    ViewerRig& operator=(const ViewerRig&) = delete;

    // Writes gui.ini, opens the window and points the image stream at loopback before the
    // camera is up (the connection follow-up sends that destination to the camera).
    void openWindow(const RigSettings& settings);
    // Starts the camera and waits until the window shows "Connected-Idle". Returns what
    // failed, or an empty text.
    std::string connect(const camsim::SimOptions& camera, int waitMs);
    // Both steps; what failed or an empty text.
    std::string start(const RigSettings& settings, const camsim::SimOptions& camera, int waitMs);

    MainWindow& window() { return *window_; }
    Ui::MainWindow& ui();
    camsim::CameraSim& camera() { return *camera_; }
    bool hasWindow() const { return window_ != nullptr; }

private:
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<camsim::CameraSim> camera_;
};

}  // namespace viewertest
