// The SDK prints its diagnostics ("udp discard frame ...", "tcp closed ", ...) on standard
// output. The tap moves them to standard error, so that standard output carries only this
// program's own lines (JSON for "stream"), which go through output().
#pragma once

#include <string>
#include <thread>

namespace vantory_cli {

class DiagnosticsTap {
public:
    DiagnosticsTap();
    // Puts standard output back and ends the forwarding thread.
    ~DiagnosticsTap();
    DiagnosticsTap(const DiagnosticsTap&) = delete;
    DiagnosticsTap& operator=(const DiagnosticsTap&) = delete;

    // False when the redirection could not be set up; output() then writes to standard output.
    bool active() const { return readerFd_ >= 0; }
    // Writes one line of our own output (a newline is appended).
    void output(const std::string& line);
    void stop();

private:
    void forwardLoop();

    int ownOutputFd_ = 1;
    int savedStdoutFd_ = -1;
    int readerFd_ = -1;
    std::thread forwarder_;
};

}  // namespace vantory_cli
