// A pseudo-terminal pair in raw mode whose device is reachable under a chosen path
// (a symbolic link, for example /dev/ttyACM7), standing in for the camera's USB port.
#pragma once

#include <string>

namespace camsim {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens the pair and creates `linkPath`; false with a reason on failure.
    bool open(const std::string& linkPath, std::string& error);
    // Hands the controlling side to the caller (who closes it); -1 when not open.
    int takeMaster();
    void close();
    const std::string& devicePath() const { return devicePath_; }

private:
    int master_ = -1;
    int slave_ = -1;  // held open so that the controlling side never sees a hang-up
    std::string devicePath_;
    std::string linkPath_;
};

}  // namespace camsim
