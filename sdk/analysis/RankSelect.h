// Exact order statistics of integer pixel values without sorting and without an
// allocation per call: the values are counted into at most 65536 coarse bins (kept per
// thread and reused), and a coarse bin wider than one value is resolved by a second pass
// that counts only the values falling into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantory::analysis::detail {

constexpr std::uint64_t kCoarseBins = 65536;

// Scratch bins of the calling thread (two sets: coarse and fine).
std::vector<std::uint32_t>& coarseScratch();
std::vector<std::uint32_t>& fineScratch();

// Fills out[i] with the value of rank ranks[i] (0-based, in ascending order of the values)
// among the values that visit(fn) passes to fn, all of which lie in [lo, hi]. ranks must
// be ascending and below the number of values.
template <typename Visit>
void valuesAtRanks(const Visit& visit, std::uint32_t lo, std::uint32_t hi,
                   const std::uint64_t* ranks, std::size_t rankCount, std::uint32_t* out) {
    const std::uint64_t span = std::uint64_t{hi} - lo;
    unsigned shift = 0;
    while ((span >> shift) >= kCoarseBins) ++shift;
    std::vector<std::uint32_t>& coarse = coarseScratch();
    coarse.assign(static_cast<std::size_t>(span >> shift) + 1, 0);
    visit([&](std::uint32_t v) { ++coarse[(v - lo) >> shift]; });

    std::uint64_t before = 0;  // values in the bins already passed
    std::size_t bin = 0;
    for (std::size_t r = 0; r < rankCount; ++r) {
        while (before + coarse[bin] <= ranks[r]) before += coarse[bin++];
        const std::uint32_t binLow = lo + static_cast<std::uint32_t>(bin << shift);
        if (shift == 0) {
            out[r] = binLow;
            continue;
        }
        // Resolve within the coarse bin.
        std::vector<std::uint32_t>& fine = fineScratch();
        fine.assign(std::size_t{1} << shift, 0);
        const std::uint64_t binLast = std::uint64_t{binLow} + (std::uint64_t{1} << shift) - 1;
        visit([&](std::uint32_t v) {
            if (v >= binLow && v <= binLast) ++fine[v - binLow];
        });
        std::uint64_t seen = before;
        std::size_t f = 0;
        while (seen + fine[f] <= ranks[r]) seen += fine[f++];
        out[r] = binLow + static_cast<std::uint32_t>(f);
    }
}

}  // namespace vantory::analysis::detail
