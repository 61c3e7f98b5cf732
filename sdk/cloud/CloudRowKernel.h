// The common row of the point cloud: contiguous pixels, no amplitude floor, no corner cut,
// (x, y, z) order. Per point: z = d * rayZ, x = rayX * z * flipX, y = rayY * z * flipY,
// NaN coordinates for invalid distances, and the intensity. On x86-64 four points per
// step with SSE2, or eight with AVX2 where the processor has it (same operations in the
// same order as the scalar loop, so the same bits), transposed to (x, y, z, intensity)
// and written with streaming stores when the output is 16-byte aligned: the cloud is
// consumed later by another thread, so filling the cache with it (and reading it in
// first) only costs time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/CpuFeatures.h"
#include "mvsdk/IFrame.h"

namespace Movoda::cloud_kernel {

struct RowRays {
    const float* x;
    const float* y;
    const float* z;
};

struct RowSetup {
    float flipX;
    float flipY;
    // Null: intensity NaN (frames without reflectivity).
    const float* intensity;
};

inline void scalarPoints(const uint32_t* dist, const RowRays& rays, const RowSetup& setup,
                         size_t from, size_t width, float* out) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    for (size_t x = from; x < width; ++x) {
        float* o = out + 4 * x;
        const uint32_t d = dist[x];
        const float z = static_cast<float>(d) * rays.z[x];
        const bool valid = d < kDistanceInvalidFrom;
        o[0] = valid ? rays.x[x] * z * setup.flipX : kNaN;
        o[1] = valid ? rays.y[x] * z * setup.flipY : kNaN;
        o[2] = valid ? z : kNaN;
        o[3] = setup.intensity != nullptr ? setup.intensity[x] : kNaN;
    }
}

enum class Path {
    Scalar,  // plain loop, the reference
    Sse2,
    Avx2,  // only where the processor has AVX2
};

// Points [0, returned) of the row with AVX2 (defined in CloudRowKernelAvx2.cpp); the
// caller finishes the row. Streaming needs `out` on a 16-byte boundary.
size_t avx2Points(const uint32_t* dist, const RowRays& rays, const RowSetup& setup, size_t width,
                  float* out, bool streaming);

#if defined(__SSE2__)
// Returns the first point left for the scalar loop.
template <bool Streaming>
inline size_t vectorPoints(const uint32_t* dist, const RowRays& rays, const RowSetup& setup,
                           size_t width, float* out) {
    const __m128 nan = _mm_set1_ps(std::numeric_limits<float>::quiet_NaN());
    const __m128 flipX = _mm_set1_ps(setup.flipX);
    const __m128 flipY = _mm_set1_ps(setup.flipY);
    // Distances below 2^31, so the signed compare and conversion are exact.
    const __m128i invalidFrom = _mm_set1_epi32(static_cast<int>(kDistanceInvalidFrom));
    size_t x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dist + x));
        const __m128 valid = _mm_castsi128_ps(_mm_cmpgt_epi32(invalidFrom, d));
        const __m128 z = _mm_mul_ps(_mm_cvtepi32_ps(d), _mm_loadu_ps(rays.z + x));
        const __m128 px = _mm_mul_ps(_mm_mul_ps(_mm_loadu_ps(rays.x + x), z), flipX);
        const __m128 py = _mm_mul_ps(_mm_mul_ps(_mm_loadu_ps(rays.y + x), z), flipY);
        __m128 c0 = _mm_or_ps(_mm_and_ps(valid, px), _mm_andnot_ps(valid, nan));
        __m128 c1 = _mm_or_ps(_mm_and_ps(valid, py), _mm_andnot_ps(valid, nan));
        __m128 c2 = _mm_or_ps(_mm_and_ps(valid, z), _mm_andnot_ps(valid, nan));
        __m128 c3 = setup.intensity != nullptr ? _mm_loadu_ps(setup.intensity + x) : nan;
        _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
        float* o = out + 4 * x;
        if (Streaming) {
            _mm_stream_ps(o, c0);
            _mm_stream_ps(o + 4, c1);
            _mm_stream_ps(o + 8, c2);
            _mm_stream_ps(o + 12, c3);
        } else {
            _mm_storeu_ps(o, c0);
            _mm_storeu_ps(o + 4, c1);
            _mm_storeu_ps(o + 8, c2);
            _mm_storeu_ps(o + 12, c3);
        }
    }
    return x;
}
#endif

// Points 0 .. width - 1 of one row through `path`; out receives 4 floats per point.
// Without `streaming` (for rows whose points are overwritten afterwards) the stores are
// ordinary ones.
inline void pointsRow(Path path, const uint32_t* dist, const RowRays& rays, const RowSetup& setup,
                      size_t width, float* out, bool streaming) {
    size_t from = 0;
    const bool stream = streaming && reinterpret_cast<uintptr_t>(out) % 16 == 0;
    if (path == Path::Avx2 && cpu::haveAvx2()) {
        from = avx2Points(dist, rays, setup, width, out, stream);
    }
#if defined(__SSE2__)
    else if (path != Path::Scalar) {
        from = stream ? vectorPoints<true>(dist, rays, setup, width, out)
                      : vectorPoints<false>(dist, rays, setup, width, out);
    }
#endif
    scalarPoints(dist, rays, setup, from, width, out);
}

inline Path bestPath() {
    if (cpu::haveAvx2()) return Path::Avx2;
#if defined(__SSE2__)
    return Path::Sse2;
#else
    return Path::Scalar;
#endif
}

inline void plainRow(const uint32_t* dist, const RowRays& rays, const RowSetup& setup, size_t width,
                     float* out, bool streaming) {
    pointsRow(bestPath(), dist, rays, setup, width, out, streaming);
}

// Streaming stores are weakly ordered: fence before the cloud is handed to other threads.
inline void finishRows() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

}  // namespace Movoda::cloud_kernel
