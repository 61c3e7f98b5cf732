#include "log/LogWriter.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <iostream>

namespace Movoda {

namespace {

const char* const kLevelNames[LogWriter::kLevelCount] = {"INFO", "WARRING", "ERROR"};
const char* const kFileNames[LogWriter::kLevelCount] = {"mvsdk_info.log", "mvsdk_warn.log",
                                                        "mvsdk_err.log"};

std::string withTrailingSeparator(const std::string& directory) {
    if (directory.empty() || directory.back() == '/' || directory.back() == '\\') {
        return directory;
    }
    return directory + "/";
}

}  // namespace

void createDirectoryLevels(const std::string& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '/' && path[i] != '\\') continue;
        if (i == 0) continue;  // the root itself
        const std::string prefix = path.substr(0, i + 1);
        struct stat info {};
        if (::stat(prefix.c_str(), &info) == 0) continue;
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return;
    }
    // A path without a trailing separator still names a directory.
    if (!path.empty() && path.back() != '/' && path.back() != '\\') {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) ::mkdir(path.c_str(), 0755);
    }
}

LogWriter::LogWriter(std::uint64_t rotateBytes) : rotateBytes_(rotateBytes) {}

LogWriter::~LogWriter() = default;

const char* LogWriter::levelName(int level) {
    return kLevelNames[levelIndex(level)];
}

const char* LogWriter::fileName(int level) {
    return kFileNames[levelIndex(level)];
}

int LogWriter::levelIndex(int level) {
    if (level <= LOG_INFO) return 0;
    if (level == LOG_WARN) return 1;
    return 2;
}

std::string LogWriter::timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y%m%d-%H-%M-%S", &local);
    return text;
}

std::string LogWriter::formatSdkLine(const std::string& time, int level, const std::string& tag,
                                     const std::string& message, const std::string& instance) {
    std::string line = "[" + time + " " + levelName(level) + "] ";
    if (!instance.empty()) line += "[" + instance + "] ";
    line += tag + ": " + message;
    return line;
}

std::string LogWriter::formatAppLine(const std::string& time, const std::string& tag,
                                     const std::string& message) {
    return "[" + time + " INFO] App " + tag + ": " + message;
}

void LogWriter::init(const std::string& directory) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!directory_.empty()) return;
    const std::string dir = withTrailingSeparator(directory);
    createDirectoryLevels(dir);
    bool anyWasOpen = false;
    for (int i = 0; i < kLevelCount; ++i) {
        if (streams_[i].is_open()) {
            anyWasOpen = true;
            continue;
        }
        streams_[i].open(dir + kFileNames[i], std::ios::out | std::ios::app);
    }
    if (!anyWasOpen) openedPath_ = dir;
    writeLocked(0, "---------init_logger---------");
    if (!anyWasOpen) directory_ = dir;
}

std::string LogWriter::directory() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return directory_;
}

void LogWriter::sdkLine(int level, const std::string& tag, const std::string& message,
                        const std::string& instance) {
    const std::string line = formatSdkLine(timeStamp(), level, tag, message, instance);
    std::lock_guard<std::mutex> lock(mutex_);
    writeLocked(levelIndex(level), line);
}

void LogWriter::appLine(const std::string& tag, const std::string& message) {
    const std::string line = formatAppLine(timeStamp(), tag, message);
    std::lock_guard<std::mutex> lock(mutex_);
    writeLocked(0, line);
}

void LogWriter::writeLocked(int index, const std::string& line) {
    std::ofstream& stream = streams_[index];
    if (!stream.is_open() || !stream.good()) {
        std::ostream& fallback = index == 0 ? std::cout : std::cerr;
        fallback << line << '\n';
        fallback.flush();
        return;
    }
    stream << line << '\n';
    stream.flush();
    const std::streamoff position = stream.tellp();
    if (position > 0 && static_cast<std::uint64_t>(position) > rotateBytes_) {
        rotateLocked(index);
    }
}

void LogWriter::rotateLocked(int index) {
    std::cout << "backupfile" << std::endl;
    const std::string path = openedPath_ + kFileNames[index];
    const std::string backup = path + ".bk";
    streams_[index].close();
    std::remove(backup.c_str());
    std::rename(path.c_str(), backup.c_str());
    streams_[index].clear();
    streams_[index].open(path, std::ios::out | std::ios::app);
}

}  // namespace Movoda
