// The SDK event path of the main window: the event callback (SDK thread), the numbered
// update dispatcher, the log panel and the periodic timer (GUI thread).
#include <QMessageBox>
#include <QProgressBar>
#include <QSerialPortInfo>
#include <QTextCursor>
#include <QTimer>

#include <iostream>
#include <sstream>

#include "GuiContext.h"
#include "MainWindow.h"
#include "UiUpdateCodes.h"
#include "ViewerConstants.h"
#include "mvsdk/MvLog.h"
#include "mvsdk/MvSdk.h"
#include "ui_Calibration.h"
#include "ui_DevSettings.h"
#include "ui_MainWindow.h"
#include "ui_PInfo.h"

using namespace vantory;

namespace {

// Device log lines arrive as raw bytes; they end at the first zero byte.
QString deviceLogText(const std::vector<uint8_t>& data) {
    std::size_t length = 0;
    while (length < data.size() && data[length] != 0) ++length;
    return QString::fromUtf8(reinterpret_cast<const char*>(data.data()), static_cast<int>(length));
}

}  // namespace

void MainWindow::onSdkEvent(const std::shared_ptr<const Movoda::CBEventData>& event) {
    Movoda::MvSdk* sdk = ctx_->sdk.get();
    if (!sdk) return;
    if (event->eventName == Movoda::kEventSdkState) {
        if (sdk->isConnected() && event->cmdId == kEventFirstConnected) {
            ctx_->raise(kUpdateFirstConnected);
            // Never a command from inside an SDK callback: the callback holds the SDK's
            // callback lock, which also delays reports the receive thread hands over.
            QMetaObject::invokeMethod(
                this, [this]() { readImuExtrinsic(); }, Qt::QueuedConnection);
        } else {
            ctx_->raise(kUpdateConnectionState);
        }
        return;
    }
    if (event->eventName == Movoda::kEventDevState) {
        std::cout << "devstate= " << sdk->getStateString() << std::endl;
        ctx_->raise(kUpdateConnectionState);
        return;
    }
    switch (event->cmdId) {
    case kEventDeviceLog: {
        const QString line = deviceLogText(event->data);
        emit ctx_->sdkSignal->addlogstr(line);
        Movoda::sdkLog(Movoda::LOG_INFO, "eventCallback", line.toStdString());
        break;
    }
    case kEventCalibrationData1:
    case kEventCalibrationData2:
        handleCalibrationReport(event);
        break;
    case kEventFirmwareProgress:
        handleFirmwareReport(event);
        break;
    case kEventDeviceConfig:
        ctx_->raise(kUpdateReloadDevConfig);
        break;
    case kEventImuReport:
        if (imuThrottle_.admit(event->data.size())) {
            if (const std::optional<ImuSample> sample = parseImuReport(event->data)) {
                const QString line = formatImuLine(*sample, sdk->getReportRate());
                {
                    std::lock_guard<std::mutex> lock(ctx_->textMutex);
                    ctx_->imuLine = line;
                }
                // Queued to the GUI thread, which owns the label.
                QMetaObject::invokeMethod(this, [this, line]() { pixelInfoUi_->label_others2->setText(line); },
                                          Qt::QueuedConnection);
            }
        }
        break;
    default:
        break;
    }
}

// GUI thread, queued after the first connection's update: blocks on one exchange.
void MainWindow::readImuExtrinsic() {
    if (!ctx_ || !ctx_->sdk) return;
    Movoda::ImuExtrinsic extrinsic;
    ctx_->sdk->getImuExtrinsic(extrinsic, true);
    std::ostringstream line;
    line << "ExtrinsicIMULidar: " << extrinsic.qw << ' ' << extrinsic.qx << ' ' << extrinsic.qy << ' '
         << extrinsic.qz << ' ' << extrinsic.tx << ' ' << extrinsic.ty << ' ' << extrinsic.tz;
    std::cout << line.str() << std::endl;
}

void MainWindow::dispatchUpdate(int code) {
    if (!ctx_ || !ctx_->sdk) return;
    switch (code) {
    case kUpdateFrameDisplay: showLastFrame(); break;
    case kUpdateFirstConnected: {
        Movoda::MvSdk& sdk = *ctx_->sdk;
        if (!sdk.isConnected()) break;
        if (sdk.getDevState() != kDevStateBootloader) {
            afterConnectSetup();
        } else {
            std::vector<uint8_t> response;
            const bool ok = sdk.customCmd(kCmdBootloaderText, {}, response, kBootloaderTextTimeoutMs);
            ui_->label_fw_version->setText(bootloaderText(ok, response));
        }
        showConnectionState();
        break;
    }
    case kUpdateConnectionState: showConnectionState(); break;
    case kUpdateUsbDetect: autoDetectUsbPort(); break;
    case kUpdateCalibrationStatus:
    case kUpdateCalibrationProgress:
    case kUpdateDeviceProgress: showStatus(code); break;
    case kUpdateReloadDevConfig: reloadFromDeviceConfig(); break;
    case kUpdatePlaySliderRange: showPlaySliderRange(); break;
    case kUpdatePlayPosition: showPlayPosition(); break;
    case kUpdatePlayButton: showPlayButton(); break;
    case kUpdateRecordCount: showRecordCount(); break;
    case kUpdatePlaybackConfig: showPlaybackConfig(); break;
    case kUpdateReflectivityCoef: showReflectivityCoef(); break;
    case kUpdateTimedMessage: showTimedMessage(); break;
    case kUpdateDeviceRefresh: refreshDeviceControls(); break;
    default: break;
    }
}

void MainWindow::showConnectionState() {
    Movoda::MvSdk& sdk = *ctx_->sdk;
    const bool connected = sdk.isConnected();
    const uint32_t devState = sdk.getDevState();
    ui_->label_connectstate->setText(QString::fromStdString(sdk.getStateString()));
    ui_->label_connectstate->setStyleSheet(connectionStateStyle(connected, devState));
}

void MainWindow::showStatus(int code) {
    QString text, style;
    int progress = 0;
    {
        std::lock_guard<std::mutex> lock(ctx_->textMutex);
        text = ctx_->statusText;
        style = ctx_->statusStyle;
        progress = ctx_->progressValue;
    }
    // A value below the bar's range (a run that has not shown progress yet) empties it.
    const auto showProgress = [progress](QProgressBar* bar) {
        if (progress < bar->minimum())
            bar->reset();
        else
            bar->setValue(progress);
    };
    if (code == kUpdateDeviceProgress) {
        showProgress(devUi_->progressBarFWUpdate);
        devUi_->labelProgressBarFWResult->setText(text);
        devUi_->labelProgressBarFWResult->setStyleSheet(style);
        return;
    }
    if (code == kUpdateCalibrationProgress) {
        showProgress(calibrationUi_->progressBarCAL);
        calibrationUi_->labelProgressBarResult->setText(text);
        calibrationUi_->labelProgressBarResult->setStyleSheet(style);
        return;
    }
    calibrationUi_->labelProgressbarName->setText(text);
    calibrationUi_->labelProgressbarName->setStyleSheet(style);
}

void MainWindow::showTimedMessage() {
    QString title, text;
    {
        std::lock_guard<std::mutex> lock(ctx_->textMutex);
        title = ctx_->messageTitle;
        text = ctx_->messageText;
    }
    auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QTimer::singleShot(kTimedMessageMs, box, &QMessageBox::close);
    box->show();
}

void MainWindow::autoDetectUsbPort() {
    if (!ui_->radioButton_usb->isChecked() || ctx_->sdk->isConnected()) return;
    std::vector<SerialPortCandidate> candidates;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortCandidate candidate;
        candidate.location = info.systemLocation();
        candidate.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        candidate.vendorId = info.vendorIdentifier();
        candidate.productId = info.productIdentifier();
        candidates.push_back(candidate);
    }
    const QString port = chooseCameraPort(candidates, QString::fromStdString(options_.usbPort));
    if (port.contains(QLatin1String(kSerialPortMarker))) {
        ui_->lineEdit_usbport->setText(port);
        changeAddress();
    }
}

void MainWindow::appendLog(const QString& line) {
    QTextEdit* log = calibrationUi_->textLog;
    log->moveCursor(QTextCursor::End);
    log->insertPlainText(line);
    log->moveCursor(QTextCursor::End);
    watchCalibrationProgress(line);
}

void MainWindow::onPeriodicTimer() {
    if (!ctx_ || !ctx_->sdk) return;
    if (!ctx_->sdk->isConnected() && ui_->radioButton_usb->isChecked()) ctx_->raise(kUpdateUsbDetect);
    tickCalibrationWatchdog();
    tickCommandWatchdog();
    tickCloudViewFrameRate();
}
