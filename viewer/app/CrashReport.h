// Writes a short crash report (signal, time, backtrace) when the process dies of a
// fatal signal, then lets it die as it would have.
#pragma once

#include <string>

namespace vantory {

// Creates `directory` and installs the handler for SIGSEGV, SIGABRT, SIGBUS, SIGFPE
// and SIGILL. Returns false when the directory cannot be created (nothing installed).
bool installCrashReporter(const std::string& directory);

// The report file name for a crash at `unixSeconds`: "crash_<seconds>_<pid>.txt".
std::string crashReportFileName(long long unixSeconds, long long pid);

}  // namespace vantory
