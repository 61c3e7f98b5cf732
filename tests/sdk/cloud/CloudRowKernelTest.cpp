// Every path of the plain cloud row gives the scalar loop's bits, for distances around
// the invalid codes, every tail length, both axis flips, with and without intensity and
// with streaming and ordinary stores; and none writes past the row.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "cloud/CloudRowKernel.h"

namespace {

namespace ck = Movoda::cloud_kernel;

constexpr size_t kGuardPoints = 3;

std::vector<float> runPath(ck::Path path, const std::vector<uint32_t>& dist,
                           const ck::RowRays& rays, const ck::RowSetup& setup, size_t shift,
                           bool streaming) {
    // `shift` floats in front move the row off the 16-byte boundary.
    std::vector<float> out(shift + 4 * (dist.size() + kGuardPoints), -7.0f);
    ck::pointsRow(path, dist.data(), rays, setup, dist.size(), out.data() + shift, streaming);
    ck::finishRows();
    return out;
}

TEST(CloudRowKernelTest, EveryPathMatchesTheScalarLoop) {
    std::mt19937 rng(7787);
    std::uniform_int_distribution<uint32_t> anyDistance(0, 70000);
    std::uniform_real_distribution<float> ray(-1.5f, 1.5f);
    const uint32_t codes[] = {0,
                              1,
                              Movoda::kDistanceInvalidFrom - 1,
                              Movoda::kDistanceInvalidFrom,
                              Movoda::kDistanceBelowAmplitudeFloor,
                              Movoda::kDistanceAboveReflectivityLimit,
                              963999};
    std::vector<ck::Path> paths = {ck::Path::Sse2};
    if (Movoda::cpu::haveAvx2()) paths.push_back(ck::Path::Avx2);

    for (size_t w : {1, 3, 4, 7, 8, 9, 17, 160, 320}) {
        std::vector<uint32_t> dist(w);
        std::vector<float> rx(w), ry(w), rz(w), intensity(w);
        for (size_t k = 0; k < w; ++k) {
            dist[k] = k % 3 == 0 ? codes[(k / 3) % std::size(codes)] : anyDistance(rng);
            rx[k] = ray(rng);
            ry[k] = ray(rng);
            rz[k] = 0.5f + ray(rng) / 4;
            intensity[k] = ray(rng) * 100;
        }
        const ck::RowRays rays{rx.data(), ry.data(), rz.data()};
        for (const float flip : {1.0f, -1.0f}) {
            for (const float* withIntensity : {intensity.data(), static_cast<float*>(nullptr)}) {
                const ck::RowSetup setup{flip, -flip, withIntensity};
                for (size_t shift : {0, 1}) {
                    for (bool streaming : {true, false}) {
                        const std::vector<float> expected =
                            runPath(ck::Path::Scalar, dist, rays, setup, shift, streaming);
                        for (ck::Path path : paths) {
                            SCOPED_TRACE(testing::Message()
                                         << "width " << w << " path " << int(path) << " flip "
                                         << flip << " intensity " << (withIntensity != nullptr)
                                         << " shift " << shift << " streaming " << streaming);
                            const std::vector<float> got =
                                runPath(path, dist, rays, setup, shift, streaming);
                            // Bytes, so that NaNs compare too; the guard points stay -7.
                            EXPECT_EQ(std::memcmp(got.data(), expected.data(),
                                                  got.size() * sizeof(float)),
                                      0);
                            EXPECT_EQ(got.back(), -7.0f);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
