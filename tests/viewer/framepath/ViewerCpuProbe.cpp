// Not a test: runs the real main window with the real SDK against a running simulated
// camera, starts streaming, and reports the process's CPU use (GUI and SDK threads
// together) from /proc/self/stat over a measuring period. Optionally saves a picture
// of the window. Meant to run under xvfb-run, for example with
//   --camera 127.0.0.61 --image-port 9661 --type 2 --seconds 20 --screenshot file.png
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "GuiContext.h"
#include "LabelImage.h"
#include "MainWindow.h"
#include "SettingsKeys.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace {

constexpr int kConnectWaitMs = 30000;
constexpr int kWarmUpMs = 3000;

struct ProbeOptions {
    QString camera = QStringLiteral("127.0.0.61");
    int imagePort = 9661;
    int imageType = 2;  // Dist+Amp
    int seconds = 20;
    QString screenshot;
};

bool parse(const QStringList& args, ProbeOptions& o) {
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString& key = args[i];
        const QString& value = args[i + 1];
        if (key == "--camera") o.camera = value;
        else if (key == "--image-port") o.imagePort = value.toInt();
        else if (key == "--type") o.imageType = value.toInt();
        else if (key == "--seconds") o.seconds = value.toInt();
        else if (key == "--screenshot") o.screenshot = QFileInfo(value).absoluteFilePath();
        else return false;
    }
    return o.imagePort > 0 && o.imagePort < 65536 && o.seconds > 0 && o.imageType >= 0 && o.imageType <= 4;
}

// User plus system time of this process in clock ticks.
long long cpuTicks() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold blanks; the fields after it start past the last ')'.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    if (fields.size() < 13) return -1;
    return fields[11].toLongLong() + fields[12].toLongLong();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ProbeOptions o;
    if (!parse(app.arguments(), o)) {
        std::cerr << "usage: viewer_framepath_cpu_probe [--camera ADDR] [--image-port N] [--type 0..4] "
                     "[--seconds N] [--screenshot FILE]\n";
        return 2;
    }
    QTemporaryDir work;
    if (!work.isValid()) return 1;
    QDir::setCurrent(work.path());
    {
        QSettings ini(QStringLiteral("gui.ini"), QSettings::IniFormat);
        ini.setValue(QString::fromLatin1(vantory::settings::kIpAddress), o.camera);
        ini.setValue(QString::fromLatin1(vantory::settings::kIfSelUsb), 0);
        ini.setValue(QString::fromLatin1(vantory::settings::kImgType), o.imageType);
        ini.setValue(QString::fromLatin1(vantory::settings::kUiLanguage), vantory::settings::kForceEnglish);
    }
    vantory::LaunchOptions options;
    options.imagePort = std::to_string(o.imagePort);
    MainWindow window(options);
    window.setExitHandler([](int) {});
    window.resize(1247, 852);
    window.show();
    window.context()->sdk->setUdpDestIp("127.0.0.1", static_cast<uint16_t>(o.imagePort));
    Ui::MainWindow& ui = *window.form();

    if (!QTest::qWaitFor([&]() { return ui.label_connectstate->text() == "Connected-Idle"; }, kConnectWaitMs)) {
        std::cerr << "not connected: " << ui.label_connectstate->text().toStdString() << "\n";
        return 1;
    }
    ui.pushBtn_start->click();
    // The views are turned until the mirror settings reach them; show them upright.
    for (LabelImage* view : {ui.ImageView, ui.ImageView2}) view->setMirror(false, false, false);
    QTest::qWait(kWarmUpMs);

    const long long ticksBefore = cpuTicks();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(o.seconds * 1000);
    const long long ticks = cpuTicks() - ticksBefore;
    const double seconds = wall.elapsed() / 1000.0;
    const double cpuSeconds = double(ticks) / double(sysconf(_SC_CLK_TCK));
    std::printf("viewer CPU: %.1f %% of one core over %.1f s (%.2f s CPU); %s; %s\n", 100.0 * cpuSeconds / seconds,
                seconds, cpuSeconds, ui.label_fps->text().toStdString().c_str(),
                ui.label_connectstate->text().toStdString().c_str());

    if (!o.screenshot.isEmpty()) {
        emit ui.ImageView->infoSelected(160, 120);
        QTest::qWait(1000);
        window.pixelInfoWindow()->hide();
        QTest::qWait(200);
        if (!window.grab().save(o.screenshot)) {
            std::cerr << "cannot save " << o.screenshot.toStdString() << "\n";
            return 1;
        }
    }
    ui.pushBtn_stop->click();
    window.releaseForExit();
    return 0;
}
