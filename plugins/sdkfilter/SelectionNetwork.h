// Compare-exchange networks that sort the lower half of a window of pixels, built at
// compile time: Batcher's odd-even merge sort for the next power of two, with the
// comparators that only touch the missing (infinitely large) elements dropped, and then
// every comparator that cannot reach the ranks 0 .. highestRank pruned. Run on eight
// pixels at once they give a median without a branch per pixel.
#pragma once

#include <cstddef>
#include <utility>

namespace Movoda::sdkfilter {

struct NetworkTable {
    static constexpr int kCapacity = 256;
    int count = 0;
    int low[kCapacity] = {};
    int high[kCapacity] = {};
};

constexpr NetworkTable selectionNetwork(int size, int highestRank) {
    int padded = 1;
    while (padded < size) padded *= 2;
    NetworkTable all;
    for (int p = 1; p < padded; p *= 2) {
        for (int k = p; k >= 1; k /= 2) {
            for (int j = k % p; j + k < padded; j += 2 * k) {
                for (int i = 0; i < k && i + j + k < padded; ++i) {
                    const bool sameBlock = (i + j) / (2 * p) == (i + j + k) / (2 * p);
                    if (sameBlock && i + j + k < size) {
                        all.low[all.count] = i + j;
                        all.high[all.count] = i + j + k;
                        ++all.count;
                    }
                }
            }
        }
    }
    bool needed[NetworkTable::kCapacity] = {};
    bool keep[NetworkTable::kCapacity] = {};
    for (int r = 0; r <= highestRank; ++r) needed[r] = true;
    for (int c = all.count - 1; c >= 0; --c) {
        if (needed[all.low[c]] || needed[all.high[c]]) {
            keep[c] = true;
            needed[all.low[c]] = true;
            needed[all.high[c]] = true;
        }
    }
    NetworkTable pruned;
    for (int c = 0; c < all.count; ++c) {
        if (!keep[c]) continue;
        pruned.low[pruned.count] = all.low[c];
        pruned.high[pruned.count] = all.high[c];
        ++pruned.count;
    }
    return pruned;
}

template <int Size>
struct MedianNetwork {
    static constexpr int kHighestRank = (Size - 1) / 2;
    static constexpr NetworkTable kTable = selectionNetwork(Size, kHighestRank);

    // Sorts ranks 0 .. kHighestRank of v into place (lane by lane for vectors).
    template <typename T>
    static inline __attribute__((always_inline)) void run(T* v) {
        apply(v, std::make_index_sequence<kTable.count>());
    }

private:
    template <typename T, std::size_t... C>
    static inline __attribute__((always_inline)) void apply(T* v, std::index_sequence<C...>) {
        (exchange(v[kTable.low[C]], v[kTable.high[C]]), ...);
    }
    template <typename T>
    static inline __attribute__((always_inline)) void exchange(T& a, T& b) {
        const T lo = a < b ? a : b;
        const T hi = a < b ? b : a;
        a = lo;
        b = hi;
    }
};

}  // namespace Movoda::sdkfilter
