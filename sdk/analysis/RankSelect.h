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
// be ascending and below the number of values; at most four ranks are served.
template <typename Visit>
void valuesAtRanks(const Visit& visit, std::uint32_t lo, std::uint32_t hi,
                   const std::uint64_t* ranks, std::size_t rankCount, std::uint32_t* out) {
    const std::uint64_t span = std::uint64_t{hi} - lo;
    unsigned shift = 0;
    while ((span >> shift) >= kCoarseBins) ++shift;
    std::vector<std::uint32_t>& coarse = coarseScratch();
    coarse.assign(static_cast<std::size_t>(span >> shift) + 1, 0);
    visit([&](std::uint32_t v) { ++coarse[(v - lo) >> shift]; });

    // Coarse bin of every rank, and the values below that bin.
    constexpr std::size_t kMaxRanks = 4;
    std::size_t binOf[kMaxRanks];
    std::uint64_t beforeBin[kMaxRanks];
    std::uint64_t before = 0;  // values in the bins already passed
    std::size_t bin = 0;
    for (std::size_t r = 0; r < rankCount && r < kMaxRanks; ++r) {
        while (before + coarse[bin] <= ranks[r]) before += coarse[bin++];
        binOf[r] = bin;
        beforeBin[r] = before;
        out[r] = lo + static_cast<std::uint32_t>(bin << shift);
    }
    if (shift == 0) return;

    // Resolve within the coarse bins: one counting pass over the span from the first to
    // the last rank's bin when that span is narrow (the two middle ranks of a median sit
    // in the same or neighbouring bins), else one pass per rank.
    std::vector<std::uint32_t>& fine = fineScratch();
    std::size_t r = 0;
    while (r < rankCount && r < kMaxRanks) {
        std::size_t last = r;
        while (last + 1 < rankCount && last + 1 < kMaxRanks && binOf[last + 1] - binOf[r] < 2)
            ++last;
        const std::uint32_t spanLow = out[r];
        const std::uint64_t spanBins = (binOf[last] - binOf[r] + 1) << shift;
        const std::uint64_t spanLast = std::uint64_t{spanLow} + spanBins - 1;
        fine.assign(static_cast<std::size_t>(spanBins), 0);
        visit([&](std::uint32_t v) {
            if (v >= spanLow && v <= spanLast) ++fine[v - spanLow];
        });
        std::uint64_t seen = beforeBin[r];
        std::size_t f = 0;
        for (std::size_t k = r; k <= last; ++k) {
            while (seen + fine[f] <= ranks[k]) seen += fine[f++];
            out[k] = spanLow + static_cast<std::uint32_t>(f);
        }
        r = last + 1;
    }
}

}  // namespace vantory::analysis::detail
