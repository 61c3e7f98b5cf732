// Not a test: the real main window and SDK stream the simulated camera's room scene (in
// this process, on 127.0.0.134, image port 8134) as point cloud + amplitude, coloured by
// distance, and the point-cloud window's pixels are saved for the documentation. Run it
// under xvfb-run:  viewer_cloud_screenshot FILE.png [WIDTH HEIGHT]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "CameraSim.h"
#include "CloudViewController.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "SettingsKeys.h"
#include "X11Support.h"
#include "X11TestWindow.h"
#include "mvsdk/MvSdk.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"

namespace {
constexpr const char* kCameraAddress = "127.0.0.134";
constexpr std::uint16_t kImagePort = 8134;
constexpr int kWaitMs = 30000;
constexpr int kPointCloudAmpIndex = 4;
constexpr int kRenderDistance = 0;
constexpr int kMaxDistanceCm = 600;
}  // namespace

int main(int argc, char** argv) {
    vantory::cloudview::initialiseX11Threads();
    if (argc < 2 || std::getenv("DISPLAY") == nullptr) {
        std::cerr << "usage (under xvfb-run): viewer_cloud_screenshot FILE.png [WIDTH HEIGHT]\n";
        return 2;
    }
    const QString output = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const int width = argc >= 4 ? std::atoi(argv[2]) : 800;
    const int height = argc >= 4 ? std::atoi(argv[3]) : 600;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    {
        QSettings ini(QStringLiteral("gui.ini"), QSettings::IniFormat);
        ini.setValue(QString::fromLatin1(vantory::settings::kIpAddress), QString::fromLatin1(kCameraAddress));
        ini.setValue(QString::fromLatin1(vantory::settings::kImgType), kPointCloudAmpIndex);
        ini.setValue(QString::fromLatin1(vantory::settings::kUiLanguage), vantory::settings::kForceEnglish);
        ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[0]), 10);
        ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[1]), 10);
        ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[2]), width);
        ini.setValue(QString::fromLatin1(vantory::settings::kCloudWindowGeometry[3]), height);
    }
    vantory::LaunchOptions options;
    options.imagePort = std::to_string(kImagePort);
    auto window = std::make_unique<MainWindow>(options);
    window->setExitHandler([](int) {});
    window->show();
    window->context()->sdk->setUdpDestIp("127.0.0.1", kImagePort);
    camsim::SimOptions sim;
    sim.bindAddress = kCameraAddress;
    sim.announce = false;
    sim.scene.name = "room";
    sim.config.maxFps = 30;
    camsim::CameraSim camera(sim);
    std::string error;
    Ui::MainWindow& ui = *window->form();
    if (!camera.start(&error) ||
        !QTest::qWaitFor([&]() { return ui.label_connectstate->text() == "Connected-Idle"; }, kWaitMs)) {
        std::cerr << "the simulated camera did not connect " << error << "\n";
        return 1;
    }
    ui.spinBox_maxdist->setValue(kMaxDistanceCm);
    window->filterSettingsWindow()->findChild<QComboBox*>(QStringLiteral("comboBox_pcloudRendertype"))
        ->setCurrentIndex(kRenderDistance);
    ui.pushBtn_start->click();
    vantory::cloudview::PointCloudViewer& cloud = window->cloudView()->viewer();
    // A few seconds of the stream: the frame-rate text has its first value.
    if (!QTest::qWaitFor([&]() { return cloud.windowId() != 0 && cloud.cloudsDrawn() >= 150; }, kWaitMs)) {
        std::cerr << "the point-cloud window drew nothing\n";
        return 1;
    }
    x11test::Connection x11;
    const QImage shot = x11.grab(cloud.windowId());
    ui.pushBtn_stop->click();
    window->releaseForExit();
    if (shot.isNull() || !shot.save(output)) {
        std::cerr << "cannot save " << output.toStdString() << "\n";
        return 1;
    }
    std::cout << "saved " << output.toStdString() << "\n";
    return 0;
}
