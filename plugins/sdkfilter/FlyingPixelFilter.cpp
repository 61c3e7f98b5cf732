#include "FlyingPixelFilter.h"

#include <algorithm>

#include "LaneVector.h"
#include "SdkFilterConstants.h"

namespace Movoda::sdkfilter {

namespace {

// Stands for a pixel without a measurement: further from every real depth than any
// threshold, yet far from overflowing a difference.
constexpr int32_t kUnmeasured = 1 << 28;

SDKFILTER_INLINE bool jumps(int32_t centre, int32_t neighbour, int32_t threshold) {
    const int32_t d = centre - neighbour;
    return (d > threshold) | (-d > threshold);
}

// Flags the flying pixels of one row; rows above and below are the padded rows around it.
SDKFILTER_HOT void flagRow(const int32_t* up, const int32_t* mid, const int32_t* down, int width,
                           int32_t threshold, uint8_t* flags) {
    for (int x = 0; x < width; ++x) {
        const int32_t c = mid[x + 1];
        const bool row = jumps(c, mid[x], threshold) & jumps(c, mid[x + 2], threshold);
        const bool column = jumps(c, up[x + 1], threshold) & jumps(c, down[x + 1], threshold);
        const bool diagonal = jumps(c, up[x], threshold) & jumps(c, down[x + 2], threshold);
        const bool anti = jumps(c, up[x + 2], threshold) & jumps(c, down[x], threshold);
        flags[x] = static_cast<uint8_t>((c != kUnmeasured) & (row | column | diagonal | anti));
    }
}

}  // namespace

size_t FlyingPixelFilter::apply(FrameView& view) {
    if (view.empty() || threshold_ == 0) return 0;
    const int w = view.width, h = view.height;
    const size_t stride = static_cast<size_t>(w) + 2;
    padded_.resize(stride * (static_cast<size_t>(h) + 2));
    flags_.resize(static_cast<size_t>(w));

    for (int y = 0; y < h; ++y) {
        const uint32_t* in = view.distance + static_cast<size_t>(y) * w;
        int32_t* out = padded_.data() + (static_cast<size_t>(y) + 1) * stride;
        for (int x = 0; x < w; ++x) {
            out[x + 1] = isMeasured(in[x]) ? static_cast<int32_t>(in[x]) : kUnmeasured;
        }
        // Beyond the border a pixel meets itself, which is never a jump.
        out[0] = out[1];
        out[w + 1] = out[w];
    }
    std::copy_n(padded_.data() + stride, stride, padded_.data());
    std::copy_n(padded_.data() + static_cast<size_t>(h) * stride, stride,
                padded_.data() + (static_cast<size_t>(h) + 1) * stride);

    const int32_t threshold = static_cast<int32_t>(threshold_);
    size_t removed = 0;
    for (int y = 0; y < h; ++y) {
        const int32_t* mid = padded_.data() + (static_cast<size_t>(y) + 1) * stride;
        flagRow(mid - stride, mid, mid + stride, w, threshold, flags_.data());
        for (int x = 0; x < w; ++x) {
            if (flags_[x] == 0) continue;
            removePixel(view, static_cast<size_t>(y) * w + x, kRemovedFlyingPixel,
                        kMarkFlyingPixel);
            ++removed;
        }
    }
    return removed;
}

}  // namespace Movoda::sdkfilter
