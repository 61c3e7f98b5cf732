// Recycles the pixel-plane buffers of destroyed frames, so that a stream of frames of one
// size reuses memory instead of asking the system for fresh (page-faulting) memory each
// time. Thread-safe: frames are built on the decoding thread and released wherever their
// last holder lets go of them. Holds at most kMaxPooled buffers per element type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Movoda {

template <typename T>
class PlanePool {
public:
    static constexpr size_t kMaxPooled = 12;

    // Never destroyed, so that frames released during static destruction still find it.
    static PlanePool& instance() {
        static PlanePool* pool = new PlanePool;
        return *pool;
    }

    // A vector of n elements, reusing the smallest pooled buffer that is big enough. With
    // zeroFill the elements are value-initialised; without, a reused buffer keeps stale
    // values (for planes the caller overwrites completely). `allZero`, when given, tells
    // whether the elements are known to be zero (zero filled, fresh, or given back so).
    std::vector<T> take(size_t n, bool zeroFill = true, bool* allZero = nullptr) {
        std::vector<T> plane;
        bool zero = true;  // a fresh vector grows with value-initialised elements
        {
            std::lock_guard<std::mutex> lock(mutex_);
            // Best fit, so that small planes do not take the buffers of large ones; among
            // equal fits, zeroed buffers go to callers who ask about zeros and the others
            // to those who do not.
            const bool wantZero = allZero != nullptr;
            size_t best = free_.size();
            for (size_t k = 0; k < free_.size(); ++k) {
                const size_t capacity = free_[k].plane.capacity();
                if (capacity < n) continue;
                if (best == free_.size()) {
                    best = k;
                    continue;
                }
                const size_t bestCapacity = free_[best].plane.capacity();
                const bool betterState =
                    free_[k].allZero == wantZero && free_[best].allZero != wantZero;
                if (capacity < bestCapacity || (capacity == bestCapacity && betterState)) best = k;
            }
            if (best != free_.size()) {
                plane.swap(free_[best].plane);
                zero = free_[best].allZero;
                free_[best] = std::move(free_.back());
                free_.pop_back();
            }
        }
        if (zeroFill) {
            plane.assign(n, T());
            zero = true;
        } else {
            plane.resize(n);  // elements beyond the old size are value-initialised
        }
        if (allZero != nullptr) *allZero = zero;
        return plane;
    }

    // `allZero`: the caller knows every element of the plane to be zero.
    void give(std::vector<T>& plane, bool allZero = false) {
        if (plane.capacity() == 0) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (free_.size() < kMaxPooled) {
            free_.push_back({std::vector<T>(), allZero});
            free_.back().plane.swap(plane);
        }
    }

private:
    PlanePool() = default;
    struct Pooled {
        std::vector<T> plane;
        bool allZero;
    };
    std::mutex mutex_;
    std::vector<Pooled> free_;
};

}  // namespace Movoda
