// vantory-cli: a headless program on the device SDK for users and scripts.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "CliArgs.h"
#include "CliConstants.h"
#include "ConfigApply.h"
#include "Commands.h"
#include "DiagnosticsTap.h"
#include "VantoryBuildInfo.h"

namespace {

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int) {
    gInterrupted.store(true);
}

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Seam for an optional point-cloud filter applied before clouds are written; none yet.
Movoda::exporters::CloudFilter cloudFilter() {
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vantory_cli;
    if (vantory::buildinfo::hasOption(argc, argv, "--version")) {
        std::cout << "vantory-cli " << vantory::buildinfo::kVersion << "\n";
        return kExitOk;
    }
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedArgs parsed = parseArgs(args);
    if (!parsed.options) {
        std::cerr << "vantory-cli: " << parsed.error << "\n\n" << usageText();
        return kExitUsage;
    }
    const CliOptions& options = *parsed.options;
    if (options.command == Command::Help) {
        std::cout << usageText();
        return kExitOk;
    }

    if (!options.configFile.empty()) {
        std::string why;
        if (!loadConfigFile(options.configFile, why)) {
            std::cerr << "vantory-cli: " << why << std::endl;
            return kExitUsage;
        }
    }

    installInterruptHandler();
    DiagnosticsTap tap;
    const LineSink out = [&tap](const std::string& line) { tap.output(line); };
    int code = kExitOk;
    switch (options.command) {
        case Command::Info:
            code = runInfo(options, out);
            break;
        case Command::Stream:
            code = runStream(options, out, gInterrupted);
            break;
        case Command::Snapshot:
            code = runSnapshot(options, out);
            break;
        case Command::Firmware:
            code = runFirmware(options, out, gInterrupted);
            break;
        case Command::Record:
            code = runRecord(options, out, gInterrupted);
            break;
        case Command::Convert:
            code = runConvert(options, out, gInterrupted, cloudFilter());
            break;
        case Command::Stats:
            code = runStats(options, out, gInterrupted);
            break;
        case Command::Help:
            break;
    }
    tap.stop();
    return code;
}
