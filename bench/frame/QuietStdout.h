// Sends standard output and error to /dev/null while in scope, so that diagnostics
// printed inside timed loops do not flood the benchmark report.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace vantory_bench {

class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        std::fflush(stderr);
        savedOut_ = ::dup(1);
        savedErr_ = ::dup(2);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::close(null);
        }
    }
    ~QuietStdout() {
        std::fflush(stdout);
        std::fflush(stderr);
        if (savedOut_ >= 0) {
            ::dup2(savedOut_, 1);
            ::close(savedOut_);
        }
        if (savedErr_ >= 0) {
            ::dup2(savedErr_, 2);
            ::close(savedErr_);
        }
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int savedOut_ = -1;
    int savedErr_ = -1;
};

}  // namespace vantory_bench
