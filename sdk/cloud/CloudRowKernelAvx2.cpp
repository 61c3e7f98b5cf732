// Eight points per step of the plain cloud row, compiled for AVX2 and chosen at run time.
#include "cloud/CloudRowKernel.h"

#if defined(MOVODA_HAVE_AVX2_KERNELS)
#include <immintrin.h>
#endif

namespace Movoda::cloud_kernel {

#if defined(MOVODA_HAVE_AVX2_KERNELS)

namespace {

__attribute__((target("avx2"))) inline void store4(float* to, __m128 v, bool streaming) {
    if (streaming) {
        _mm_stream_ps(to, v);
    } else {
        _mm_storeu_ps(to, v);
    }
}

template <bool Streaming, bool WithIntensity>
__attribute__((target("avx2"))) size_t points(const uint32_t* dist, const RowRays& rays,
                                              const RowSetup& setup, size_t width, float* out) {
    const __m256 nan = _mm256_set1_ps(std::numeric_limits<float>::quiet_NaN());
    const __m256 flipX = _mm256_set1_ps(setup.flipX);
    const __m256 flipY = _mm256_set1_ps(setup.flipY);
    // Distances below 2^31, so the signed compare and conversion are exact.
    const __m256i invalidFrom = _mm256_set1_epi32(static_cast<int>(kDistanceInvalidFrom));
    size_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dist + x));
        const __m256 valid = _mm256_castsi256_ps(_mm256_cmpgt_epi32(invalidFrom, d));
        const __m256 z = _mm256_mul_ps(_mm256_cvtepi32_ps(d), _mm256_loadu_ps(rays.z + x));
        const __m256 px = _mm256_mul_ps(_mm256_mul_ps(_mm256_loadu_ps(rays.x + x), z), flipX);
        const __m256 py = _mm256_mul_ps(_mm256_mul_ps(_mm256_loadu_ps(rays.y + x), z), flipY);
        const __m256 c0 = _mm256_blendv_ps(nan, px, valid);
        const __m256 c1 = _mm256_blendv_ps(nan, py, valid);
        const __m256 c2 = _mm256_blendv_ps(nan, z, valid);
        const __m256 c3 = WithIntensity ? _mm256_loadu_ps(setup.intensity + x) : nan;
        // Per 128-bit half a 4 x 4 transpose: point k in the low half, k + 4 in the high.
        const __m256 xy01 = _mm256_unpacklo_ps(c0, c1);
        const __m256 xy23 = _mm256_unpackhi_ps(c0, c1);
        const __m256 zi01 = _mm256_unpacklo_ps(c2, c3);
        const __m256 zi23 = _mm256_unpackhi_ps(c2, c3);
        const __m256 p0 = _mm256_shuffle_ps(xy01, zi01, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 p1 = _mm256_shuffle_ps(xy01, zi01, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 p2 = _mm256_shuffle_ps(xy23, zi23, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 p3 = _mm256_shuffle_ps(xy23, zi23, _MM_SHUFFLE(3, 2, 3, 2));
        float* o = out + 4 * x;
        store4(o, _mm256_castps256_ps128(p0), Streaming);
        store4(o + 4, _mm256_castps256_ps128(p1), Streaming);
        store4(o + 8, _mm256_castps256_ps128(p2), Streaming);
        store4(o + 12, _mm256_castps256_ps128(p3), Streaming);
        store4(o + 16, _mm256_extractf128_ps(p0, 1), Streaming);
        store4(o + 20, _mm256_extractf128_ps(p1, 1), Streaming);
        store4(o + 24, _mm256_extractf128_ps(p2, 1), Streaming);
        store4(o + 28, _mm256_extractf128_ps(p3, 1), Streaming);
    }
    return x;
}

}  // namespace

size_t avx2Points(const uint32_t* dist, const RowRays& rays, const RowSetup& setup, size_t width,
                  float* out, bool streaming) {
    const bool intensity = setup.intensity != nullptr;
    if (streaming) {
        return intensity ? points<true, true>(dist, rays, setup, width, out)
                         : points<true, false>(dist, rays, setup, width, out);
    }
    return intensity ? points<false, true>(dist, rays, setup, width, out)
                     : points<false, false>(dist, rays, setup, width, out);
}

#else

size_t avx2Points(const uint32_t*, const RowRays&, const RowSetup&, size_t, float*, bool) {
    return 0;
}

#endif

}  // namespace Movoda::cloud_kernel
