// Fixed numbers of the main window: event ids, device states, USB ids, timings.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantory {

// Event command ids the main window reacts to.
constexpr std::uint8_t kEventFirstConnected = 254;
constexpr std::uint8_t kEventDeviceLog = 209;
constexpr std::uint8_t kEventCalibrationData1 = 157;
constexpr std::uint8_t kEventCalibrationData2 = 158;
constexpr std::uint8_t kEventFirmwareProgress = 50;
constexpr std::uint8_t kEventDeviceConfig = 5;
constexpr std::uint8_t kEventImuReport = 252;

// Device states with a meaning for the window.
constexpr std::uint32_t kDevStateIdle = 2;
constexpr std::uint32_t kDevStateStream = 3;
constexpr std::uint32_t kDevStateWarnTemp = 7;
constexpr std::uint32_t kDevStateTempDownFreq = 8;
constexpr std::uint32_t kDevStateBootloader = 14;

// The camera's USB serial function.
constexpr std::uint16_t kCameraUsbVendorId = 0x1FC9;
constexpr std::uint16_t kCameraUsbProductId = 0x0095;
constexpr const char* kSerialPortMarker = "ttyACM";
constexpr const char* kDefaultSerialPort = "/dev/ttyACM0";

// Boot-loader version read while the camera is in its boot loader.
constexpr std::uint8_t kCmdBootloaderText = 47;
constexpr std::uint32_t kBootloaderTextTimeoutMs = 1000;
constexpr std::size_t kBootloaderTextMinSize = 11;

// IMU reports: shown once every so many, and only in their full size.
constexpr int kImuReportsPerLine = 20;
constexpr std::size_t kImuReportSize = 92;

// Timings of the GUI thread.
constexpr int kPeriodicTimerMs = 3000;
constexpr int kRestartPauseMs = 300;
constexpr int kPlaybackStopPauseMs = 200;
constexpr int kInterruptQuitDelayMs = 1000;
constexpr int kTimedMessageMs = 3000;

// Developer-mode bit of the factory-test mode (GuiContext::modes).
constexpr std::uint8_t kModeFactoryTestBit = 0x02;

// Combo box index of the grayscale image type.
constexpr int kGrayscaleImageTypeIndex = 1;
// Combo box index of "PointCloud+Amp", the type the camera is left in on exit.
constexpr int kShutdownImageTypeIndex = 4;

constexpr const char* kStyleConnected = "color:green";
constexpr const char* kStyleWarning = "color:darkorange";
constexpr const char* kStyleDisconnected = "color:red";

}  // namespace vantory
