// Unsolicited reports from the camera: IMU reports and device log lines.
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTextEdit>

#include "GuiContext.h"
#include "ViewerE2eFixture.h"
#include "mvsdk/MvSdk.h"

namespace e2e {
namespace {

constexpr uint8_t kCmdCalibrationSetup = 154;
constexpr uint8_t kCmdCalibrateAll = 152;
constexpr uint32_t kCommandTimeoutMs = 1000;
constexpr double kImuRateHz = 25.0;
constexpr uint64_t kReportsPerLine = 21;

// "I:" temperature "℃ a:" three accelerations " g:" rate, then seconds "." milliseconds;
// the simulated camera stands still at 36.5 degrees with gravity along -y.
const QRegularExpression kImuLinePattern(QString::fromUtf8(
    "^I:36\\.50℃ a:0\\.00 -1\\.00 0\\.00 g:\\d+ \\d+\\.\\d{1,3}$"));

TEST_F(ViewerE2eTest, ImuLineNeedsTwentyOneReportsThenShowsReportRate) {
    cameraOptions().imuRateHz = kImuRateHz;
    ASSERT_NO_FATAL_FAILURE(startViewer());
    auto* line = window().pixelInfoWindow()->findChild<QLabel*>(QStringLiteral("label_others2"));
    ASSERT_NE(line, nullptr);

    // The label is read before the camera's count, so a line seen while fewer than 21
    // reports had left the camera would show up here as a count below 21.
    uint64_t sentWhenShown = 0;
    ASSERT_TRUE(waitUntil(
        [&]() {
            const bool shown = !line->text().isEmpty();
            sentWhenShown = camera().counters().stream.imuReports;
            return shown;
        },
        kConnectWaitMs))
        << "reports sent: " << camera().counters().stream.imuReports;
    EXPECT_GE(sentWhenShown, kReportsPerLine);

    const QString text = line->text();
    EXPECT_TRUE(kImuLinePattern.match(text).hasMatch()) << text.toStdString();
    // The line carries the SDK's count of reports in the last second, which is not
    // zero while reports flow at 25 Hz.
    EXPECT_TRUE(waitUntil([&]() { return window().context()->sdk->getReportRate() > 0; }));
}

TEST_F(ViewerE2eTest, DeviceLogLinesReachLogPanelAndSdkLog) {
    cameraOptions().calibrationSeconds = 0.5;
    ASSERT_NO_FATAL_FAILURE(startViewer());
    auto* log = window().calibrationWindow()->findChild<QTextEdit*>(QStringLiteral("textLog"));
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(log->toPlainText().isEmpty());

    QFile sdkLog(workPath(QStringLiteral("mvlog/mvsdk_info.log")));
    const qint64 logSizeBefore = sdkLog.size();

    // A calibration run makes the camera send its progress as device log lines.
    Movoda::MvSdk& sdk = *window().context()->sdk;
    std::vector<uint8_t> response;
    ASSERT_TRUE(sdk.customCmd(kCmdCalibrationSetup, {1, 0, 0, 0}, response, kCommandTimeoutMs));
    ASSERT_TRUE(sdk.customCmd(kCmdCalibrateAll, {}, response, kCommandTimeoutMs));

    ASSERT_TRUE(waitUntil([&]() { return log->toPlainText().contains(QStringLiteral("calibration:finish")); },
                          kConnectWaitMs))
        << log->toPlainText().toStdString();
    // Every line arrived, in the order sent, and nothing else.
    const QString text = log->toPlainText();
    const QStringList expected = {QStringLiteral("[cal] calibration:start"),
                                  QStringLiteral("[cal] calibration:calcdllStep 1/2"),
                                  QStringLiteral("[cal] calibration:flash:write"),
                                  QStringLiteral("[cal] calibration:finish")};
    int from = 0;
    for (const QString& part : expected) {
        const int at = text.indexOf(part, from);
        EXPECT_GE(at, from) << part.toStdString() << " in " << text.toStdString();
        if (at >= 0) from = at + static_cast<int>(part.size());
    }
    EXPECT_EQ(text.count(QStringLiteral("[cal] ")), 12);

    // The same lines go to the SDK's information log under the callback's tag.
    QByteArray added;
    const bool logged = waitUntil([&]() {
        if (!sdkLog.open(QIODevice::ReadOnly)) return false;
        sdkLog.seek(logSizeBefore);
        added = sdkLog.readAll();
        sdkLog.close();
        return added.contains("calibration:finish");
    });
    ASSERT_TRUE(logged) << added.toStdString();
    for (const QByteArray& line : added.split('\n')) {
        if (line.contains("[cal] calibration:")) {
            EXPECT_TRUE(line.contains("eventCallback")) << line.toStdString();
        }
    }
}

}  // namespace
}  // namespace e2e
