// Timings and limits of the daemon's connection supervision.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace Movoda::daemon {

constexpr int kMaxTransmissions = 4;
constexpr int kTimeoutsBeforeDrop = 3;      // more than this many in a row drops the link
constexpr int kEndianFailsBeforeFlip = 2;   // more than this many unanswered checks flip
constexpr uint32_t kSilenceCheckTicks = 3;  // silent ticks before a link check
constexpr uint32_t kSilenceDropTicks = 4;   // silent ticks before the link counts as lost
constexpr uint32_t kLongOpCheckTicks = 30;  // the same while the camera runs a long operation
constexpr uint32_t kLongOpSecondCheckTicks = 31;
constexpr uint32_t kLongOpDropTicks = 32;
constexpr int kTxRxCheckEvery = 3;  // in TxRxVerifying a check goes out every 4th tick
// IMU reports waiting for a slow event callback beyond this many: the oldest is dropped.
constexpr size_t kMaxQueuedReports = 32;
// At the longest back-off a failing link is logged once every this many tries.
constexpr uint32_t kBackoffLogEvery = 30;

// Wall-clock pacing; tests run the same state machine on a faster clock.
struct DaemonTiming {
    std::chrono::milliseconds tick{1000};
    std::chrono::milliseconds connectRetry{2000};
    std::chrono::milliseconds endianFlipPause{1000};
    // A link that closes sooner than `stableLink` after opening is retried after a pause
    // that starts at `backoffFirst` and doubles up to `backoffMax`; a stable link resets it.
    std::chrono::milliseconds backoffFirst{100};
    std::chrono::milliseconds backoffMax{2000};
    std::chrono::milliseconds stableLink{2000};
};

}  // namespace Movoda::daemon
