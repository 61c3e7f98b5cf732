// The camera's side of a serial link for tests: a pseudo-terminal whose terminal side is
// reachable as /dev/ttyACM<N>, with the controlling side in the test's hands. It writes raw
// bytes (packets, garbage) and reads what the SDK sent.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "PseudoTerminal.h"
#include "UsbPackets.h"

namespace vantory_test {

// True when the test may create device links under /dev.
inline bool canCreateDeviceLinks() {
    return ::access("/dev", W_OK) == 0;
}

#define VANTORY_REQUIRE_DEV_LINKS()                                                           \
    do {                                                                                      \
        if (!vantory_test::canCreateDeviceLinks())                                            \
            GTEST_SKIP() << "creating /dev/ttyACM4x links needs write access to /dev (root)"; \
    } while (0)

class SerialPeer {
public:
    ~SerialPeer() { close(); }

    void open(const std::string& linkPath) {
        std::string why;
        ASSERT_TRUE(pty_.open(linkPath, why)) << why;
        master_ = pty_.takeMaster();
        ASSERT_GE(master_, 0);
        // Non-blocking, so that a test never hangs on a full terminal buffer.
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    // The port disappears: the controlling side closes and the link is removed.
    void close() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
        pty_.close();
    }
    bool isOpen() const { return master_ >= 0; }

    // Writes every byte, waiting for room in the terminal's buffer, within the deadline.
    bool write(const Bytes& bytes, std::chrono::milliseconds within = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + within;
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += size_t(n);
                continue;
            }
            if (std::chrono::steady_clock::now() >= deadline) return false;
            pollfd entry{master_, POLLOUT, 0};
            ::poll(&entry, 1, 50);
        }
        return true;
    }

    // Reads until `count` bytes have arrived or the time is up.
    Bytes read(size_t count, std::chrono::milliseconds within) {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + within;
        uint8_t buffer[4096];
        while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd entry{master_, POLLIN, 0};
            if (::poll(&entry, 1, 50) <= 0) continue;
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - out.size()));
            if (n > 0) out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }

    int master() const { return master_; }

private:
    camsim::PseudoTerminal pty_;
    int master_ = -1;
};

}  // namespace vantory_test
