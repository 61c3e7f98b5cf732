#include "ViewerRig.h"

#include <QDir>
#include <QTest>

#include "GuiContext.h"
#include "SettingsKeys.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace viewertest {

namespace {
constexpr const char* kStreamAddress = "127.0.0.1";
constexpr const char* kConnectedIdle = "Connected-Idle";

QString key(const char* name) { return QString::fromLatin1(name); }
}  // namespace

ScratchDirectory::ScratchDirectory() : previous_(QDir::currentPath()) {
    if (dir_.isValid()) QDir::setCurrent(dir_.path());
}

ScratchDirectory::~ScratchDirectory() { QDir::setCurrent(previous_); }

camsim::SimOptions quietCameraAt(const char* address) {
    camsim::SimOptions sim;
    sim.bindAddress = address;
    sim.announce = false;
    return sim;
}

ViewerRig::~ViewerRig() {
    window_.reset();
    if (camera_) camera_->stop();
}

void ViewerRig::openWindow(const RigSettings& settings) {
    {
        QSettings ini(QStringLiteral("gui.ini"), QSettings::IniFormat);
        ini.setValue(key(vantory::settings::kIpAddress), QString::fromLatin1(settings.cameraAddress));
        ini.setValue(key(vantory::settings::kIfSelUsb), 0);
        if (settings.imageTypeIndex) ini.setValue(key(vantory::settings::kImgType), *settings.imageTypeIndex);
        ini.setValue(key(vantory::settings::kUiLanguage), vantory::settings::kForceEnglish);
        if (settings.moreSettings) settings.moreSettings(ini);
    }
    vantory::LaunchOptions options;
    options.imagePort = std::to_string(settings.imagePort);
    window_ = std::make_unique<MainWindow>(options);
    window_->setExitHandler([](int) {});
    window_->show();
    window_->context()->sdk->setUdpDestIp(kStreamAddress, settings.imagePort);
}

std::string ViewerRig::connect(const camsim::SimOptions& camera, int waitMs) {
    camera_ = std::make_unique<camsim::CameraSim>(camera);
    std::string error;
    if (!camera_->start(&error)) return "the simulated camera did not start: " + error;
    const bool connected = QTest::qWaitFor(
        [&]() { return ui().label_connectstate->text() == QLatin1String(kConnectedIdle); }, waitMs);
    if (!connected) return "not connected: " + ui().label_connectstate->text().toStdString();
    return {};
}

std::string ViewerRig::start(const RigSettings& settings, const camsim::SimOptions& camera, int waitMs) {
    openWindow(settings);
    return connect(camera, waitMs);
}

Ui::MainWindow& ViewerRig::ui() { return *window_->form(); }

}  // namespace viewertest
