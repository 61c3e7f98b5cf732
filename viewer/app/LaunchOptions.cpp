#include "LaunchOptions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace vantory {
namespace {

std::string lowerAscii(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The suffix becomes part of file and directory names, so a character such as '/'
// or '.' would point them somewhere else; those leave the suffix empty.
bool isSafeSuffixCharacter(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) != 0 || c == '_' || c == '-';
}

// QT_SCALE_FACTOR only makes sense as a positive number; anything else keeps the default.
bool isUsableScale(const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value) && value > 0.0 && value <= 10.0;
}

}  // namespace

LaunchOptions parseCommandLine(const std::vector<std::string>& arguments) {
    LaunchOptions options;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") options.help = true;
        if (argument == "--version") options.version = true;
    }
    const std::size_t count = std::min(arguments.size(), kMaxExaminedArguments);

    if (count >= 1 && arguments[0].size() == 1 && isSafeSuffixCharacter(arguments[0][0])) {
        const char c = arguments[0][0];
        options.suffix = arguments[0];
        if (c >= '0' && c <= '9') {
            options.imagePort = std::to_string(kDefaultImagePort + (c - '0'));
            options.instanceKey = std::string(kInstanceKeyBase) + c;
        }
    }

    std::vector<std::string> lowered;
    for (std::size_t i = 0; i < count; ++i) lowered.push_back(lowerAscii(arguments[i]));

    for (std::size_t i = 0; i < lowered.size() && i < 3; ++i) {
        if (startsWith(lowered[i], kDebugSwitch)) options.debug = true;
    }

    const std::string usbPrefix = "usb=";
    if (lowered.size() >= 2 && startsWith(lowered[1], usbPrefix)) {
        options.usbPort = kSerialPortBase + lowered[1].substr(usbPrefix.size());
    }

    int scaleIndex = -1;
    for (std::size_t i = 0; i < lowered.size(); ++i) {
        if (startsWith(lowered[i], "console")) options.console = true;
        if (lowered[i] == kAutoStartWord) options.autoStart = true;
        if (lowered[i] == kAutoRecordWord) options.autoStart = options.autoRecord = true;
        if (startsWith(lowered[i], "scale=")) scaleIndex = static_cast<int>(i);
    }
    if (scaleIndex > 0) {
        const std::string& entry = lowered[static_cast<std::size_t>(scaleIndex)];
        const std::string value = entry.substr(entry.find('=') + 1);
        if (isUsableScale(value)) options.scaleFactor = value;
    }
    return options;
}

LaunchOptions parseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
    return parseCommandLine(arguments);
}

std::string usageText() {
    return "Usage: vantory [SUFFIX] [usb=N] [console] [scale=F] [start]\n"
           "Shows one time-of-flight depth camera, connected over the network or USB:\n"
           "distance, amplitude and grayscale images, pixel statistics and a 3-D point\n"
           "cloud, with recording, export and the camera's settings.\n"
           "\n"
           "Arguments:\n"
           "  SUFFIX         one letter or digit that tells copies apart: vantory 3 uses\n"
           "                 gui3.ini, mvlog3/ and image port 7690, so copies for several\n"
           "                 cameras run side by side\n"
           "  usb=N          connect through the serial port /dev/ttyACMN (second argument)\n"
           "  console        show the LogDbg button\n"
           "  scale=F        set QT_SCALE_FACTOR to F (1 or more)\n"
           "  start          press Start once the camera is connected\n"
           "  -h, --help     show this text and exit\n"
           "  --version      show the version and exit\n"
           "\n"
           "The settings are kept in gui.ini (gui + SUFFIX + .ini) and the logs in mvlog/\n"
           "(mvlog + SUFFIX) in the working folder. A second copy of the same instance\n"
           "exits with status 255.\n";
}

std::string secondCopyMessage(const LaunchOptions& options) {
    return "vantory: not started: another copy holds the single-instance marker " +
           options.instanceKey +
           ". To run several copies, start each with its own digit (vantory 1, vantory 2, ...).\n";
}

bool scaleFactorApplies(const std::string& scaleFactor) {
    if (!isUsableScale(scaleFactor)) return false;
    return std::strtod(scaleFactor.c_str(), nullptr) >= kMinimumAppliedScale;
}

std::string logDirectoryName(const std::string& suffix) { return "mvlog" + suffix; }

std::string crashDirectory(const std::string& suffix) { return "./mvlog" + suffix + "/crash"; }

std::string settingsFileName(const std::string& suffix) { return "gui" + suffix + ".ini"; }

std::string windowTitle(const std::string& suffix) {
    return std::string(kProgramTitle) + " GUI " + kProgramVersionText + suffix;
}

}  // namespace vantory
