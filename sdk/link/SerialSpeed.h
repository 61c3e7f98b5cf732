// Line speed of a serial port beyond the standard rates. Kept apart from everything that
// includes <termios.h>, because the kernel's termios2 header clashes with it.
#pragma once

#include <cstdint>

namespace Movoda::serial {

// Sets the input and output speed of the open descriptor to `baud` (any rate, not only the
// standard ones). Returns 0 on success, else the errno of the failing call.
int setLineSpeed(int fd, uint32_t baud);

// True when the descriptor is the terminal side of a pseudo-terminal, a device without a
// line speed of its own.
bool isPseudoTerminal(int fd);

}  // namespace Movoda::serial
