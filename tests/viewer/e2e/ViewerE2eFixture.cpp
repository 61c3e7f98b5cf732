#include "ViewerE2eFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "GuiContext.h"
#include "LaunchOptions.h"
#include "SettingsKeys.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

namespace e2e {
namespace {

int g_argc = 1;
char g_name[] = "viewer_e2e_test";
char* g_argv[] = {g_name, nullptr};

}  // namespace

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

void answerNextBox(const QString& text) {
    QTimer::singleShot(0, [text]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box open";
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        box->reject();
    });
}

std::vector<std::vector<uint8_t>> payloadsOf(const std::vector<camsim::ReceivedCommand>& commands, uint8_t id) {
    std::vector<std::vector<uint8_t>> payloads;
    for (const camsim::ReceivedCommand& command : commands) {
        if (command.id == id) payloads.push_back(command.payload);
    }
    return payloads;
}

QTemporaryDir* ViewerE2eTest::workDir_ = nullptr;

void ViewerE2eTest::SetUpTestSuite() {
    if (!QApplication::instance()) new QApplication(g_argc, g_argv);
    if (!workDir_) workDir_ = new QTemporaryDir();
}

void ViewerE2eTest::TearDownTestSuite() {
    delete workDir_;
    workDir_ = nullptr;
}

void ViewerE2eTest::SetUp() {
    ASSERT_TRUE(workDir_ && workDir_->isValid());
    previousDir_ = QDir::currentPath();
    // The settings file and the SDK's log directory are relative to the working directory.
    QDir::setCurrent(workDir_->path());
    QFile::remove(QStringLiteral("gui.ini"));

    cameraOptions_ = camsim::SimOptions();
    cameraOptions_.bindAddress = kCameraAddress;
    cameraOptions_.announce = false;
    cameraOptions_.noise = 0;
}

void ViewerE2eTest::TearDown() {
    // The window first: destroying it withdraws the callbacks and joins the SDK threads.
    window_.reset();
    if (camera_) camera_->stop();
    camera_.reset();
    QDir::setCurrent(previousDir_);
}

void ViewerE2eTest::startViewer(int imageTypeIndex) {
    {
        QSettings ini(QStringLiteral("gui.ini"), QSettings::IniFormat);
        ini.setValue(QString::fromLatin1(vantory::settings::kIpAddress), QString::fromLatin1(kCameraAddress));
        ini.setValue(QString::fromLatin1(vantory::settings::kIfSelUsb), 0);
        ini.setValue(QString::fromLatin1(vantory::settings::kImgType), imageTypeIndex);
        ini.setValue(QString::fromLatin1(vantory::settings::kUiLanguage), vantory::settings::kForceEnglish);
    }

    vantory::LaunchOptions options;
    options.imagePort = std::to_string(kImagePort);
    window_ = std::make_unique<MainWindow>(options);
    window_->setExitHandler([this](int code) { exitCodes_.push_back(code); });
    window_->show();

    // The camera is not up yet, so the SDK cannot have connected: the destination is
    // stored before the connection follow-up reads it, and the stream stays on loopback.
    window_->context()->sdk->setUdpDestIp(kStreamAddress, kImagePort);

    ASSERT_NO_FATAL_FAILURE(restartCamera());
    ASSERT_TRUE(waitForState(kConnectedIdle, kConnectWaitMs))
        << "state shown: " << ui().label_connectstate->text().toStdString();
    // The window's own first-connection work ends with the extrinsic read, queued to the
    // GUI thread; tests start once it is done so that it is not taken for their own.
    ASSERT_TRUE(waitForCommand(kCmdImuExtrinsicRead, 0));
}

void ViewerE2eTest::stopCamera() {
    if (camera_) camera_->stop();
}

void ViewerE2eTest::restartCamera() {
    stopCamera();
    camera_ = std::make_unique<camsim::CameraSim>(cameraOptions_);
    std::string error;
    ASSERT_TRUE(camera_->start(&error)) << error;
}

bool ViewerE2eTest::waitForState(const QString& text, int timeoutMs) {
    return waitUntil([&]() { return ui().label_connectstate->text() == text; }, timeoutMs);
}

Ui::MainWindow& ViewerE2eTest::ui() { return *window_->form(); }

QString ViewerE2eTest::workPath(const QString& name) const { return workDir_->filePath(name); }

std::vector<camsim::ReceivedCommand> ViewerE2eTest::commandsFrom(std::size_t from) const {
    std::vector<camsim::ReceivedCommand> all = camera_->receivedCommands();
    if (from >= all.size()) return {};
    return std::vector<camsim::ReceivedCommand>(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
}

bool ViewerE2eTest::waitForCommand(uint8_t id, std::size_t from, int timeoutMs) const {
    return waitUntil([&]() { return !payloadsOf(commandsFrom(from), id).empty(); }, timeoutMs);
}

}  // namespace e2e
