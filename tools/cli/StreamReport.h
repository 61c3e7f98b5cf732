// Formats the per-second JSON lines and the summary line of "stream".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "StreamRecorder.h"
#include "mvsdk/MvSdk.h"

namespace vantory_cli {

// What the SDK counted itself over one interval, beside what the callback saw.
struct SdkFigures {
    uint32_t sdkFrameRate = 0;       // frames the SDK accepted in its last whole second
    uint64_t queueDropped = 0;       // replaced by newer frames before decoding or delivery
    uint64_t framesRejected = 0;     // refused by the frame intake
    uint64_t framesCompleted = 0;    // frames reassembled whole from the image stream
    uint64_t framesEvicted = 0;      // incomplete frames pushed out of reassembly
    uint64_t framesBroken = 0;       // reassembled with bad marks
    uint32_t framesPending = 0;      // in reassembly at the end of the interval
    uint64_t chunksDiscarded = 0;    // late chunks of evicted frames, bad chunk headers
    uint64_t chunksDuplicate = 0;    // chunks whose bytes had all arrived already
    uint64_t chunksLate = 0;         // chunks of frames that had already finished
    uint64_t datagramsDropped = 0;   // datagrams whose remaining bytes reassembly refused
    uint64_t foreignDatagrams = 0;   // image datagrams from another address than the camera's
    // Last image datagram read to frame callback, per bin of kSdkLatencyBinMicros.
    std::vector<uint64_t> sdkLatency;
    uint64_t receivedBytes = 0;      // image datagram bytes read
    uint64_t receivedDatagrams = 0;
    uint64_t receiveCalls = 0;       // system calls of the receive thread on the image socket
    uint64_t receiveCpuNs = 0;       // CPU time of the receive thread (reassembly included)
};

// The change of the SDK's counters from `before` to `after`; a counter that went back
// (the SDK was re-created) counts from zero.
SdkFigures figuresBetween(const Movoda::MvStreamStats& before, const Movoda::MvStreamStats& after,
                          uint32_t sdkFrameRate);

// One line per interval; second counts from 1, elapsedSeconds is the interval's length.
std::string intervalLine(uint64_t second, double elapsedSeconds, const IntervalReport& interval,
                         const SdkFigures& sdk, bool cloud);
std::string summaryLine(double elapsedSeconds, const IntervalReport& totals, const SdkFigures& sdk,
                        bool cloud);

}  // namespace vantory_cli
