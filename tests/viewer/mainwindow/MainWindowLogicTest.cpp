#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "MainWindowLogic.h"
#include "ViewerConstants.h"

namespace vantory {
namespace {

TEST(ImageTypeIndex, MapsComboOrderToSdkTypes) {
    const struct {
        int index;
        std::optional<Movoda::ImageType> type;
    } cases[] = {
        {0, Movoda::IMG_DISTANCE},   {1, Movoda::IMG_GRAYSCALE},     {2, Movoda::IMG_AMPLITUDE},
        {3, Movoda::IMG_POINTCLOUD}, {4, Movoda::IMG_POINTCLOUDAMP}, {-1, std::nullopt},
        {5, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(imageTypeForIndex(c.index), c.type);
    }
}

TEST(ImageTypeIndex, ViewDecidesExposureControlsAndCaptions) {
    const struct {
        int index;
        bool exposure;
        const char* left;
        const char* right;
        int mode;
    } cases[] = {
        {0, true, "Distance", "Confidence", 0}, {1, false, "", "Grayscale", 2},
        {2, true, "Distance", "Amplitude", 1},  {3, true, "Distance", "Confidence", 0},
        {4, true, "Distance", "Amplitude", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        const ImageTypeView view = imageTypeView(c.index);
        EXPECT_EQ(view.exposureControls, c.exposure);
        EXPECT_EQ(view.leftName, QString::fromLatin1(c.left));
        EXPECT_EQ(view.rightName, QString::fromLatin1(c.right));
        EXPECT_EQ(view.pixelInfoMode, c.mode);
    }
}

TEST(ConnectionStyle, ColourFollowsConnectionAndDeviceState) {
    const struct {
        bool connected;
        uint32_t state;
        const char* style;
    } cases[] = {
        {true, 2, "color:green"},      {true, 3, "color:green"},  {true, 7, "color:darkorange"},
        {true, 8, "color:darkorange"}, {true, 0, "color:red"},    {true, 14, "color:red"},
        {false, 2, "color:red"},       {false, 3, "color:red"},   {false, 7, "color:red"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.connected << " " << c.state);
        EXPECT_EQ(connectionStateStyle(c.connected, c.state), QString::fromLatin1(c.style));
    }
}

TEST(UsbAddress, KeepsAnyChosenPortAndFillsOnlyAnEmptyField) {
    EXPECT_EQ(usbConnectAddress(QString()), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(usbConnectAddress(QStringLiteral("  ")), QStringLiteral("/dev/ttyACM0"));
    for (const char* name :
         {"/dev/ttyACM2", "/dev/ttyUSB0", "/dev/serial/by-id/usb-NXP_camera-if00"}) {
        EXPECT_EQ(usbConnectAddress(QString::fromLatin1(name)), QString::fromLatin1(name));
    }
}

SerialPortCandidate port(const char* location, uint16_t vendor, uint16_t product, bool ids = true) {
    return SerialPortCandidate{QString::fromLatin1(location), ids, vendor, product};
}

TEST(UsbAutoDetect, ChoosesCameraPortsOnly) {
    const std::vector<SerialPortCandidate> ports = {
        port("/dev/ttyACM0", kCameraUsbVendorId, kCameraUsbProductId),
        port("/dev/ttyUSB0", 0x0403, 0x6001),
        port("/dev/ttyACM1", kCameraUsbVendorId, 0x0096),
        port("/dev/ttyACM2", kCameraUsbVendorId, kCameraUsbProductId),
        port("/dev/ttyACM3", kCameraUsbVendorId, kCameraUsbProductId, false),
    };
    // Without a configured port the last camera port wins.
    EXPECT_EQ(chooseCameraPort(ports, QString()), QStringLiteral("/dev/ttyACM2"));
    // The configured port wins when it is a camera port.
    EXPECT_EQ(chooseCameraPort(ports, QStringLiteral("/dev/ttyACM0")), QStringLiteral("/dev/ttyACM0"));
    // A configured port that is not a camera port is not taken.
    EXPECT_EQ(chooseCameraPort(ports, QStringLiteral("/dev/ttyACM1")), QStringLiteral("/dev/ttyACM2"));
    EXPECT_EQ(chooseCameraPort({port("/dev/ttyUSB0", 0x0403, 0x6001)}, QString()), QString());
    EXPECT_EQ(chooseCameraPort({}, QStringLiteral("/dev/ttyACM0")), QString());
}

// A 92-byte IMU report with the fields at their offsets, little-endian.
std::vector<uint8_t> imuReport(float ax, float ay, float az, float temperature, uint64_t stampMs) {
    std::vector<uint8_t> data(kImuReportSize, 0xEE);
    const auto putFloat = [&data](std::size_t offset, float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof(bits));
        for (int i = 0; i < 4; ++i) data[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
    };
    putFloat(4, ax);
    putFloat(8, ay);
    putFloat(12, az);
    putFloat(40, temperature);
    for (int i = 0; i < 8; ++i) data[44 + i] = static_cast<uint8_t>(stampMs >> (8 * i));
    return data;
}

TEST(ImuReport, ParsesFieldsAtTheirOffsets) {
    const auto sample = parseImuReport(imuReport(0.5f, -1.25f, 9.75f, 36.5f, 0x0102030405060708ULL));
    ASSERT_TRUE(sample.has_value());
    EXPECT_FLOAT_EQ(sample->ax, 0.5f);
    EXPECT_FLOAT_EQ(sample->ay, -1.25f);
    EXPECT_FLOAT_EQ(sample->az, 9.75f);
    EXPECT_FLOAT_EQ(sample->temperature, 36.5f);
    EXPECT_EQ(sample->timestampMs, 0x0102030405060708ULL);
}

TEST(ImuReport, OtherSizesAreIgnored) {
    for (std::size_t size : {0u, 44u, 91u, 93u, 200u}) {
        EXPECT_FALSE(parseImuReport(std::vector<uint8_t>(size, 0)).has_value()) << size;
    }
}

TEST(ImuReport, LineFormatsDecimalsRateAndTime) {
    const auto sample = parseImuReport(imuReport(0.014f, -1.0f, 9.806f, 41.257f, 12345));
    ASSERT_TRUE(sample.has_value());
    EXPECT_EQ(formatImuLine(*sample, 200), QString::fromUtf8("I:41.26℃ a:0.01 -1.00 9.81 g:200 12.345"));
}

TEST(ImuReport, AbsoluteTimeShowsSecondsOfMinuteAfterLeapOffset) {
    // 1 700 000 000 123 ms: seconds 1 700 000 000 - 37 = 1 699 999 963, modulo 60 = 43.
    const auto sample = parseImuReport(imuReport(0, 0, 0, 0, 1700000000123ULL));
    ASSERT_TRUE(sample.has_value());
    EXPECT_TRUE(formatImuLine(*sample, 0).endsWith(QStringLiteral(" 43.123")));
    // Milliseconds are not zero-padded.
    const auto early = parseImuReport(imuReport(0, 0, 0, 0, 100000000005ULL));
    EXPECT_TRUE(formatImuLine(*early, 0).endsWith(QStringLiteral(" 3.5")));  // (100000000-37)%60 = 3
}

TEST(ImuThrottle, TwentyFirstFullReportPasses) {
    ImuReportThrottle throttle;
    for (int i = 1; i <= 20; ++i) EXPECT_FALSE(throttle.admit(kImuReportSize)) << i;
    EXPECT_TRUE(throttle.admit(kImuReportSize));
    // The count starts again.
    for (int i = 1; i <= 20; ++i) EXPECT_FALSE(throttle.admit(kImuReportSize)) << i;
    EXPECT_TRUE(throttle.admit(kImuReportSize));
}

TEST(ImuThrottle, ShortReportsCountButAreNotShown) {
    ImuReportThrottle throttle;
    for (int i = 1; i <= 25; ++i) EXPECT_FALSE(throttle.admit(10)) << i;
    EXPECT_TRUE(throttle.admit(kImuReportSize));  // first full one after the count passed 20
    EXPECT_FALSE(throttle.admit(kImuReportSize));
}

TEST(BootloaderText, TextUpToZeroOrUnknow) {
    const std::vector<uint8_t> withZero = {'B', 'L', '-', '1', '.', '2', '.', '3', 0, 'x', 'y', 'z'};
    EXPECT_EQ(bootloaderText(true, withZero), QStringLiteral("BL-1.2.3"));
    const std::vector<uint8_t> noZero = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k'};
    EXPECT_EQ(bootloaderText(true, noZero), QStringLiteral("abcdefghijk"));
    EXPECT_EQ(bootloaderText(true, std::vector<uint8_t>(10, 'a')), QStringLiteral("unknow"));
    EXPECT_EQ(bootloaderText(false, noZero), QStringLiteral("unknow"));
}

}  // namespace
}  // namespace vantory
