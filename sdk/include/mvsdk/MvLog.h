// Process-wide SDK log: three files (information, warning, error) in one directory,
// each rolled over into a single ".bk" backup once it passes kLogRotateBytes.
#pragma once

#include <cstdint>
#include <string>

namespace Movoda {

enum LogLevel : int { LOG_INFO = 0, LOG_WARN = 1, LOG_ERROR = 2 };

constexpr std::uint64_t kLogRotateBytes = 10000000;

// Creates the directory (level by level) and opens the three files. Only the first call
// that opens the files stores the directory; later calls change nothing.
void init_logger(const std::string& directory);

// One SDK line: "[time LEVEL] [instance] tag: message". Tags read "Movoda::Class::operation".
void sdkLog(int level, const std::string& tag, const std::string& message,
            const std::string& instance = std::string());

// One application line into the information file: "[time INFO] App tag: message".
void appLog(const std::string& tag, const std::string& message);

}  // namespace Movoda
