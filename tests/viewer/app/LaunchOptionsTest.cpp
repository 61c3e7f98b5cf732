#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LaunchOptions.h"

namespace vantory {
namespace {

struct CommandLineCase {
    const char* label;
    std::vector<std::string> arguments;
    std::string suffix;
    std::string port;
    std::string key;
    std::string usb;
    bool debug;
    bool console;
    std::string scale;
};

class CommandLineTable : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTable, Interprets) {
    const CommandLineCase& c = GetParam();
    const LaunchOptions options = parseCommandLine(c.arguments);
    EXPECT_EQ(options.suffix, c.suffix);
    EXPECT_EQ(options.imagePort, c.port);
    EXPECT_EQ(options.instanceKey, c.key);
    EXPECT_EQ(options.usbPort, c.usb);
    EXPECT_EQ(options.debug, c.debug);
    EXPECT_EQ(options.console, c.console);
    EXPECT_EQ(options.scaleFactor, c.scale);
}

const CommandLineCase kCases[] = {
    {"none", {}, "", "7687", "TofsingleApp", "", false, false, "0.9"},
    {"digit3", {"3"}, "3", "7690", "TofsingleApp3", "", false, false, "0.9"},
    {"digit0", {"0"}, "0", "7687", "TofsingleApp0", "", false, false, "0.9"},
    {"digit9", {"9"}, "9", "7696", "TofsingleApp9", "", false, false, "0.9"},
    {"twoDigits", {"12"}, "", "7687", "TofsingleApp", "", false, false, "0.9"},
    {"letter", {"a"}, "a", "7687", "TofsingleApp", "", false, false, "0.9"},
    {"upperLetterKeptVerbatim", {"B"}, "B", "7687", "TofsingleApp", "", false, false, "0.9"},
    {"full", {"0", "USB=5", "Console", "Scale=1.25"}, "0", "7687", "TofsingleApp0", "/dev/ttyACM5", false, true, "1.25"},
    {"scaleFirstIgnored", {"scale=2"}, "", "7687", "TofsingleApp", "", false, false, "0.9"},
    {"lastScaleWins", {"1", "x", "scale=1.5", "scale=2"}, "1", "7688", "TofsingleApp1", "", false, false, "2"},
    {"usbOnlySecond", {"usb=4"}, "", "7687", "TofsingleApp", "", false, false, "0.9"},
    {"usbThirdIgnored", {"1", "x", "usb=4"}, "1", "7688", "TofsingleApp1", "", false, false, "0.9"},
    {"debugFirst", {"HWPNZ"}, "", "7687", "TofsingleApp", "", true, false, "0.9"},
    {"debugThird", {"1", "x", "hwpnzxyz"}, "1", "7688", "TofsingleApp1", "", true, false, "0.9"},
    {"debugFourthIgnored", {"1", "x", "y", "hwpnz"}, "1", "7688", "TofsingleApp1", "", false, false, "0.9"},
    {"consoleFifth", {"1", "x", "y", "z", "consoleX"}, "1", "7688", "TofsingleApp1", "", false, true, "0.9"},
    {"sixthIgnored", {"1", "x", "y", "z", "w", "console"}, "1", "7688", "TofsingleApp1", "", false, false, "0.9"},
    {"emptyUsb", {"2", "usb="}, "2", "7689", "TofsingleApp2", "/dev/ttyACM", false, false, "0.9"},
    // Characters that would move the per-instance files elsewhere leave the suffix empty.
    {"slashSuffixRefused", {"/"}, "", "7687", "TofsingleApp", "", false, false, "0.9"},
    {"dotSuffixRefused", {"."}, "", "7687", "TofsingleApp", "", false, false, "0.9"},
    // A scale that is not a positive number keeps the default.
    {"scaleNotNumber", {"1", "scale=abc"}, "1", "7688", "TofsingleApp1", "", false, false, "0.9"},
    {"scaleZero", {"1", "scale=0"}, "1", "7688", "TofsingleApp1", "", false, false, "0.9"},
    {"scaleNegative", {"1", "scale=-2"}, "1", "7688", "TofsingleApp1", "", false, false, "0.9"},
    {"scaleEmpty", {"1", "scale="}, "1", "7688", "TofsingleApp1", "", false, false, "0.9"},
};

INSTANTIATE_TEST_SUITE_P(Viewer, CommandLineTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandLineCase>& info) { return info.param.label; });

TEST(CommandLine, StartWordOnlyAsAWholeWordAndNeverAsSuffix) {
    const LaunchOptions started = parseCommandLine({"7", "START"});
    EXPECT_TRUE(started.autoStart);
    EXPECT_EQ(started.suffix, "7");
    EXPECT_EQ(started.imagePort, "7694");
    const LaunchOptions alone = parseCommandLine({"start"});
    EXPECT_TRUE(alone.autoStart);
    EXPECT_EQ(alone.suffix, "");
    EXPECT_FALSE(parseCommandLine({"7", "starting"}).autoStart);
    const LaunchOptions recording = parseCommandLine({"record"});
    EXPECT_TRUE(recording.autoRecord);
    EXPECT_TRUE(recording.autoStart);
    EXPECT_FALSE(started.autoRecord);
    EXPECT_FALSE(parseCommandLine({"7"}).autoStart);
}

TEST(CommandLine, HelpAndVersionAnywhereButNeverAsSuffix) {
    struct Case {
        std::vector<std::string> arguments;
        bool help;
        bool version;
        std::string suffix;
    };
    const Case cases[] = {
        {{"--help"}, true, false, ""},
        {{"-h"}, true, false, ""},
        {{"--version"}, false, true, ""},
        // Beyond the five arguments the viewer examines.
        {{"3", "usb=1", "console", "scale=2", "start", "--help"}, true, false, "3"},
        {{"h"}, false, false, "h"},
        {{"3", "help", "-help"}, false, false, "3"},
    };
    for (const Case& c : cases) {
        const LaunchOptions options = parseCommandLine(c.arguments);
        EXPECT_EQ(options.help, c.help) << c.arguments.back();
        EXPECT_EQ(options.version, c.version) << c.arguments.back();
        EXPECT_EQ(options.suffix, c.suffix) << c.arguments.back();
    }
}

TEST(CommandLine, ArgvFormSkipsProgramName) {
    const char* argv[] = {"vantory", "3", "usb=7", nullptr};
    const LaunchOptions options = parseCommandLine(3, argv);
    EXPECT_EQ(options.suffix, "3");
    EXPECT_EQ(options.usbPort, "/dev/ttyACM7");
}

struct NamesCase {
    const char* argument;
    const char* title;
    const char* settingsFile;
    const char* logDirectory;
    const char* crashDirectory;
    const char* port;
    const char* key;
};

TEST(InstanceNames, FollowTheSuffix) {
    const NamesCase cases[] = {
        {"", "Vantory GUI V2.11.6 ", "gui.ini", "mvlog", "./mvlog/crash", "7687", "TofsingleApp"},
        {"3", "Vantory GUI V2.11.6 3", "gui3.ini", "mvlog3", "./mvlog3/crash", "7690", "TofsingleApp3"},
        {"12", "Vantory GUI V2.11.6 ", "gui.ini", "mvlog", "./mvlog/crash", "7687", "TofsingleApp"},
        {"a", "Vantory GUI V2.11.6 a", "guia.ini", "mvloga", "./mvloga/crash", "7687", "TofsingleApp"},
    };
    for (const NamesCase& c : cases) {
        SCOPED_TRACE(c.argument);
        std::vector<std::string> arguments;
        if (*c.argument) arguments.emplace_back(c.argument);
        const LaunchOptions options = parseCommandLine(arguments);
        EXPECT_EQ(windowTitle(options.suffix), c.title);
        EXPECT_EQ(settingsFileName(options.suffix), c.settingsFile);
        EXPECT_EQ(logDirectoryName(options.suffix), c.logDirectory);
        EXPECT_EQ(crashDirectory(options.suffix), c.crashDirectory);
        EXPECT_EQ(options.imagePort, c.port);
        EXPECT_EQ(options.instanceKey, c.key);
    }
}

}  // namespace
}  // namespace vantory
