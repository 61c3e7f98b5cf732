// Median of the measured pixels in the 3 x 3 or 5 x 5 window round each measured pixel.
// Pixels without a measurement neither take part nor receive a value, so holes stay
// holes. With an even number of measured neighbours the lower middle value is taken, so
// the result is always a depth that was measured.
#pragma once

#include <cstdint>
#include <vector>

#include "FrameView.h"

namespace Movoda::sdkfilter {

class MedianFilter {
public:
    // 3 or 5; anything else switches the filter off.
    void setKernel(int size) { kernel_ = (size == 3 || size == 5) ? size : 0; }
    int kernel() const { return kernel_; }
    void apply(FrameView& view);

private:
    // A copy of the depths with a border, in which unmeasured pixels sort last.
    template <typename T>
    struct Padded {
        std::vector<T> values;
        int stride = 0, width = 0, height = 0, border = 0;
        void fill(const FrameView& view, int border, int lanes);
    };

    int kernel_ = 0;
    // Depths below 65535 mm (every camera without distance scaling) are sorted in 16-bit
    // lanes, twice as many at a time; larger ones in 32-bit lanes.
    Padded<uint16_t> narrow_;
    Padded<int32_t> wide_;
};

}  // namespace Movoda::sdkfilter
