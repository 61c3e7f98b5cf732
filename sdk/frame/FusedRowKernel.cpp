#include "frame/FusedRowKernel.h"

#include "frame/CpuFeatures.h"

#include <cmath>

#if defined(MOVODA_HAVE_AVX2_KERNELS)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Movoda::fused_row {

namespace {

namespace pd = plane_decode;

// Pixels [from, w) of the row: decoding, then the reflectivity of those pixels.
void scalarPixels(const uint8_t* src, size_t from, size_t w, bool mirror, pd::DistanceCode code,
                  const reflectivity::KernelInput& in, const RowPlanes& out) {
    const size_t rest = w - from;
    // Stored pixel c comes from received pixel w - 1 - c when mirrored, so the rest of
    // the row starts at the first received pixel.
    const uint8_t* first = mirror ? src : src + 4 * from;
    pd::decodeRow<4>(first, rest, mirror, out.dist + from, code);
    pd::decodeRow<4>(first + 2, rest, mirror, out.amp + from, pd::Plain16());
    reflectivity::KernelInput row = in;
    row.n = w;
    reflectivity::detail::scalarPixels(row, {out.amp, out.dist, out.refl, out.itime, out.raw},
                                       from);
}

#if defined(MOVODA_HAVE_AVX2_KERNELS)

// Eight distance samples (low halves of the 32-bit lanes) to stored distances, as
// DistanceCode does it: the product fits 24 bits, formed from its 16-bit halves.
__attribute__((target("avx2"))) inline __m256i distanceCodes(__m256i v, __m256i factor) {
    const __m256i low = _mm256_mullo_epi16(v, factor);
    const __m256i high = _mm256_mulhi_epu16(v, factor);
    const __m256i measured = _mm256_or_si256(low, _mm256_slli_epi32(high, 16));
    const __m256i code =
        _mm256_add_epi32(v, _mm256_set1_epi32(static_cast<int>(kDistanceCodeOffset)));
    const __m256i raw =
        _mm256_cmpgt_epi32(v, _mm256_set1_epi32(static_cast<int>(kRawCodeFrom) - 1));
    return _mm256_blendv_epi8(measured, code, raw);
}

__attribute__((target("avx2"))) inline void storeHalves(uint32_t* to, __m256i v) {
    _mm_stream_si128(reinterpret_cast<__m128i*>(to), _mm256_castsi256_si128(v));
    _mm_stream_si128(reinterpret_cast<__m128i*>(to + 4), _mm256_extracti128_si256(v, 1));
}

// Returns the first pixel left for the scalar loop.
template <bool Streaming, bool ScaleByTime, bool LimitOn>
__attribute__((target("avx2"))) size_t avx2Pixels(const uint8_t* src, size_t w, bool mirror,
                                                  pd::DistanceCode code,
                                                  const reflectivity::KernelInput& in,
                                                  const RowPlanes& out) {
    const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    const __m256i lowMask = _mm256_set1_epi32(0xFFFF);
    const __m256i factor = _mm256_set1_epi32(static_cast<int>(code.factor));
    size_t done = 0;
    for (; done + 8 <= w; done += 8) {
        __m256i samples;
        if (mirror) {
            // Stored pixels done.. come from received pixels w - 1 - done downwards.
            samples = _mm256_permutevar8x32_epi32(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * (w - 8 - done))),
                reverse);
        } else {
            samples = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * done));
        }
        const __m256i a = _mm256_srli_epi32(samples, 16);
        const __m256i d = distanceCodes(_mm256_and_si256(samples, lowMask), factor);
        const reflectivity::detail::Block8 b =
            reflectivity::detail::block8<ScaleByTime, LimitOn>(in, a, d);
        // Unsigned saturation keeps every 16-bit amplitude as it is.
        const __m128i amp16 =
            _mm_packus_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out.amp + done), amp16);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out.dist + done), b.dist);
        _mm256_storeu_ps(out.refl + done, b.refl);
        if (Streaming) {
            storeHalves(out.raw + done, b.dist);
            _mm_stream_si128(reinterpret_cast<__m128i*>(out.itime + done), b.itime);
        } else {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out.raw + done), b.dist);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out.itime + done), b.itime);
        }
    }
    return done;
}

bool aligned16(const void* p) {
    return reinterpret_cast<uintptr_t>(p) % 16 == 0;
}

template <bool Streaming>
size_t avx2Pixels(const uint8_t* src, size_t w, bool mirror, pd::DistanceCode code,
                  const reflectivity::KernelInput& in, const RowPlanes& out) {
    const bool limitOn = in.limit != HUGE_VAL;
    if (in.scaleByTime) {
        return limitOn ? avx2Pixels<Streaming, true, true>(src, w, mirror, code, in, out)
                       : avx2Pixels<Streaming, true, false>(src, w, mirror, code, in, out);
    }
    return limitOn ? avx2Pixels<Streaming, false, true>(src, w, mirror, code, in, out)
                   : avx2Pixels<Streaming, false, false>(src, w, mirror, code, in, out);
}

#endif

}  // namespace

Path bestPath() {
    return cpu::haveAvx2() ? Path::Avx2 : Path::Scalar;
}

void decodeRow(Path path, const uint8_t* src, size_t w, bool mirror, pd::DistanceCode code,
               const reflectivity::KernelInput& in, const RowPlanes& out) {
    size_t done = 0;
#if defined(MOVODA_HAVE_AVX2_KERNELS)
    if (path == Path::Avx2 && cpu::haveAvx2()) {
        if (aligned16(out.raw) && aligned16(out.itime)) {
            done = avx2Pixels<true>(src, w, mirror, code, in, out);
        } else {
            done = avx2Pixels<false>(src, w, mirror, code, in, out);
        }
    }
#else
    (void)path;
#endif
    scalarPixels(src, done, w, mirror, code, in, out);
}

void finishRows() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

}  // namespace Movoda::fused_row
