// Reflectivity of a frame with one integration time and one frequency, the common case:
//   r = scaledAmplitude * coef * d^2   (in double, as the per-pixel HDR path computes it)
// Invalid pixels (raw amplitude, raw or zero distance) get reflectivity 0 and integration
// time 0; valid pixels with r above the limit get the above-limit distance code. The
// final distance goes to both the distance and the raw distance plane.
// On x86-64 four or eight pixels per step with SSE2 or AVX2; the arithmetic is the scalar one, lane by
// lane, so both give the same bits.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// With GCC or Clang on x86-64 an AVX2 variant (eight pixels per step) is chosen at run time
// when the processor has it. FMA stays off, so every product is rounded as in the scalar
// loop.
#include "frame/CpuFeatures.h"
#if defined(MOVODA_HAVE_AVX2_KERNELS)
#include <immintrin.h>
#endif

#include "mvsdk/IFrame.h"

namespace Movoda::reflectivity {

constexpr double kAmplitudeFactor = 200.0;

struct KernelInput {
    size_t n;
    // Amplitude scaling: floor(a * 200 / t) through the reciprocal 1 / t and the guard of
    // AmplitudeScaler, or a itself.
    bool scaleByTime;
    double inverseTime;
    double guard;
    double coef;
    uint16_t time;
    double limit;  // HUGE_VAL when off
};

struct KernelPlanes {
    const uint16_t* amp;
    uint32_t* dist;
    float* refl;
    uint16_t* itime;
    uint32_t* raw;
};

namespace detail {

inline double scaledAmplitude(const KernelInput& in, uint32_t a) {
    if (!in.scaleByTime) return static_cast<double>(a);
    const double q = static_cast<double>(a) * kAmplitudeFactor * in.inverseTime + in.guard;
    return static_cast<double>(static_cast<int32_t>(q));
}

inline void scalarPixels(const KernelInput& in, const KernelPlanes& p, size_t from) {
    for (size_t i = from; i < in.n; ++i) {
        const uint32_t a = p.amp[i];
        const uint32_t d = p.dist[i];
        const bool valid = a < kRawCodeFrom && d - 1u < kDistanceInvalidFrom - 1u;
        const double dd = static_cast<double>(d);
        const double r = scaledAmplitude(in, a) * in.coef * (dd * dd);
        const uint32_t out = valid && r > in.limit ? kDistanceAboveReflectivityLimit : d;
        p.refl[i] = valid ? static_cast<float>(r) : 0.0f;
        p.itime[i] = valid ? in.time : uint16_t{0};
        p.dist[i] = out;
        p.raw[i] = out;
    }
}

#if defined(__SSE2__)
// Two pixels (as doubles) to reflectivity.
inline __m128d reflectivityPair(const KernelInput& in, __m128i a, __m128i d) {
    __m128d scaled = _mm_cvtepi32_pd(a);
    if (in.scaleByTime) {
        const __m128d q = _mm_add_pd(
            _mm_mul_pd(_mm_mul_pd(scaled, _mm_set1_pd(kAmplitudeFactor)), _mm_set1_pd(in.inverseTime)),
            _mm_set1_pd(in.guard));
        scaled = _mm_cvtepi32_pd(_mm_cvttpd_epi32(q));
    }
    const __m128d dd = _mm_cvtepi32_pd(d);
    return _mm_mul_pd(_mm_mul_pd(scaled, _mm_set1_pd(in.coef)), _mm_mul_pd(dd, dd));
}

// Returns the first pixel left for the scalar loop.
inline size_t vectorPixels(const KernelInput& in, const KernelPlanes& p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i rawAmplitude = _mm_set1_epi32(static_cast<int>(kRawCodeFrom));
    const __m128i invalidDistance = _mm_set1_epi32(static_cast<int>(kDistanceInvalidFrom));
    const __m128i aboveCode = _mm_set1_epi32(static_cast<int>(kDistanceAboveReflectivityLimit));
    const __m128i time = _mm_set1_epi16(static_cast<short>(in.time));
    const __m128d limit = _mm_set1_pd(in.limit);
    size_t i = 0;
    for (; i + 4 <= in.n; i += 4) {
        const __m128i a =
            _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p.amp + i)), zero);
        // Distances stay below 2^31 (16-bit samples times a one-byte scale, or codes), so
        // signed compares and conversions are exact.
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p.dist + i));
        const __m128i valid =
            _mm_and_si128(_mm_cmpgt_epi32(rawAmplitude, a),
                          _mm_and_si128(_mm_cmpgt_epi32(d, zero), _mm_cmpgt_epi32(invalidDistance, d)));
        const __m128d r0 = reflectivityPair(in, a, d);
        const __m128d r1 = reflectivityPair(in, _mm_srli_si128(a, 8), _mm_srli_si128(d, 8));
        const __m128 above2 = _mm_shuffle_ps(_mm_castpd_ps(_mm_cmpgt_pd(r0, limit)),
                                             _mm_castpd_ps(_mm_cmpgt_pd(r1, limit)),
                                             _MM_SHUFFLE(2, 0, 2, 0));
        const __m128i above = _mm_and_si128(_mm_castps_si128(above2), valid);
        const __m128 r = _mm_movelh_ps(_mm_cvtpd_ps(r0), _mm_cvtpd_ps(r1));
        _mm_storeu_ps(p.refl + i, _mm_and_ps(r, _mm_castsi128_ps(valid)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p.itime + i),
                         _mm_and_si128(_mm_packs_epi32(valid, valid), time));
        const __m128i out = _mm_or_si128(_mm_and_si128(above, aboveCode), _mm_andnot_si128(above, d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.dist + i), out);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.raw + i), out);
    }
    return i;
}
#endif

#if defined(MOVODA_HAVE_AVX2_KERNELS)
template <bool ScaleByTime>
__attribute__((target("avx2"))) inline __m256d reflectivityQuad(const KernelInput& in, __m128i a,
                                                                __m128i d) {
    __m256d scaled = _mm256_cvtepi32_pd(a);
    if (ScaleByTime) {
        const __m256d q = _mm256_add_pd(
            _mm256_mul_pd(_mm256_mul_pd(scaled, _mm256_set1_pd(kAmplitudeFactor)),
                          _mm256_set1_pd(in.inverseTime)),
            _mm256_set1_pd(in.guard));
        scaled = _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(q));
    }
    const __m256d dd = _mm256_cvtepi32_pd(d);
    return _mm256_mul_pd(_mm256_mul_pd(scaled, _mm256_set1_pd(in.coef)), _mm256_mul_pd(dd, dd));
}

// Four 64-bit compare masks to four 32-bit ones.
__attribute__((target("avx2"))) inline __m128i narrowMask(__m256d mask) {
    const __m256i even = _mm256_permutevar8x32_epi32(_mm256_castpd_si256(mask),
                                                     _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6));
    return _mm256_castsi256_si128(even);
}

// The results of eight pixels, in pixel order.
struct Block8 {
    __m256 refl;
    __m128i itime;
    __m256i dist;  // for both the distance and the raw distance plane
};

// Eight pixels: amplitudes and distances as 32-bit lanes. ScaleByTime and LimitOn must
// match `in` (the choices are made once per frame, not per pixel).
template <bool ScaleByTime, bool LimitOn>
__attribute__((target("avx2"))) inline Block8 block8(const KernelInput& in, __m256i a, __m256i d) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i rawAmplitude = _mm256_set1_epi32(static_cast<int>(kRawCodeFrom));
    const __m256i invalidDistance = _mm256_set1_epi32(static_cast<int>(kDistanceInvalidFrom));
    // Distances stay below 2^31 (16-bit samples times a one-byte scale, or codes), so
    // signed compares and conversions are exact.
    const __m256i valid = _mm256_and_si256(
        _mm256_cmpgt_epi32(rawAmplitude, a),
        _mm256_and_si256(_mm256_cmpgt_epi32(d, zero), _mm256_cmpgt_epi32(invalidDistance, d)));
    const __m256d r0 =
        reflectivityQuad<ScaleByTime>(in, _mm256_castsi256_si128(a), _mm256_castsi256_si128(d));
    const __m256d r1 = reflectivityQuad<ScaleByTime>(in, _mm256_extracti128_si256(a, 1),
                                                     _mm256_extracti128_si256(d, 1));
    const __m256 r =
        _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(r0)), _mm256_cvtpd_ps(r1), 1);
    const __m128i valid16 =
        _mm_packs_epi32(_mm256_castsi256_si128(valid), _mm256_extracti128_si256(valid, 1));
    Block8 out;
    out.refl = _mm256_and_ps(r, _mm256_castsi256_ps(valid));
    out.itime = _mm_and_si128(valid16, _mm_set1_epi16(static_cast<short>(in.time)));
    out.dist = d;
    if (LimitOn) {
        // Without a limit no (finite) reflectivity is above it.
        const __m256d limit = _mm256_set1_pd(in.limit);
        const __m256i aboveCode =
            _mm256_set1_epi32(static_cast<int>(kDistanceAboveReflectivityLimit));
        const __m256i above2 = _mm256_inserti128_si256(
            _mm256_castsi128_si256(narrowMask(_mm256_cmp_pd(r0, limit, _CMP_GT_OQ))),
            narrowMask(_mm256_cmp_pd(r1, limit, _CMP_GT_OQ)), 1);
        out.dist = _mm256_blendv_epi8(d, aboveCode, _mm256_and_si256(above2, valid));
    }
    return out;
}

template <bool ScaleByTime, bool LimitOn>
__attribute__((target("avx2"))) inline size_t vectorPixelsAvx2(const KernelInput& in,
                                                               const KernelPlanes& p) {
    size_t i = 0;
    for (; i + 8 <= in.n; i += 8) {
        const __m256i a =
            _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p.amp + i)));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.dist + i));
        const Block8 b = block8<ScaleByTime, LimitOn>(in, a, d);
        _mm256_storeu_ps(p.refl + i, b.refl);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.itime + i), b.itime);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p.dist + i), b.dist);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p.raw + i), b.dist);
    }
    return i;
}

inline size_t vectorPixelsAvx2(const KernelInput& in, const KernelPlanes& p) {
    const bool limitOn = in.limit != HUGE_VAL;
    if (in.scaleByTime) {
        return limitOn ? vectorPixelsAvx2<true, true>(in, p) : vectorPixelsAvx2<true, false>(in, p);
    }
    return limitOn ? vectorPixelsAvx2<false, true>(in, p) : vectorPixelsAvx2<false, false>(in, p);
}
#endif

}  // namespace detail

inline void singleTimeKernel(const KernelInput& in, const KernelPlanes& p) {
    size_t from = 0;
#if defined(MOVODA_HAVE_AVX2_KERNELS)
    if (cpu::haveAvx2()) {
        from = detail::vectorPixelsAvx2(in, p);
        detail::scalarPixels(in, p, from);
        return;
    }
#endif
#if defined(__SSE2__)
    from = detail::vectorPixels(in, p);
#endif
    detail::scalarPixels(in, p, from);
}

}  // namespace Movoda::reflectivity
