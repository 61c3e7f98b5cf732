// Record bytes and limits of the service commands: firmware transfer, the device-settings
// commands without an SDK operation of their own, and calibration. Their command ids and
// time-outs are the SDK's command table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantory::service {

// Firmware.
constexpr uint8_t kEventFirmwareReport = 50;
constexpr uint8_t kFirmwareBegin = 0x01;
constexpr uint8_t kFirmwareChunk = 0x02;
constexpr uint8_t kFirmwareEnd = 0x03;
constexpr std::size_t kFirmwareChunkSize = 1024;
// The chunk index travels in two bytes, so an image holds at most this many chunks.
constexpr std::size_t kFirmwareMaxChunks = 0x10000;
constexpr std::size_t kFirmwareMaxImageSize = kFirmwareChunkSize * kFirmwareMaxChunks;
// Images that start with this value (least significant byte first) are already meant for
// the running boot loader: no switch to it is asked for.
constexpr uint32_t kFirmwareBootloaderMark = 0x000AD5DF;
// The camera's report: status "report" with the first data byte 3 carries the result.
constexpr uint8_t kReportStatus = 7;
constexpr uint8_t kFirmwareFinalReport = 3;
constexpr std::size_t kFirmwareNoticeSize = 2;
constexpr int kFirmwareProgrammingProgress = 95;
constexpr int kFirmwareDoneProgress = 100;
// Watchdog ticks (3 s each) allowed for the camera to report after the transfer.
constexpr uint32_t kFirmwareReportTicks = 10;

// Device-settings commands.
constexpr uint8_t kPtpDomainRecord = 1;
constexpr uint8_t kClearRoiByte = 0;
constexpr std::size_t kLightEnergyAnswerSize = 2;
constexpr uint8_t kParamCutSwitch = 10;
constexpr uint8_t kParamCutValue = 11;
constexpr uint8_t kParamDistanceOffset = 0x29;

enum class LightEnergyOp : uint8_t { Clear = 0, Set = 1, Read = 2 };

// Calibration.
constexpr uint8_t kCalibrationSetupRecord = 0x01;
// Frequencies of a single calibration: indices above the last one mean the slowest.
constexpr uint8_t kCalibrationSlowestFrequency = 4;

}  // namespace vantory::service
