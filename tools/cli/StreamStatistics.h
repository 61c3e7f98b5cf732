// The arithmetic behind the stream report: order statistics of latencies, the median
// depth of the central points of a cloud, and lost-frame counting from frame numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantory_cli {

// Median of the values (mean of the two middle ones for an even count); empty when there
// are none. Takes the values by copy because it reorders them.
std::optional<double> median(std::vector<double> values);

// Nearest-rank percentile (p in 0..100): the smallest value with at least p % of the
// values at or below it; empty when there are none.
std::optional<double> percentile(std::vector<double> values, double p);

// Nearest-rank percentile (p in 0..100) of values counted in bins of binWidth starting at 0:
// the upper edge of the bin holding the rank (the last bin is open: its lower edge). Empty
// when nothing was counted.
std::optional<double> binnedPercentile(const std::vector<uint64_t>& counts, double binWidth,
                                       double p);

// Median z of the window x window points around the centre of an organised cloud
// (stride floats per point, z at index 2). Points whose z is not finite carry no
// measurement and are skipped; empty when none is left or the cloud is smaller than
// width x height points.
std::optional<double> centralMedianZ(const float* cloud, size_t pointCount, size_t stride,
                                     uint16_t width, uint16_t height, uint16_t window);

// Counts frames missing between consecutive frame numbers, which wrap at 65536.
// A repeated number counts nothing. A frame a little behind the newest is a late one
// (reassembly finished it after a newer frame): it counts nothing and is otherwise
// ignored, though its number was already counted missing. Any other jump of half the
// range or more is a restart of the camera's numbering and counts nothing.
class FrameGapCounter {
public:
    // Returns how many frames went missing just before this one.
    uint32_t observe(uint32_t frameNumber);
    uint64_t totalMissing() const { return totalMissing_; }
    void reset();

private:
    bool havePrevious_ = false;
    uint32_t previous_ = 0;
    uint64_t totalMissing_ = 0;
};

}  // namespace vantory_cli
