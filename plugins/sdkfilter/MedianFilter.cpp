#include "MedianFilter.h"

#include <algorithm>
#include <limits>

#include "LaneVector.h"
#include "SelectionNetwork.h"

namespace Movoda::sdkfilter {

namespace {

// Sorts after every depth, so unmeasured pixels gather at the top of the window's order.
template <typename T>
constexpr T kUnmeasured = std::numeric_limits<T>::max();

// One row of medians, a vector of pixels at a time. `window` points at the padded pixel
// above and left of the row's first pixel by the kernel's half size.
template <int Kernel, typename Vector, typename T>
SDKFILTER_INLINE void medianRowKernel(const T* window, int stride, int width, uint32_t* row) {
    constexpr int kCount = Kernel * Kernel;
    constexpr int kLanesHere = sizeof(Vector) / sizeof(T);
    using Network = MedianNetwork<kCount>;
    const Vector unmeasured = Vector{} + kUnmeasured<T>;
    for (int x = 0; x < width; x += kLanesHere) {
        Vector v[kCount];
        Vector measured{};
#pragma GCC unroll 5
        for (int dy = 0; dy < Kernel; ++dy) {
#pragma GCC unroll 5
            for (int dx = 0; dx < Kernel; ++dx) {
                Vector& value = v[dy * Kernel + dx];
                load(value, window + dy * stride + x + dx);
                // A true comparison is all ones, so subtracting it counts one.
                measured -= (Vector)(value != unmeasured);
            }
        }
        const Vector centre = v[Kernel * Kernel / 2];
        Network::run(v);
        const Vector rank = (measured - T(1)) >> T(1);
        Vector median = v[0];
#pragma GCC unroll 12
        for (int r = 1; r <= Network::kHighestRank; ++r) {
            median = (Vector)(rank == T(r)) ? v[r] : median;
        }
        const int lanes = std::min(kLanesHere, width - x);
        for (int lane = 0; lane < lanes; ++lane) {
            const bool hole = centre[lane] == kUnmeasured<T>;
            row[x + lane] = hole ? row[x + lane] : static_cast<uint32_t>(median[lane]);
        }
    }
}

template <int Kernel, typename Vector, typename T>
SDKFILTER_INLINE void medianRows(const T* padded, int stride, int width, int height,
                                 uint32_t* out) {
    for (int y = 0; y < height; ++y) {
        medianRowKernel<Kernel, Vector>(padded + static_cast<size_t>(y) * stride, stride, width,
                                        out + static_cast<size_t>(y) * width);
    }
}

SDKFILTER_HOT void median3Narrow(const uint16_t* p, int stride, int w, int h, uint32_t* out) {
    medianRows<3, U16x16>(p, stride, w, h, out);
}
SDKFILTER_HOT void median5Narrow(const uint16_t* p, int stride, int w, int h, uint32_t* out) {
    medianRows<5, U16x16>(p, stride, w, h, out);
}
SDKFILTER_HOT void median3Wide(const int32_t* p, int stride, int w, int h, uint32_t* out) {
    medianRows<3, I32x8>(p, stride, w, h, out);
}
SDKFILTER_HOT void median5Wide(const int32_t* p, int stride, int w, int h, uint32_t* out) {
    medianRows<5, I32x8>(p, stride, w, h, out);
}

// True when every measured depth fits below the 16-bit unmeasured value.
SDKFILTER_HOT bool fitsNarrow(const uint32_t* distance, size_t n) {
    uint32_t largest = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t d = isMeasured(distance[i]) ? distance[i] : 0u;
        largest = d > largest ? d : largest;
    }
    return largest < kUnmeasured<uint16_t>;
}

}  // namespace

template <typename T>
void MedianFilter::Padded<T>::fill(const FrameView& view, int newBorder, int lanes) {
    // Room for whole vectors on the right; the border and that room stay unmeasured, so
    // they are only written when the shape changes.
    const int newStride = roundUp(view.width, lanes) + 2 * newBorder;
    if (newStride != stride || view.width != width || view.height != height ||
        newBorder != border) {
        values.assign(static_cast<size_t>(newStride) * (view.height + 2 * newBorder),
                      kUnmeasured<T>);
        stride = newStride;
        width = view.width;
        height = view.height;
        border = newBorder;
    }
    for (int y = 0; y < view.height; ++y) {
        const uint32_t* in = view.distance + static_cast<size_t>(y) * view.width;
        T* out = values.data() + static_cast<size_t>(y + border) * stride + border;
        for (int x = 0; x < view.width; ++x) {
            out[x] = isMeasured(in[x]) ? static_cast<T>(in[x]) : kUnmeasured<T>;
        }
    }
}

void MedianFilter::apply(FrameView& view) {
    if (view.empty() || kernel_ == 0) return;
    const int border = kernel_ / 2;
    const int w = view.width, h = view.height;
    if (fitsNarrow(view.distance, view.pixels())) {
        narrow_.fill(view, border, sizeof(U16x16) / sizeof(uint16_t));
        const auto run = kernel_ == 3 ? median3Narrow : median5Narrow;
        run(narrow_.values.data(), narrow_.stride, w, h, view.distance);
    } else {
        wide_.fill(view, border, sizeof(I32x8) / sizeof(int32_t));
        const auto run = kernel_ == 3 ? median3Wide : median5Wide;
        run(wide_.values.data(), wide_.stride, w, h, view.distance);
    }
}

}  // namespace Movoda::sdkfilter
