#include "NearRangeErosion.h"

#include <algorithm>

#include "LaneVector.h"
#include "SdkFilterConstants.h"

namespace Movoda::sdkfilter {

namespace {

// Farther than any radius.
constexpr uint8_t kNoGap = kMaxErosionRadius + 1;

// Marks the gaps: unmeasured pixels with an unmeasured pixel left, right, above or below.
// `missing` has a border of one measured pixel round the image.
SDKFILTER_HOT void markGapRow(const uint8_t* up, const uint8_t* mid, const uint8_t* down, int width,
                              uint8_t* gap) {
    for (int x = 0; x < width; ++x) {
        const int c = x + 1;
        gap[x] = static_cast<uint8_t>(mid[c] & (mid[c - 1] | mid[c + 1] | up[c] | down[c]));
    }
}

// Distance in columns to the nearest gap of the row, capped at kNoGap.
void rowGaps(const uint8_t* gapRow, int width, uint8_t* distance) {
    uint8_t run = kNoGap;
    for (int x = 0; x < width; ++x) {
        run = gapRow[x] ? 0 : static_cast<uint8_t>(std::min<int>(run + 1, kNoGap));
        distance[x] = run;
    }
    run = kNoGap;
    for (int x = width - 1; x >= 0; --x) {
        run = gapRow[x] ? 0 : static_cast<uint8_t>(std::min<int>(run + 1, kNoGap));
        distance[x] = std::min(distance[x], run);
    }
}

// Square-window distance to the nearest gap for row y, from the row distances of the rows
// within reach.
SDKFILTER_HOT void windowGaps(const uint8_t* rows, int width, int height, int y, uint8_t* out) {
    for (int x = 0; x < width; ++x) out[x] = rows[static_cast<size_t>(y) * width + x];
    for (int dy = 1; dy <= kMaxErosionRadius; ++dy) {
        for (int sign = -1; sign <= 1; sign += 2) {
            const int yy = y + sign * dy;
            if (yy < 0 || yy >= height) continue;
            const uint8_t* other = rows + static_cast<size_t>(yy) * width;
            for (int x = 0; x < width; ++x) {
                out[x] = std::min(out[x], std::max(other[x], static_cast<uint8_t>(dy)));
            }
        }
    }
}

}  // namespace

size_t NearRangeErosion::apply(FrameView& view) {
    if (view.empty() || !(divisor_ > 0)) return 0;
    const int w = view.width, h = view.height;
    const size_t stride = static_cast<size_t>(w) + 2;
    missing_.assign(stride * (static_cast<size_t>(h) + 2), 0);
    gap_.resize(view.pixels());
    rowGap_.resize(view.pixels());
    window_.resize(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        const uint32_t* in = view.distance + static_cast<size_t>(y) * w;
        uint8_t* out = missing_.data() + (static_cast<size_t>(y) + 1) * stride + 1;
        for (int x = 0; x < w; ++x) out[x] = isMeasured(in[x]) ? 0 : 1;
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* mid = missing_.data() + (static_cast<size_t>(y) + 1) * stride;
        markGapRow(mid - stride, mid, mid + stride, w, gap_.data() + static_cast<size_t>(y) * w);
    }
    for (int y = 0; y < h; ++y) {
        const size_t row = static_cast<size_t>(y) * w;
        rowGaps(gap_.data() + row, w, rowGap_.data() + row);
    }
    // Radius r holds for distances up to divisor * 1000 / r millimetres.
    uint32_t reach[kMaxErosionRadius + 1] = {};
    for (int r = 1; r <= kMaxErosionRadius; ++r) {
        reach[r] = static_cast<uint32_t>(divisor_ * 1000.0f / static_cast<float>(r));
    }
    size_t removed = 0;
    for (int y = 0; y < h; ++y) {
        windowGaps(rowGap_.data(), w, h, y, window_.data());
        uint32_t* row = view.distance + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const uint32_t d = row[x];
            const uint8_t g = window_[x];
            if (g == 0 || g > kMaxErosionRadius || !isMeasured(d) || d > reach[g]) continue;
            removePixel(view, static_cast<size_t>(y) * w + x, kRemovedNearEdge, kMarkNearEdge);
            ++removed;
        }
    }
    return removed;
}

}  // namespace Movoda::sdkfilter
