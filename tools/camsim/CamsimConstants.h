// Numbers of the camera's side of the link: command ids, status codes, device states,
// ports and limits. One place so that the server, the frame builder and the tests agree.
#pragma once

#include <cstddef>
#include <cstdint>

namespace camsim {

// Command ids the camera understands.
namespace cmd {
constexpr uint8_t kLinkCheck = 0;
constexpr uint8_t kStart = 1;
constexpr uint8_t kStop = 2;
constexpr uint8_t kSetIp = 3;
constexpr uint8_t kDevInfo = 4;
constexpr uint8_t kDevConfig = 5;
constexpr uint8_t kIntTimes = 8;
constexpr uint8_t kMinAmplitude = 9;
constexpr uint8_t kHdrMode = 10;
constexpr uint8_t kBinning = 12;
constexpr uint8_t kReset = 13;
constexpr uint8_t kRestoreFactory = 14;
constexpr uint8_t kLensRead = 18;
constexpr uint8_t kUdpDest = 19;
constexpr uint8_t kChannel = 23;
constexpr uint8_t kFreqCodes = 27;
constexpr uint8_t kImuExtrinsicRead = 29;
constexpr uint8_t kPtpDomain = 30;
constexpr uint8_t kSaveConfig = 31;
constexpr uint8_t kBootText = 47;
constexpr uint8_t kEnterBootloader = 48;
constexpr uint8_t kFirmware = 49;
constexpr uint8_t kFirmwareReport = 50;
constexpr uint8_t kRoi = 51;
constexpr uint8_t kModFreq = 52;
constexpr uint8_t kVcsel = 53;
constexpr uint8_t kMaxFps = 56;
constexpr uint8_t kIntegrationLevel = 57;
constexpr uint8_t kClearRoi = 58;
constexpr uint8_t kMaxLightEnergy = 59;
constexpr uint8_t kSetSerial = 150;
constexpr uint8_t kSetMac = 151;
constexpr uint8_t kCalibrateAll = 152;
constexpr uint8_t kCalibrateOne = 153;
constexpr uint8_t kCalibrationSetup = 154;
constexpr uint8_t kCompensation = 161;
constexpr uint8_t kTempCoefWrite = 163;
constexpr uint8_t kTempCoefRead = 164;
constexpr uint8_t kLensWrite = 168;
constexpr uint8_t kImuExtrinsicWrite = 169;
constexpr uint8_t kSelector = 202;
constexpr uint8_t kDeviceLog = 209;
constexpr uint8_t kFrame = 251;
constexpr uint8_t kImuReport = 252;
}  // namespace cmd

// Selectors of command 202 (first payload byte).
namespace selector {
constexpr uint8_t kCutSwitch = 10;
constexpr uint8_t kCutParameter = 11;
constexpr uint8_t kRenderMode = 20;
constexpr uint8_t kGrayscalePlane = 0x22;
constexpr uint8_t kPixelReport = 0x26;
constexpr uint8_t kDistanceOffset = 0x29;
constexpr uint8_t kSunlightCalibration = 0x2E;
constexpr uint8_t kRawDcs = 0x32;
}  // namespace selector

// Status codes of the trailer.
namespace status {
constexpr uint8_t kOk = 0;
constexpr uint8_t kUnsupported = 1;
constexpr uint8_t kBusy = 2;
constexpr uint8_t kReject = 3;
constexpr uint8_t kReport = 7;
constexpr uint8_t kFormat = 8;
}  // namespace status

// Device states carried in every trailer.
namespace devstate {
constexpr uint8_t kIdle = 2;
constexpr uint8_t kStream = 3;
constexpr uint8_t kBootloader = 14;
constexpr uint8_t kCalibrating = 25;
}  // namespace devstate

constexpr uint16_t kCommandPort = 7787;
constexpr uint16_t kDefaultImagePort = 7687;
constexpr uint16_t kAnnouncePort = 7686;

constexpr int kSensorWidth = 320;
constexpr int kSensorHeight = 240;
constexpr uint8_t kMaxFrameRate = 50;
constexpr uint16_t kMaxIntegrationTimeUs = 2500;

// Stream code of the start command that asks for grayscale frames only.
constexpr uint8_t kGrayscaleStreamCode = 3;

// Distance codes of pixels without a measurement.
constexpr uint16_t kCodeLowAmplitude = 64001;
constexpr uint16_t kCodeSaturated = 64002;
constexpr uint16_t kFirstInvalidCode = 64000;

// Image datagrams: 20-byte chunk header, at most 1400 payload bytes per chunk.
constexpr size_t kChunkHeaderSize = 20;
constexpr size_t kMaxChunkPayload = 1400;

// Frame information block of the current layout.
constexpr size_t kInfoBlockSize = 206;
constexpr uint32_t kInfoBlockMagic = 0x33CCAA50;
constexpr uint8_t kInfoBlockVersion = 3;
constexpr size_t kImuBlockSize = 92;
constexpr uint8_t kImuBlockPresent = 0x5C;
// Trailer of the older frame layout (format 2).
constexpr size_t kLegacyFrameTrailerSize = 52;
constexpr uint8_t kLegacyFrameFormat = 2;

// Payload sizes of fixed-layout responses.
constexpr size_t kDevInfoSize = 125;         // current layout
constexpr size_t kLegacyDevInfoSize = 100;   // older layout
constexpr size_t kDevConfigSize = 78;        // current layout
constexpr size_t kLegacyDevConfigSize = 28;  // older layout
constexpr size_t kLensWireSize = 36;
constexpr size_t kImuExtrinsicWireSize = 28;
constexpr size_t kBootTextMinSize = 11;

// Firmware transfer records of command 49.
constexpr uint8_t kFirmwareBegin = 1;
constexpr uint8_t kFirmwareChunk = 2;
constexpr uint8_t kFirmwareEnd = 3;
constexpr size_t kFirmwareChunkSize = 1024;
constexpr uint8_t kFirmwareFinalReport = 3;
constexpr uint8_t kFirmwareResultSize = 1;  // result code "size"

inline const char kMagicWord[] = "MOVODA";  // confirmation payload of commands 13, 14, 31

}  // namespace camsim
