#include "DebugCommands.h"

#include <QStringList>

#include <cstdint>
#include <vector>

#include "CameraDebug.h"
#include "DevModeConstants.h"
#include "DeveloperModes.h"
#include "RawCommand.h"
#include "ServiceCommands.h"
#include "mvsdk/MvSdk.h"

namespace vantory::devmodes {

namespace {

QString hexBytes(const std::vector<std::uint8_t>& bytes) {
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(' '));
}

}  // namespace

int dcsModeOf(const QString& upperText) {
    const QString prefix = QLatin1String(kCmdDcsPrefix);
    if (upperText.size() != prefix.size() + 1 || !upperText.startsWith(prefix)) return -1;
    const int mode = upperText.back().digitValue();
    return mode >= 0 && mode <= kMaxDcsMode ? mode : -1;
}

DebugCommands::DebugCommands(Movoda::MvSdk& sdk, DeveloperModes& modes, CommandEffects effects)
    : sdk_(sdk), modes_(modes), effects_(std::move(effects)) {}

void DebugCommands::run(const QString& text, bool decimal) {
    const QString upper = text.trimmed().toUpper();
    if (upper == QLatin1String(kModeWords[kDebugMode])) {
        modes_.enter(kDebugMode, EntryPoint::CommandBox);
    } else if (upper == QLatin1String(kModeWords[kFirmwareMode])) {
        modes_.enter(kFirmwareMode, EntryPoint::CommandBox);
    } else if (upper == QLatin1String(kCmdStartSunlight)) {
        startSunlight();
    } else if (upper == QLatin1String(kCmdStopSunlight)) {
        stopSunlight();
    } else if (const int dcs = dcsModeOf(upper); dcs >= 0) {
        effects_.setDcsMode(dcs);
    } else if (upper == QLatin1String(kCmdTempDistOn)) {
        effects_.setTempDistLog(true);
    } else if (upper == QLatin1String(kCmdTempDistOff)) {
        effects_.setTempDistLog(false);
    } else if (modes_.anyOn()) {
        sendRaw(text, decimal);
    } else {
        effects_.inform(QString::fromUtf8(kChineseInfoTitle), QString::fromLatin1(kInvalidCommand));
    }
}

bool DebugCommands::sendRaw(const QString& text, bool decimal) {
    const RawCommand command = parseRawCommand(text, decimal);
    if (!command.rejectedPart.isNull()) {
        effects_.log(QLatin1String(kInvalidByteValue) + QLatin1Char(' ') + command.rejectedPart +
                     QLatin1Char('\n'));
        return false;
    }
    if (command.bytes.empty()) return false;
    const std::uint8_t id = command.bytes.front();
    const std::vector<std::uint8_t> payload(command.bytes.begin() + 1, command.bytes.end());
    std::vector<std::uint8_t> answer;
    const bool ok = sdk_.customCmd(id, payload, answer, kRawCommandTimeoutMs);
    // The service engineer needs to see what came back, not only that something went out.
    const QString status = QString::fromLatin1(service::commandStatusName(sdk_.getLastCmdStatus()));
    effects_.log(QStringLiteral("cmd %1 [%2] -> %3, %4 bytes: %5\n")
                     .arg(static_cast<int>(id))
                     .arg(hexBytes(payload), status)
                     .arg(static_cast<qsizetype>(answer.size()))
                     .arg(hexBytes(answer)));
    return ok;
}

void DebugCommands::startSunlight() {
    effects_.raiseCalibrationWindow();
    const bool started = startSunlightCalibration(sdk_);
    effects_.timedMessage(QString::fromLatin1(kInfoTitle),
                          QString::fromLatin1(started ? kSunlightStarted : kSunlightStartFailed));
}

void DebugCommands::stopSunlight() {
    stopSunlightCalibration(sdk_);
    effects_.raiseCalibrationWindow();
}

}  // namespace vantory::devmodes
