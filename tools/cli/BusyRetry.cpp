#include "BusyRetry.h"

#include <thread>

#include "mvsdk/MvTypes.h"

namespace vantory_cli {

bool retryWhileBusy(const std::function<bool()>& command,
                    const std::function<uint32_t()>& lastStatus, int attempts,
                    std::chrono::milliseconds pause) {
    for (int attempt = 1;; ++attempt) {
        if (command()) return true;
        if (attempt >= attempts || lastStatus() != Movoda::CMD_BUSY) return false;
        std::this_thread::sleep_for(pause);
    }
}

}  // namespace vantory_cli
