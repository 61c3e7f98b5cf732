#include "PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace camsim {

PseudoTerminal::~PseudoTerminal() {
    close();
}

bool PseudoTerminal::open(const std::string& linkPath, std::string& error) {
    close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("pseudo-terminal name: ") + std::strerror(errno);
        close();
        return false;
    }
    devicePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = std::string("pseudo-terminal open: ") + std::strerror(errno);
        close();
        return false;
    }
    // Raw bytes in both directions: no echo, no line editing, no character translation.
    termios tio{};
    if (::tcgetattr(slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
    ::unlink(linkPath.c_str());  // a stale link from an earlier run
    if (::symlink(name, linkPath.c_str()) != 0) {
        error = "cannot create " + linkPath + ": " + std::strerror(errno);
        close();
        return false;
    }
    linkPath_ = linkPath;
    return true;
}

int PseudoTerminal::takeMaster() {
    const int fd = master_;
    master_ = -1;
    return fd;
}

void PseudoTerminal::close() {
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
        linkPath_.clear();
    }
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
    devicePath_.clear();
}

}  // namespace camsim
