// Decisions of the main window that need no widget: image-type mapping, connection
// colours, the camera's serial port, the IMU line. Kept apart so they can be tested.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace vantory {

// cmbBox_imagetype index -> the SDK image type; empty for an index outside 0..4.
std::optional<Movoda::ImageType> imageTypeForIndex(int index);

// What an image type changes in the window.
struct ImageTypeView {
    bool exposureControls = true;  // cmbBox_hdrmode and spinBox_int1 (else spinBox_intgs)
    QString leftName;              // pixel-information column captions
    QString rightName;
    int pixelInfoMode = 0;         // 0 distance, 1 distance + amplitude, 2 grayscale
};
ImageTypeView imageTypeView(int index);

// Style sheet of label_connectstate.
QString connectionStateStyle(bool connected, std::uint32_t devState);

// The address used for the USB link: the port the user chose or the auto-detect found
// (any device name, such as a ttyUSB adapter or a /dev/serial/by-id link), or the
// first camera port when the field is empty.
QString usbConnectAddress(const QString& fieldText);

struct SerialPortCandidate {
    QString location;
    bool hasIds = false;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};
// Among the camera's ports (by USB ids) the configured one when present, else the
// last one; empty when there is none.
QString chooseCameraPort(const std::vector<SerialPortCandidate>& ports, const QString& configuredPort);

struct ImuSample {
    float ax = 0, ay = 0, az = 0;
    float temperature = 0;
    std::uint64_t timestampMs = 0;
};
// A 92-byte IMU report, little-endian; empty for any other size.
std::optional<ImuSample> parseImuReport(const std::vector<std::uint8_t>& data);
// "I:<t>℃ a:<ax> <ay> <az> g:<rate> <s>.<ms>"
QString formatImuLine(const ImuSample& sample, std::uint32_t reportRate);

// Lets one IMU report in kImuReportsPerLine + 1 through, counting every report.
class ImuReportThrottle {
public:
    bool admit(std::size_t reportSize);

private:
    int count_ = 0;
};

// Text of a boot-loader version response: up to the first zero byte; "unknow" when
// the exchange failed or the response is too short.
QString bootloaderText(bool ok, const std::vector<std::uint8_t>& response);

}  // namespace vantory
