// A camera in the middle of something answers "busy" and acts on nothing; the command is
// worth sending again after a short pause. Any other refusal is final.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace vantory_cli {

// Runs `command` until it succeeds, up to `attempts` times in all, while `lastStatus`
// (the status of the exchange the command just made) says "busy", waiting `pause` between
// tries. True when a try succeeded.
bool retryWhileBusy(const std::function<bool()>& command,
                    const std::function<uint32_t()>& lastStatus, int attempts,
                    std::chrono::milliseconds pause);

}  // namespace vantory_cli
