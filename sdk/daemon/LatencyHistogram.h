// Counts durations into fixed bins from several threads without a lock.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>

#include "mvsdk/MvSdk.h"

namespace Movoda {

class LatencyHistogram {
public:
    void record(std::chrono::steady_clock::duration duration) {
        const int64_t micros =
            std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
        const size_t bin = micros < 0 ? 0
                                      : std::min<size_t>(size_t(micros) / kSdkLatencyBinMicros,
                                                         kSdkLatencyBins);
        bins_[bin].fetch_add(1, std::memory_order_relaxed);
    }
    SdkLatencyHistogram snapshot() const {
        SdkLatencyHistogram out{};
        for (size_t i = 0; i < out.size(); ++i) out[i] = bins_[i].load(std::memory_order_relaxed);
        return out;
    }

private:
    std::array<std::atomic<uint64_t>, kSdkLatencyBins + 1> bins_{};
};

}  // namespace Movoda
