#include "MainWindowLogic.h"

#include <cstring>

#include "ViewerConstants.h"

namespace vantory {
namespace {

// Seconds of GPS-style time stamps (milliseconds above this) are shown as the
// seconds of the minute after the 37 s leap offset.
constexpr std::uint64_t kAbsoluteTimestampMs = 100000000000ULL;
constexpr std::uint64_t kLeapSeconds = 37;

float readFloatLe(const std::uint8_t* p) {
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

std::uint64_t readU64Le(const std::uint8_t* p) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

}  // namespace

std::optional<Movoda::ImageType> imageTypeForIndex(int index) {
    switch (index) {
    case 0: return Movoda::IMG_DISTANCE;
    case 1: return Movoda::IMG_GRAYSCALE;
    case 2: return Movoda::IMG_AMPLITUDE;
    case 3: return Movoda::IMG_POINTCLOUD;
    case 4: return Movoda::IMG_POINTCLOUDAMP;
    default: return std::nullopt;
    }
}

ImageTypeView imageTypeView(int index) {
    ImageTypeView view;
    switch (index) {
    case 1:
        view.exposureControls = false;
        view.rightName = QStringLiteral("Grayscale");
        view.pixelInfoMode = 2;
        break;
    case 2:
    case 4:
        view.leftName = QStringLiteral("Distance");
        view.rightName = QStringLiteral("Amplitude");
        view.pixelInfoMode = 1;
        break;
    default:
        view.leftName = QStringLiteral("Distance");
        view.rightName = QStringLiteral("Confidence");
        view.pixelInfoMode = 0;
        break;
    }
    return view;
}

QString connectionStateStyle(bool connected, std::uint32_t devState) {
    if (connected && (devState == kDevStateIdle || devState == kDevStateStream)) {
        return QString::fromLatin1(kStyleConnected);
    }
    if (connected && (devState == kDevStateWarnTemp || devState == kDevStateTempDownFreq)) {
        return QString::fromLatin1(kStyleWarning);
    }
    return QString::fromLatin1(kStyleDisconnected);
}

QString usbConnectAddress(const QString& fieldText) {
    const QString name = fieldText.trimmed();
    if (!name.isEmpty()) return name;
    return QString::fromLatin1(kDefaultSerialPort);
}

QString chooseCameraPort(const std::vector<SerialPortCandidate>& ports, const QString& configuredPort) {
    QString chosen;
    for (const SerialPortCandidate& port : ports) {
        if (!port.hasIds || port.vendorId != kCameraUsbVendorId || port.productId != kCameraUsbProductId) continue;
        if (!configuredPort.isEmpty() && port.location == configuredPort) return port.location;
        chosen = port.location;
    }
    return chosen;
}

std::optional<ImuSample> parseImuReport(const std::vector<std::uint8_t>& data) {
    if (data.size() != kImuReportSize) return std::nullopt;
    ImuSample sample;
    sample.ax = readFloatLe(&data[4]);
    sample.ay = readFloatLe(&data[8]);
    sample.az = readFloatLe(&data[12]);
    sample.temperature = readFloatLe(&data[40]);
    sample.timestampMs = readU64Le(&data[44]);
    return sample;
}

QString formatImuLine(const ImuSample& sample, std::uint32_t reportRate) {
    std::uint64_t seconds = sample.timestampMs / 1000;
    const std::uint64_t millis = sample.timestampMs % 1000;
    if (sample.timestampMs > kAbsoluteTimestampMs) seconds = (seconds - kLeapSeconds) % 60;
    const auto fixed2 = [](float v) { return QString::number(static_cast<double>(v), 'f', 2); };
    return QStringLiteral("I:") + fixed2(sample.temperature) + QString::fromUtf8("℃ a:") + fixed2(sample.ax) +
           QLatin1Char(' ') + fixed2(sample.ay) + QLatin1Char(' ') + fixed2(sample.az) + QStringLiteral(" g:") +
           QString::number(reportRate) + QLatin1Char(' ') + QString::number(seconds) + QLatin1Char('.') +
           QString::number(millis);
}

bool ImuReportThrottle::admit(std::size_t reportSize) {
    if (count_ <= kImuReportsPerLine) ++count_;  // saturates instead of overflowing
    if (count_ > kImuReportsPerLine && reportSize == kImuReportSize) {
        count_ = 0;
        return true;
    }
    return false;
}

QString bootloaderText(bool ok, const std::vector<std::uint8_t>& response) {
    if (!ok || response.size() < kBootloaderTextMinSize) return QStringLiteral("unknow");
    std::size_t length = 0;
    while (length < response.size() && response[length] != 0) ++length;
    return QString::fromLatin1(reinterpret_cast<const char*>(response.data()), static_cast<int>(length));
}

}  // namespace vantory
