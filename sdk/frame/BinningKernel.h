// SDK binning of the distance, amplitude and reflectivity planes, in place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "frame/FrameLayout.h"
#include "mvsdk/IFrame.h"

namespace Movoda::binning {

// sum / count with truncation for the averages of SDK binning. For blocks of up to
// kMaxTableCount pixels the quotient comes from a reciprocal table (on the stack: no
// allocation per frame): the quotients stay below 2^20, so the product's error is under
// 1e-9, far below the guard, and a non-zero remainder adds at least 1 / count, far above
// it. Larger blocks divide.
class BlockAverage {
public:
    static constexpr size_t kMaxTableCount = 64;

    explicit BlockAverage(size_t blockPixels) : tableSize_(0) {
        if (blockPixels <= kMaxTableCount) {
            tableSize_ = blockPixels + 1;
            inverse_[0] = 0.0;
            for (size_t c = 1; c < tableSize_; ++c) inverse_[c] = 1.0 / static_cast<double>(c);
        }
    }

    uint32_t operator()(uint64_t sum, uint32_t count) const {
        if (count < tableSize_) {
            return static_cast<uint32_t>(static_cast<double>(sum) * inverse_[count] + kGuard);
        }
        return static_cast<uint32_t>(sum / count);
    }

private:
    static constexpr double kGuard = 1e-6;
    std::array<double, kMaxTableCount + 1> inverse_;
    size_t tableSize_;
};

struct BinningPlanes {
    size_t sensorWidth;
    size_t width;   // binned
    size_t height;  // binned
    uint32_t* dist;
    uint16_t* amp;
    float* refl;
};

// Block sizes known at compile time (the common 2 x 2) let the compiler unroll the block.
template <size_t X, size_t Y>
struct BlockSize {
    static constexpr size_t x() { return X; }
    static constexpr size_t y() { return Y; }
};
struct RuntimeBlockSize {
    size_t bx, by;
    size_t x() const { return bx; }
    size_t y() const { return by; }
};

// Averages each block over its pixels with valid distance (distance and reflectivity) and
// with amplitude below the binning limit (amplitude); a block without any keeps its first
// pixel's value. Output index o never exceeds the first input index of its block, so the
// planes are binned in place. Sums and counts are formed without branches on the values.
template <typename Block>
void binPlanes(const BinningPlanes& p, Block block, const BlockAverage& average) {
    const size_t bx = block.x();
    const size_t by = block.y();
    size_t o = 0;
    for (size_t y = 0; y < p.height; ++y) {
        for (size_t x = 0; x < p.width; ++x, ++o) {
            const size_t first = y * by * p.sensorWidth + x * bx;
            uint64_t dSum = 0, aSum = 0;
            uint32_t dCount = 0, aCount = 0;
            float rSum = 0.0f;
            for (size_t yy = 0; yy < by; ++yy) {
                const size_t row = first + yy * p.sensorWidth;
                for (size_t xx = 0; xx < bx; ++xx) {
                    const size_t j = row + xx;
                    const uint32_t d = p.dist[j];
                    const bool dValid = d < kDistanceInvalidFrom;
                    dSum += dValid ? d : 0u;
                    rSum = dValid ? rSum + p.refl[j] : rSum;
                    dCount += dValid;
                    const uint16_t a = p.amp[j];
                    const bool aValid = a < frame_layout::kBinAmplitudeLimit;
                    aSum += aValid ? a : 0u;
                    aCount += aValid;
                }
            }
            const uint32_t d = dCount ? average(dSum, dCount) : p.dist[first];
            const float r = dCount ? rSum / static_cast<float>(dCount) : p.refl[first];
            const uint16_t a =
                aCount ? static_cast<uint16_t>(average(aSum, aCount)) : p.amp[first];
            p.dist[o] = d;
            p.refl[o] = r;
            p.amp[o] = a;
        }
    }
}

}  // namespace Movoda::binning
