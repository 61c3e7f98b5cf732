// The fused decode + reflectivity row kernel must give, bit for bit, what the plain loops
// give, for random and boundary samples, every tail length, mirrored or not, with and
// without amplitude scaling and reflectivity limit, on aligned and unaligned planes; and
// it must not write past the row.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "frame/CpuFeatures.h"
#include "frame/FusedRowKernel.h"

namespace {

using Movoda::fused_row::Path;
using Movoda::fused_row::RowPlanes;

constexpr uint16_t kBoundary[] = {0,     1,     2,     999,   1000,  32767, 32768,
                                  63998, 63999, 64000, 64001, 64002, 65534, 65535};
constexpr size_t kGuard = 9;  // entries past the row that must stay untouched
constexpr uint8_t kFill = 0xA5;

struct Planes {
    explicit Planes(size_t w, size_t shift)
        : dist(w + shift + kGuard),
          amp(w + shift + kGuard),
          refl(w + shift + kGuard),
          itime(w + shift + kGuard),
          raw(w + shift + kGuard),
          shift(shift) {
        for (auto* bytes : {static_cast<void*>(dist.data()), static_cast<void*>(raw.data())})
            std::memset(bytes, kFill, dist.size() * sizeof(uint32_t));
        std::memset(amp.data(), kFill, amp.size() * sizeof(uint16_t));
        std::memset(itime.data(), kFill, itime.size() * sizeof(uint16_t));
        std::memset(refl.data(), kFill, refl.size() * sizeof(float));
    }
    RowPlanes row() {
        return {dist.data() + shift, amp.data() + shift, refl.data() + shift, itime.data() + shift,
                raw.data() + shift};
    }
    std::vector<uint32_t> dist;
    std::vector<uint16_t> amp;
    std::vector<float> refl;
    std::vector<uint16_t> itime;
    std::vector<uint32_t> raw;
    size_t shift;
};

bool sameBytes(const Planes& a, const Planes& b) {
    return a.dist == b.dist && a.amp == b.amp && a.itime == b.itime && a.raw == b.raw &&
           std::memcmp(a.refl.data(), b.refl.data(), a.refl.size() * sizeof(float)) == 0;
}

std::vector<uint8_t> randomRow(size_t w, std::mt19937& rng) {
    std::vector<uint8_t> row(4 * w);
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> any(0, 65535);
    std::uniform_int_distribution<int> boundary(0, std::size(kBoundary) - 1);
    for (size_t k = 0; k < 2 * w; ++k) {
        // Half the samples at a code boundary, the rest anywhere.
        const uint16_t v =
            pick(rng) < 2 ? kBoundary[boundary(rng)] : static_cast<uint16_t>(any(rng));
        row[2 * k] = static_cast<uint8_t>(v);
        row[2 * k + 1] = static_cast<uint8_t>(v >> 8);
    }
    return row;
}

struct Setting {
    bool scaleByTime;
    uint16_t time;
    double limit;
    uint32_t scale;
};

TEST(FusedRowKernelTest, Avx2MatchesTheScalarLoopsBitForBit) {
    if (!Movoda::cpu::haveAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
    const Setting settings[] = {{true, 1000, HUGE_VAL, 1},
                                {true, 37, 0.8, 2},
                                {false, 0, HUGE_VAL, 255},
                                {false, 0, 1e-3, 3},
                                {true, 65535, 5.0, 4}};
    std::mt19937 rng(26);
    for (const Setting& setting : settings) {
        Movoda::reflectivity::KernelInput in{};
        in.scaleByTime = setting.scaleByTime;
        in.inverseTime = setting.time != 0 ? 1.0 / setting.time : 0.0;
        in.guard = 1e-6;
        in.coef = 0.7 * 1e-6;
        in.time = setting.time;
        in.limit = setting.limit;
        const Movoda::plane_decode::DistanceCode code(setting.scale);
        for (size_t w : {1, 7, 8, 9, 15, 16, 17, 80, 160, 319, 320}) {
            for (bool mirror : {false, true}) {
                for (size_t shift : {0, 1}) {  // 1: planes off the 16-byte boundary
                    SCOPED_TRACE(testing::Message()
                                 << "width " << w << " mirror " << mirror << " shift " << shift
                                 << " scale " << setting.scale << " limit " << setting.limit);
                    const std::vector<uint8_t> src = randomRow(w, rng);
                    Planes scalar(w, shift);
                    Planes avx2(w, shift);
                    Movoda::fused_row::decodeRow(Path::Scalar, src.data(), w, mirror, code, in,
                                                 scalar.row());
                    Movoda::fused_row::decodeRow(Path::Avx2, src.data(), w, mirror, code, in,
                                                 avx2.row());
                    Movoda::fused_row::finishRows();
                    EXPECT_TRUE(sameBytes(scalar, avx2));
                    // Nothing before or after the row was written.
                    for (size_t k = 0; k < shift; ++k) EXPECT_EQ(avx2.dist[k], 0xA5A5A5A5u);
                    for (size_t k = shift + w; k < avx2.dist.size(); ++k) {
                        EXPECT_EQ(avx2.dist[k], 0xA5A5A5A5u);
                        EXPECT_EQ(avx2.raw[k], 0xA5A5A5A5u);
                        EXPECT_EQ(avx2.amp[k], 0xA5A5u);
                        EXPECT_EQ(avx2.itime[k], 0xA5A5u);
                    }
                }
            }
        }
    }
}

}  // namespace
