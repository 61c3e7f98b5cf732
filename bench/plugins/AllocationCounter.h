// Counts the process's heap allocations (operator new is replaced in AllocationCounter.cpp),
// so that a benchmark can report how many allocations one frame costs.
#pragma once

#include <atomic>
#include <cstddef>

namespace vantory_bench {

extern std::atomic<size_t> gAllocations;

inline size_t allocations() {
    return gAllocations.load(std::memory_order_relaxed);
}

}  // namespace vantory_bench
