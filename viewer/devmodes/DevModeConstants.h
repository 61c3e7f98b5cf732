// Words, texts and command bytes of the developer modes and the debug command box.
#pragma once

#include <array>
#include <cstdint>

namespace vantory::devmodes {

// The words typed on the main window, in table order; a word's index is its mode.
constexpr std::array<const char*, 5> kModeWords = {"HLWQZ", "BTKSY", "JNPRV", "GDMXC", "FZQRW"};
constexpr int kModeWordCount = static_cast<int>(kModeWords.size());
enum ModeIndex : int {
    kDebugMode = 0,
    kFactoryTestMode = 1,
    kFirmwareMode = 2,
    kReservedMode = 3,  // accepted by the watcher, no effect
    kPixelReportMode = 4,
};
// A word must be finished this long after its first letter.
constexpr int kWordTimeoutMs = 5000;

// Bits of GuiContext::modes; any of the low four bits is a developer mode.
constexpr std::uint8_t kModeDebugBit = 0x01;
constexpr std::uint8_t kModeFactoryTestBit = 0x02;
constexpr std::uint8_t kModeFirmwareBit = 0x04;
constexpr std::uint8_t kDeveloperModeMask = 0x0F;

// Window texts.
constexpr const char* kDebugTitleSuffix = "(DEBUG)";
constexpr const char* kFactoryTitleSuffix = "(FCT)";
constexpr const char* kNoteTitle = "Note";
constexpr const char* kChineseInfoTitle = "提示";
constexpr const char* kIntoDebugMode = "into debug mode";
constexpr const char* kIntoFirmwareMode = "into fw update mode";
constexpr const char* kInvalidCommand = "invalid command";
constexpr const char* kCalibrationButtonText = "Calibration";
constexpr const char* kInfoTitle = "Info";
// The calibration window's buttons say what the started message says.
constexpr const char* kSunlightStarted = "start cali sunlight";
constexpr const char* kSunlightStartFailed = "fail to start cali sunlight";
constexpr const char* kSunlightStopButton = "stop cali sunlight";
constexpr const char* kInvalidByteValue = "Invalid byte value:";

// Named commands of the command box (compared upper-cased).
constexpr const char* kCmdStartSunlight = "CALISUN";
constexpr const char* kCmdStopSunlight = "STOPCALISUN";
constexpr const char* kCmdDcsPrefix = "DCS";
constexpr int kMaxDcsMode = 3;
constexpr const char* kCmdTempDistOn = "TEMPDISTON";
constexpr const char* kCmdTempDistOff = "TEMPDISTOFF";

// Raw commands.
constexpr int kRawCommandTimeoutMs = 1000;
constexpr int kMaxHexGroupLength = 2;
constexpr int kMaxByteValue = 255;

// Sunlight calibration: the acquisition the camera measures sunlight with.
constexpr std::uint8_t kEmittersOff = 0;
constexpr std::uint8_t kEmittersOn = 3;
constexpr std::uint16_t kSunlightGrayscaleUs = 2000;
constexpr std::uint16_t kSunlightIntegrationUs = 2000;
constexpr std::uint8_t kSunlightMaxFps = 10;

}  // namespace vantory::devmodes
