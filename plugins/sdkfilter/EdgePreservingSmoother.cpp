#include "EdgePreservingSmoother.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "LaneVector.h"

namespace Movoda::sdkfilter {

namespace {

// Both recursive passes along the columns of a width x height image; every row step works
// on a whole row at once, so the columns run side by side.
SDKFILTER_HOT void columnPasses(float* image, int width, int height, float delta, float alpha) {
    const float keep = 1.0f - alpha;
    for (int y = 1; y < height; ++y) {
        const float* previous = image + static_cast<size_t>(y - 1) * width;
        float* row = image + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const float i = row[x], p = previous[x];
            // NaN (no measurement) on either side fails the comparison.
            row[x] = std::fabs(i - p) <= delta ? alpha * i + keep * p : i;
        }
    }
    for (int y = height - 2; y >= 0; --y) {
        const float* previous = image + static_cast<size_t>(y + 1) * width;
        float* row = image + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const float i = row[x], p = previous[x];
            row[x] = std::fabs(i - p) <= delta ? alpha * i + keep * p : i;
        }
    }
}

// Out = transpose of the width x height image In, in blocks that stay in the cache.
void transpose(const float* in, int width, int height, float* out) {
    constexpr int kBlock = 16;
    for (int y0 = 0; y0 < height; y0 += kBlock) {
        for (int x0 = 0; x0 < width; x0 += kBlock) {
            const int y1 = std::min(y0 + kBlock, height), x1 = std::min(x0 + kBlock, width);
            for (int y = y0; y < y1; ++y) {
                for (int x = x0; x < x1; ++x) {
                    out[static_cast<size_t>(x) * height + y] =
                        in[static_cast<size_t>(y) * width + x];
                }
            }
        }
    }
}

}  // namespace

void EdgePreservingSmoother::apply(FrameView& view) {
    if (view.empty() || settings_.iterations <= 0) return;
    const int w = view.width, h = view.height;
    const size_t n = view.pixels();
    image_.resize(n);
    transposed_.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t d = view.distance[i];
        image_[i] = isMeasured(d) ? static_cast<float>(d) : std::numeric_limits<float>::quiet_NaN();
    }
    for (int k = 0; k < settings_.iterations; ++k) {
        columnPasses(image_.data(), w, h, settings_.deltaMm, settings_.alpha);
        transpose(image_.data(), w, h, transposed_.data());
        columnPasses(transposed_.data(), h, w, settings_.deltaMm, settings_.alpha);
        transpose(transposed_.data(), h, w, image_.data());
    }
    for (size_t i = 0; i < n; ++i) {
        if (isMeasured(view.distance[i]))
            view.distance[i] = static_cast<uint32_t>(image_[i] + 0.5f);
    }
}

}  // namespace Movoda::sdkfilter
