// The sub-commands. Each returns the process exit code; `out` takes this program's
// own output lines.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "CliArgs.h"

namespace vantory_cli {

using LineSink = std::function<void(const std::string&)>;

int runInfo(const CliOptions& options, const LineSink& out);
// Ends early, with the summary, once `interrupted` is set (Ctrl-C).
int runStream(const CliOptions& options, const LineSink& out, const std::atomic<bool>& interrupted);
int runSnapshot(const CliOptions& options, const LineSink& out);
// Progress goes to standard error; `out` gets the one result line. Ctrl-C stops the
// transfer (the camera may be left in its boot loader).
int runFirmware(const CliOptions& options, const LineSink& out,
                const std::atomic<bool>& interrupted);

}  // namespace vantory_cli
