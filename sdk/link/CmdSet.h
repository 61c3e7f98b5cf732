// Command ids, their time-outs and the status codes of the command channel.
#pragma once

#include <cstdint>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace Movoda {

namespace cmd {
constexpr uint8_t kLinkCheck = 0;
constexpr uint8_t kStart = 1;
constexpr uint8_t kStop = 2;
constexpr uint8_t kSetIp = 3;
constexpr uint8_t kGetDevInfo = 4;
constexpr uint8_t kGetDevConfig = 5;
constexpr uint8_t kSetIntTimes = 8;
constexpr uint8_t kSetMinAmplitude = 9;
constexpr uint8_t kSetHdrMode = 10;
constexpr uint8_t kSetBinning = 12;
constexpr uint8_t kResetDev = 13;
constexpr uint8_t kRestoreFactory = 14;
constexpr uint8_t kGetLensCalidata = 18;
constexpr uint8_t kSetUdpDestIp = 19;
constexpr uint8_t kSetChannel = 23;
constexpr uint8_t kSetFreqCodes = 27;
constexpr uint8_t kGetImuExtrinsic = 29;
constexpr uint8_t kSetPtpDomain = 30;
constexpr uint8_t kSaveConfig = 31;
constexpr uint8_t kBootloaderText = 47;
constexpr uint8_t kBootloaderEntry = 48;
constexpr uint8_t kFirmwareTransfer = 49;
constexpr uint8_t kSetRoi = 51;
constexpr uint8_t kSetModFreq = 52;
constexpr uint8_t kSetVcselOnOff = 53;
constexpr uint8_t kSetMaxFps = 56;
constexpr uint8_t kSetIntegrationLevel = 57;
constexpr uint8_t kClearRoi = 58;
constexpr uint8_t kMaxLightEnergy = 59;
constexpr uint8_t kSetDevInfo = 150;
constexpr uint8_t kSetMac = 151;
constexpr uint8_t kCalibrateAll = 152;  // never repeated on time-out
constexpr uint8_t kCalibrateOne = 153;  // never repeated; success starts a long operation
constexpr uint8_t kCalibrationSetup = 154;
constexpr uint8_t kImmediateReport = 157;  // delivered at once, bypassing the event queue
constexpr uint8_t kSetCompensation = 161;
constexpr uint8_t kSetTempCoefficient = 163;
constexpr uint8_t kGetTempCoefficient = 164;
constexpr uint8_t kWriteLensParams = 168;
constexpr uint8_t kWriteImuExtrinsic = 169;
constexpr uint8_t kSetParameter = 202;
constexpr uint8_t kKeepsLongOperation = 209;  // success does not end a long operation
constexpr uint8_t kFrame = 251;               // image frame on the command channel
constexpr uint8_t kDataReport = 252;          // small report, counted per second
constexpr uint8_t kNoCommand = 255;           // awaited id while nothing is awaited
}  // namespace cmd

// Time-outs in milliseconds that the senders pass; the daemon raises anything lower
// than kMinCmdTimeoutMs.
namespace timeout {
constexpr uint32_t kMinCmdTimeoutMs = 300;
constexpr uint32_t kShortMs = 300;
constexpr uint32_t kFirmwareChunkMs = 500;
constexpr uint32_t kMediumMs = 1000;
constexpr uint32_t kDevInfoMs = 2000;
constexpr uint32_t kLongWriteMs = 3000;
}  // namespace timeout

// The time-out the sender of a command id passes (kMediumMs for ids not in the table,
// as custom commands use).
uint32_t defaultTimeoutMs(uint8_t cmdId);

// "ok", "unsupport", "busy", "reject", "report", "format", "data", "timeout", "invalid";
// other codes "Unknow".
const char* cmdStatusName(uint32_t status);

struct CmdResult {
    uint32_t status = CMD_TIMEOUT;
    std::vector<uint8_t> payload;
    bool ok() const { return status == CMD_OK; }
};

}  // namespace Movoda
