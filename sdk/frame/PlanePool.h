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
    // values (for planes the caller overwrites completely).
    std::vector<T> take(size_t n, bool zeroFill = true) {
        std::vector<T> plane;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            // Best fit, so that small planes do not take the buffers of large ones.
            size_t best = free_.size();
            for (size_t k = 0; k < free_.size(); ++k) {
                const size_t capacity = free_[k].capacity();
                if (capacity >= n && (best == free_.size() || capacity < free_[best].capacity())) {
                    best = k;
                }
            }
            if (best != free_.size()) {
                plane.swap(free_[best]);
                free_[best].swap(free_.back());
                free_.pop_back();
            }
        }
        if (zeroFill) {
            plane.assign(n, T());
        } else {
            plane.resize(n);
        }
        return plane;
    }

    void give(std::vector<T>& plane) {
        if (plane.capacity() == 0) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (free_.size() < kMaxPooled) {
            free_.emplace_back();
            free_.back().swap(plane);
        }
    }

private:
    PlanePool() = default;
    std::mutex mutex_;
    std::vector<std::vector<T>> free_;
};

}  // namespace Movoda
