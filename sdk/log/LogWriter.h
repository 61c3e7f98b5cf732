// The engine behind the process-wide log functions. It is a class of its own so that
// tests can run several independent writers (with a small rotation size) in one process.
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>

#include "mvsdk/MvLog.h"

namespace Movoda {

class LogWriter {
public:
    static constexpr int kLevelCount = 3;

    explicit LogWriter(std::uint64_t rotateBytes = kLogRotateBytes);
    ~LogWriter();

    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    void init(const std::string& directory);
    void sdkLine(int level, const std::string& tag, const std::string& message,
                 const std::string& instance);
    void appLine(const std::string& tag, const std::string& message);

    std::string directory() const;

    static const char* levelName(int level);
    static const char* fileName(int level);
    // "[time LEVEL] [instance] tag: message" without the newline.
    static std::string formatSdkLine(const std::string& time, int level, const std::string& tag,
                                     const std::string& message, const std::string& instance);
    static std::string formatAppLine(const std::string& time, const std::string& tag,
                                     const std::string& message);
    static std::string timeStamp();

private:
    static int levelIndex(int level);
    void writeLocked(int index, const std::string& line);
    void rotateLocked(int index);

    const std::uint64_t rotateBytes_;
    mutable std::mutex mutex_;
    std::string directory_;   // stored once a call opened all files
    std::string openedPath_;  // directory the open streams belong to
    std::ofstream streams_[kLevelCount];
};

// Creates every missing prefix of the path at each '/' or '\\', stopping at the first
// prefix that cannot be created.
void createDirectoryLevels(const std::string& path);

}  // namespace Movoda
