// The `vantory` program itself: a second copy of an instance refuses to run, and
// Ctrl+C ends a running copy cleanly.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <signal.h>

#include <algorithm>

#include "SettingsKeys.h"
#include "SingleInstance.h"

namespace {

// Instance 9: key "TofsingleApp9", image port 7696, settings file gui9.ini.
const QString kSuffix = QStringLiteral("9");
const QString kInstanceKey = QStringLiteral("TofsingleApp9");
// No camera listens here, so the copy under test stays unconnected and sends nothing.
const QString kSilentAddress = QStringLiteral("127.0.0.69");
constexpr int kStartWaitMs = 15000;
constexpr int kExitWaitMs = 15000;

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "viewer_process_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* instance =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *instance;
}

class ViewerProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        ASSERT_TRUE(workDir_.isValid());
        QSettings ini(workDir_.filePath(QStringLiteral("gui9.ini")), QSettings::IniFormat);
        ini.setValue(QString::fromLatin1(vantory::settings::kIpAddress), kSilentAddress);
        ini.setValue(QString::fromLatin1(vantory::settings::kIfSelUsb), 0);
        ini.setValue(QString::fromLatin1(vantory::settings::kUiLanguage), vantory::settings::kForceEnglish);
    }

    void TearDown() override {
        if (viewer_.state() != QProcess::NotRunning) {
            viewer_.kill();
            viewer_.waitForFinished(kExitWaitMs);
        }
    }

    void startViewer() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        viewer_.setProcessEnvironment(environment);
        viewer_.setWorkingDirectory(workDir_.path());
        viewer_.setProcessChannelMode(QProcess::MergedChannels);
        viewer_.start(QStringLiteral(VANTORY_VIEWER_BINARY), {kSuffix});
        ASSERT_TRUE(viewer_.waitForStarted(kStartWaitMs));
    }

    // Reads the program's output until `text` appears or the time is up.
    bool waitForOutput(const QByteArray& text, int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        while (!output_.contains(text)) {
            if (deadline.hasExpired() || viewer_.state() == QProcess::NotRunning) {
                output_ += viewer_.readAll();
                return output_.contains(text);
            }
            viewer_.waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 200)));
            output_ += viewer_.readAll();
        }
        return true;
    }

    // True once the program has its SIGINT handler in place (bit 2 of SigCgt in
    // /proc/<pid>/status), so that Ctrl+C reaches the handler and not the default action.
    bool waitForInterruptHandler(int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        const QString path = QStringLiteral("/proc/%1/status").arg(viewer_.processId());
        while (!deadline.hasExpired() && viewer_.state() == QProcess::Running) {
            QFile status(path);
            if (status.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : status.readAll().split('\n')) {
                    if (!line.startsWith("SigCgt:")) continue;
                    bool ok = false;
                    const qulonglong caught = line.mid(7).trimmed().toULongLong(&ok, 16);
                    if (ok && (caught & (1ULL << (SIGINT - 1)))) return true;
                }
            }
            viewer_.waitForReadyRead(100);
            output_ += viewer_.readAll();
        }
        return false;
    }

    QTemporaryDir workDir_;
    QProcess viewer_;
    QByteArray output_;
};

TEST_F(ViewerProcessTest, SecondCopyOfInstanceReturnsMinusOneWithoutWindow) {
    vantory::SingleInstance running(kInstanceKey);
    ASSERT_TRUE(running.acquire());

    ASSERT_NO_FATAL_FAILURE(startViewer());
    ASSERT_TRUE(viewer_.waitForFinished(kExitWaitMs));
    output_ += viewer_.readAll();
    EXPECT_EQ(viewer_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer_.exitCode(), 255);  // -1 as a process status
    // The trace line comes before the check; nothing of the window or SDK after it.
    EXPECT_TRUE(output_.contains("exe params =7696 usb=")) << output_.toStdString();
    EXPECT_TRUE(output_.contains("scale 0.9 not applied")) << output_.toStdString();
    EXPECT_FALSE(output_.contains("mvsdk")) << output_.toStdString();
    EXPECT_FALSE(QDir(workDir_.filePath(QStringLiteral("mvlog9"))).exists());
    // It says why it did not start.
    EXPECT_TRUE(output_.contains("another copy holds the single-instance marker TofsingleApp9"))
        << output_.toStdString();
}

TEST_F(ViewerProcessTest, CtrlCEndsRunningCopyWithExitCodeZero) {
    ASSERT_NO_FATAL_FAILURE(startViewer());
    // The SDK's banner is printed while the window is built; the handler comes after.
    ASSERT_TRUE(waitForOutput("mvsdk", kStartWaitMs)) << output_.toStdString();
    ASSERT_TRUE(waitForInterruptHandler(kStartWaitMs)) << output_.toStdString();
    ASSERT_EQ(viewer_.state(), QProcess::Running) << output_.toStdString();

    // While it runs, the instance is held.
    vantory::SingleInstance second(kInstanceKey);
    EXPECT_FALSE(second.acquire());

    ASSERT_EQ(::kill(static_cast<pid_t>(viewer_.processId()), SIGINT), 0);
    ASSERT_TRUE(viewer_.waitForFinished(kExitWaitMs)) << output_.toStdString();
    output_ += viewer_.readAll();
    EXPECT_EQ(viewer_.exitStatus(), QProcess::NormalExit) << output_.toStdString();
    EXPECT_EQ(viewer_.exitCode(), 0) << output_.toStdString();

    // Once it has ended, the instance is free again.
    vantory::SingleInstance after(kInstanceKey);
    EXPECT_TRUE(after.acquire());
}

}  // namespace
