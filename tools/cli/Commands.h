// The sub-commands. Each returns the process exit code; `out` takes this program's
// own output lines.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "CliArgs.h"
#include "export/FrameCloud.h"

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

// Records until --frames files are written or --seconds have passed; Ctrl-C ends it
// early with what was written. Prints the recording's directory and its counts.
int runRecord(const CliOptions& options, const LineSink& out, const std::atomic<bool>& interrupted);
// Progress and failures go to standard error; `out` gets the summary line. Ctrl-C leaves
// the files not yet started. The cloud filter (may be empty) runs before each cloud is
// written.
int runConvert(const CliOptions& options, const LineSink& out, const std::atomic<bool>& interrupted,
               const Movoda::exporters::CloudFilter& cloudFilter);
// One JSON line of measurements: from the camera at options.address (its first
// options.frames frames, with link health), else from the record files options.files.
// Failed files go to standard error and make the exit code 10.
int runStats(const CliOptions& options, const LineSink& out, const std::atomic<bool>& interrupted);

}  // namespace vantory_cli
