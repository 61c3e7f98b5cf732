// Fixed numbers of the camera parameter controls: ranges, command ids and their bytes.
#pragma once

#include <cstdint>

namespace vantory::controls {

// Widget limits.
constexpr int kMaxIntegrationTimeUs = 2500;
constexpr int kMaxGrayscaleIntegrationTimeUs = 44000;
constexpr int kMaxFramesPerSecond = 50;
constexpr int kMaxDistanceCm = 20000;
constexpr int kAmplitudeSliderMax = 3000;
constexpr int kExposureCount = 5;
constexpr int kChannelCount = 16;
// Millimetres per unit of the distance spin boxes (centimetres).
constexpr int kMillimetresPerCm = 10;

// Commands sent through customCmd.
constexpr std::uint8_t kCmdChannel = 23;
constexpr std::uint8_t kCmdExposureFrequencies = 27;
constexpr std::uint8_t kCmdOutputSwitch = 202;
constexpr std::uint32_t kCustomCmdTimeoutMs = 1000;
// First byte of command 202: which output it switches.
constexpr std::uint8_t kSwitchRawDcs = 0x32;
constexpr std::uint8_t kSwitchGrayscale = 0x22;
// Command 202 as sent after connecting older firmware: the render selection.
constexpr std::uint8_t kRenderSelect = 20;

// The frame rate is tried this often before the user is told.
constexpr int kFrameRateTries = 3;

// Firmware versions that decide the after-connect setup.
constexpr float kFirstSelfConfiguringFirmware = 2.2f;
constexpr float kLastCompatibleFirmware = 3.0f;
constexpr float kUnknownFirmwareVersion = 1.0f;
constexpr std::size_t kMinFirmwareTextLength = 9;
// Configuration records newer than this carry frequency codes, emitters and channel.
constexpr std::uint8_t kMinRecordVersionWithCodes = 3;
// A camera frame-rate setting above this is not shown in the spin box.
constexpr int kMaxShownConfigFps = 30;

// Device-dependent labels.
constexpr const char* kMaxIntTimeWarning = "MAX IntTime(超过2000us有人眼安全隐患):  ";
constexpr const char* kMaxIntTimePlain = "MAX IntTime:     ";
constexpr const char* kStyleRed = "color:red";
constexpr const char* kStyleBlack = "color:black";
constexpr const char* kEyeSafetyEditionToken = "APEX";

}  // namespace vantory::controls
