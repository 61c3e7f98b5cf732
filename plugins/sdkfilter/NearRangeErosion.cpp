#include "NearRangeErosion.h"

#include <algorithm>

#include "LaneVector.h"
#include "SdkFilterConstants.h"

namespace Movoda::sdkfilter {

namespace {

// Farther than any radius.
constexpr uint8_t kNoGap = kMaxErosionRadius + 1;

// Distance in columns to the nearest unmeasured pixel of the row, capped at kNoGap.
void rowGaps(const uint32_t* row, int width, uint8_t* gap) {
    uint8_t run = kNoGap;
    for (int x = 0; x < width; ++x) {
        run = isMeasured(row[x]) ? static_cast<uint8_t>(std::min<int>(run + 1, kNoGap)) : 0;
        gap[x] = run;
    }
    run = kNoGap;
    for (int x = width - 1; x >= 0; --x) {
        run = isMeasured(row[x]) ? static_cast<uint8_t>(std::min<int>(run + 1, kNoGap)) : 0;
        gap[x] = std::min(gap[x], run);
    }
}

// Square-window distance to the nearest unmeasured pixel, from the row gaps of the rows
// within reach, for one row.
SDKFILTER_HOT void windowGaps(const uint8_t* gaps, int width, int height, int y, uint8_t* out) {
    for (int x = 0; x < width; ++x) out[x] = gaps[static_cast<size_t>(y) * width + x];
    for (int dy = 1; dy <= kMaxErosionRadius; ++dy) {
        for (int sign = -1; sign <= 1; sign += 2) {
            const int yy = y + sign * dy;
            if (yy < 0 || yy >= height) continue;
            const uint8_t* other = gaps + static_cast<size_t>(yy) * width;
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
    rowGap_.resize(view.pixels() + static_cast<size_t>(w));
    uint8_t* gaps = rowGap_.data();
    uint8_t* window = rowGap_.data() + view.pixels();
    for (int y = 0; y < h; ++y) {
        rowGaps(view.distance + static_cast<size_t>(y) * w, w, gaps + static_cast<size_t>(y) * w);
    }
    // Radius r holds for distances up to divisor * 1000 / r millimetres.
    uint32_t reach[kMaxErosionRadius + 1] = {};
    for (int r = 1; r <= kMaxErosionRadius; ++r) {
        reach[r] = static_cast<uint32_t>(divisor_ * 1000.0f / static_cast<float>(r));
    }
    size_t removed = 0;
    for (int y = 0; y < h; ++y) {
        windowGaps(gaps, w, h, y, window);
        uint32_t* row = view.distance + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const uint32_t d = row[x];
            if (window[x] > kMaxErosionRadius || !isMeasured(d) || d > reach[window[x]]) continue;
            removePixel(view, static_cast<size_t>(y) * w + x, kRemovedNearEdge, kMarkNearEdge);
            ++removed;
        }
    }
    return removed;
}

}  // namespace Movoda::sdkfilter
