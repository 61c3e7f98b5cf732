#include "link/SerialSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>

namespace Movoda::serial {

namespace {
// Character-device majors of the terminal side of Unix 98 pseudo-terminals.
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;
}  // namespace

int setLineSpeed(int fd, uint32_t baud) {
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return errno;
    // A zero input-speed field makes the input follow the output speed.
    settings.c_cflag &= ~tcflag_t(CBAUD | CIBAUD);
    settings.c_cflag |= BOTHER;
    settings.c_ispeed = baud;
    settings.c_ospeed = baud;
    if (::ioctl(fd, TCSETS2, &settings) != 0) return errno;
    return 0;
}

bool isPseudoTerminal(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    const unsigned deviceMajor = major(info.st_rdev);
    return deviceMajor >= kPtySlaveMajorFirst && deviceMajor <= kPtySlaveMajorLast;
}

}  // namespace Movoda::serial
