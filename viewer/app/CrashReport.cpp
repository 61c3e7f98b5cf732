#include "CrashReport.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>

namespace vantory {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr std::size_t kPathCapacity = 4096;
constexpr int kMaxFrames = 64;

// Filled before any crash so the handler itself never allocates.
char g_directory[kPathCapacity] = {};

// Async-signal-safe decimal formatting into `out`; returns the number of characters.
std::size_t formatDecimal(long long value, char* out) {
    char digits[24];
    std::size_t n = 0;
    const bool negative = value < 0;
    unsigned long long v = negative ? 0ULL - static_cast<unsigned long long>(value)
                                    : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0 && n < sizeof(digits));
    std::size_t len = 0;
    if (negative) out[len++] = '-';
    while (n > 0) out[len++] = digits[--n];
    return len;
}

std::size_t append(char* buffer, std::size_t used, std::size_t capacity, const char* text) {
    while (*text != '\0' && used + 1 < capacity) buffer[used++] = *text++;
    buffer[used] = '\0';
    return used;
}

void writeText(int fd, const char* text) {
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = ::write(fd, text, left);
        if (written <= 0) return;
        text += written;
        left -= static_cast<std::size_t>(written);
    }
}

void onFatalSignal(int signalNumber) {
    char path[kPathCapacity];
    char number[24];
    std::size_t used = append(path, 0, sizeof(path), g_directory);
    used = append(path, used, sizeof(path), "/crash_");
    number[formatDecimal(static_cast<long long>(std::time(nullptr)), number)] = '\0';
    used = append(path, used, sizeof(path), number);
    used = append(path, used, sizeof(path), "_");
    number[formatDecimal(static_cast<long long>(::getpid()), number)] = '\0';
    used = append(path, used, sizeof(path), number);
    append(path, used, sizeof(path), ".txt");

    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        writeText(fd, "signal: ");
        number[formatDecimal(signalNumber, number)] = '\0';
        writeText(fd, number);
        writeText(fd, "\ntime: ");
        number[formatDecimal(static_cast<long long>(std::time(nullptr)), number)] = '\0';
        writeText(fd, number);
        writeText(fd, "\nbacktrace:\n");
        void* frames[kMaxFrames];
        const int depth = ::backtrace(frames, kMaxFrames);
        ::backtrace_symbols_fd(frames, depth, fd);
        ::close(fd);
    }
    // Die the way the signal would have killed the process without us.
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

}  // namespace

std::string crashReportFileName(long long unixSeconds, long long pid) {
    return "crash_" + std::to_string(unixSeconds) + "_" + std::to_string(pid) + ".txt";
}

bool installCrashReporter(const std::string& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || directory.size() + 64 >= kPathCapacity) {
        std::cout << "crash path open failed: " << directory << std::endl;
        return false;
    }
    std::strncpy(g_directory, directory.c_str(), kPathCapacity - 1);

    // backtrace() loads its unwinder on first use; do it now, not inside the handler.
    void* warmUp[1];
    ::backtrace(warmUp, 1);

    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (int signalNumber : kFatalSignals) ::sigaction(signalNumber, &action, nullptr);
    return true;
}

}  // namespace vantory
