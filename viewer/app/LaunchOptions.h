// What the viewer's command line decides, and the per-instance names derived from it.
#pragma once

#include <string>
#include <vector>

namespace vantory {

constexpr int kDefaultImagePort = 7687;
constexpr const char* kDefaultScaleFactor = "0.9";
constexpr const char* kInstanceKeyBase = "TofsingleApp";
constexpr const char* kSerialPortBase = "/dev/ttyACM";
constexpr const char* kDebugSwitch = "hwpnz";
// Presses Start once the camera is connected (demos, unattended stations).
constexpr const char* kAutoStartWord = "start";
// Presses Start, then Record with "No Limit" once the camera streams, and prints what was
// recorded and received when the viewer ends (long unattended recordings, soak runs).
constexpr const char* kAutoRecordWord = "record";
constexpr const char* kProgramTitle = "Vantory";
constexpr const char* kProgramVersionText = "V2.11.6 ";
constexpr std::size_t kMaxExaminedArguments = 5;

struct LaunchOptions {
    std::string suffix;                        // one safe character, or empty
    std::string imagePort = "7687";            // 7687 + digit suffix
    std::string usbPort;                       // from "usb=N"
    bool debug = false;
    bool console = false;
    bool autoStart = false;
    bool autoRecord = false;  // implies autoStart
    std::string scaleFactor = kDefaultScaleFactor;  // value for QT_SCALE_FACTOR
    std::string instanceKey = kInstanceKeyBase;     // single-instance marker name
    // "--help"/"-h" or "--version" anywhere: answer and exit before any window exists.
    bool help = false;
    bool version = false;
};

// Interprets the arguments after the program name (argv[1..]); only the first five count.
LaunchOptions parseCommandLine(const std::vector<std::string>& arguments);
LaunchOptions parseCommandLine(int argc, const char* const* argv);

// The --help text.
std::string usageText();

// Why a second copy of an instance exits, for standard error.
std::string secondCopyMessage(const LaunchOptions& options);

// Whether QT_SCALE_FACTOR is set to this value. Qt 6.4 on X11 paints every widget
// clipped to part of its area when the global factor is below 1, so such a factor (the
// 0.9 default included) is not applied and the display's own scale stays in force.
bool scaleFactorApplies(const std::string& scaleFactor);
constexpr double kMinimumAppliedScale = 1.0;

// Per-instance resource names.
std::string logDirectoryName(const std::string& suffix);     // "mvlog" + S
std::string crashDirectory(const std::string& suffix);       // "./mvlog" + S + "/crash"
std::string settingsFileName(const std::string& suffix);     // "gui" + S + ".ini"
std::string windowTitle(const std::string& suffix);          // "Vantory GUI V2.11.6 " + S

}  // namespace vantory
