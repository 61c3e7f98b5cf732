#include "DiagnosticsTap.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>

namespace vantory_cli {

namespace {
void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}
}  // namespace

DiagnosticsTap::DiagnosticsTap() {
    std::fflush(stdout);
    std::cout.flush();
    int fds[2];
    if (::pipe(fds) != 0) return;
    const int saved = ::dup(STDOUT_FILENO);
    if (saved < 0 || ::dup2(fds[1], STDOUT_FILENO) < 0) {
        if (saved >= 0) ::close(saved);
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    ::close(fds[1]);  // standard output is now the only write end
    savedStdoutFd_ = saved;
    ownOutputFd_ = saved;
    readerFd_ = fds[0];
    forwarder_ = std::thread([this] { forwardLoop(); });
}

DiagnosticsTap::~DiagnosticsTap() { stop(); }

void DiagnosticsTap::output(const std::string& line) {
    const std::string text = line + "\n";
    writeAll(ownOutputFd_, text.data(), text.size());
}

void DiagnosticsTap::forwardLoop() {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(readerFd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;  // the write end closed: stop() restored standard output
        writeAll(STDERR_FILENO, buffer, static_cast<size_t>(got));
    }
}

void DiagnosticsTap::stop() {
    if (savedStdoutFd_ < 0) return;
    std::fflush(stdout);
    std::cout.flush();
    // Replacing descriptor 1 closes the pipe's last write end, so the forwarder sees the end.
    ::dup2(savedStdoutFd_, STDOUT_FILENO);
    if (forwarder_.joinable()) forwarder_.join();
    ::close(readerFd_);
    ::close(savedStdoutFd_);
    readerFd_ = -1;
    savedStdoutFd_ = -1;
    ownOutputFd_ = STDOUT_FILENO;
}

}  // namespace vantory_cli
