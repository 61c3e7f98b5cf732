// Row kernels of the plane decoder: 16-bit little-endian samples at a fixed byte stride,
// stored in received or reversed (mirrored) order. The scalar loops have no per-pixel
// choices; on x86-64 the distance + amplitude rows, the hot case, use SSE2 (8 pixels per
// step, x86 being little-endian like the wire format).
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/ByteReader.h"
#include "mvsdk/IFrame.h"

namespace Movoda::plane_decode {

// Distance as stored: raw codes move up by the code offset, measured values are multiplied
// by the block's distance scale (scales below 2 leave them as they are).
struct DistanceCode {
    explicit DistanceCode(uint32_t scale) : factor(scale >= 2 ? scale : 1) {}
    uint32_t operator()(uint16_t v) const {
        const uint32_t code = static_cast<uint32_t>(v) + kDistanceCodeOffset;
        const uint32_t measured = static_cast<uint32_t>(v) * factor;
        return v >= kRawCodeFrom ? code : measured;
    }
    uint32_t factor;  // at most 255: the scale is one byte
};

struct Plain16 {
    uint16_t operator()(uint16_t v) const { return v; }
};

// out[c] (or out[w - 1 - c] when mirrored) = convert(sample c), samples Stride bytes apart.
template <size_t Stride, typename Out, typename Convert>
inline void decodeRow(const uint8_t* src, size_t w, bool mirror, Out* out, Convert convert) {
    if (w == 0) return;
    if (mirror) {
        // Reading the samples backwards lets the stores run forwards.
        const uint8_t* last = src + Stride * (w - 1);
        for (size_t c = 0; c < w; ++c) out[c] = convert(bytes::le16(last - Stride * c));
    } else {
        for (size_t c = 0; c < w; ++c) out[c] = convert(bytes::le16(src + Stride * c));
    }
}

#if defined(__SSE2__)
namespace detail {

// Four distance samples (low halves of the 32-bit lanes) to stored distances.
inline __m128i distanceCodes(__m128i v, __m128i factor) {
    const __m128i low = _mm_mullo_epi16(v, factor);
    const __m128i high = _mm_mulhi_epu16(v, factor);
    const __m128i measured = _mm_or_si128(low, _mm_slli_epi32(high, 16));
    const __m128i code = _mm_add_epi32(v, _mm_set1_epi32(static_cast<int>(kDistanceCodeOffset)));
    const __m128i raw = _mm_cmpgt_epi32(v, _mm_set1_epi32(static_cast<int>(kRawCodeFrom) - 1));
    return _mm_or_si128(_mm_and_si128(raw, code), _mm_andnot_si128(raw, measured));
}

// Eight interleaved (distance, amplitude) pixels, given as two vectors of four in the
// order they are to be stored.
inline void storeDistanceAmplitude(__m128i first, __m128i second, __m128i factor,
                                   uint32_t* dist, uint16_t* amp) {
    const __m128i lowMask = _mm_set1_epi32(0xFFFF);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dist),
                     distanceCodes(_mm_and_si128(first, lowMask), factor));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dist + 4),
                     distanceCodes(_mm_and_si128(second, lowMask), factor));
    // Arithmetic shift then signed pack gives back the amplitude bits unchanged.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(amp),
                     _mm_packs_epi32(_mm_srai_epi32(first, 16), _mm_srai_epi32(second, 16)));
}

}  // namespace detail
#endif

// Interleaved distance + amplitude samples (4 bytes per pixel) into both planes.
inline void decodeDistanceAmplitudeRow(const uint8_t* src, size_t w, bool mirror,
                                       DistanceCode code, uint32_t* dist, uint16_t* amp) {
    size_t done = 0;
#if defined(__SSE2__)
    const __m128i factor = _mm_set1_epi32(static_cast<int>(code.factor));
    constexpr int kReverse = _MM_SHUFFLE(0, 1, 2, 3);
    for (; done + 8 <= w; done += 8) {
        if (mirror) {
            // Stored pixels done.. come from received pixels w - 1 - done downwards.
            const uint8_t* block = src + 4 * (w - 8 - done);
            const __m128i lowHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
            const __m128i highHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16));
            detail::storeDistanceAmplitude(_mm_shuffle_epi32(highHalf, kReverse),
                                           _mm_shuffle_epi32(lowHalf, kReverse), factor,
                                           dist + done, amp + done);
        } else {
            const uint8_t* block = src + 4 * done;
            detail::storeDistanceAmplitude(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(block)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16)), factor,
                dist + done, amp + done);
        }
    }
#endif
    // The rest of the row (all of it without SSE2).
    const size_t rest = w - done;
    if (mirror) {
        decodeRow<4>(src, rest, true, dist + done, code);
        decodeRow<4>(src + 2, rest, true, amp + done, Plain16());
    } else {
        decodeRow<4>(src + 4 * done, rest, false, dist + done, code);
        decodeRow<4>(src + 4 * done + 2, rest, false, amp + done, Plain16());
    }
}

// HDR indices, two pixels per byte (even pixel in the low nibble); `first` is the index of
// the row's first pixel within the whole plane, so rows of odd width start mid-byte.
inline void decodeHdrRow(const uint8_t* packed, size_t first, size_t w, bool mirror,
                         uint8_t* out) {
    if (first % 2 == 0 && w % 2 == 0) {
        // Whole bytes: one byte gives two neighbouring pixels.
        const uint8_t* bytesOfRow = packed + first / 2;
        for (size_t k = 0; k < w / 2; ++k) {
            const uint8_t b = bytesOfRow[k];
            const uint8_t even = static_cast<uint8_t>(b & 0x0F);
            const uint8_t odd = static_cast<uint8_t>(b >> 4);
            if (mirror) {
                out[w - 1 - 2 * k] = even;
                out[w - 2 - 2 * k] = odd;
            } else {
                out[2 * k] = even;
                out[2 * k + 1] = odd;
            }
        }
        return;
    }
    for (size_t c = 0; c < w; ++c) {
        const size_t i = first + (mirror ? w - 1 - c : c);
        out[c] = static_cast<uint8_t>((packed[i >> 1] >> ((i & 1) * 4)) & 0x0F);
    }
}

#if defined(__SSE2__)
namespace detail {
// Eight 16-bit lanes in reverse order.
inline __m128i reverse16(__m128i v) {
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2));
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(0, 1, 2, 3));
    return _mm_shufflehi_epi16(v, _MM_SHUFFLE(0, 1, 2, 3));
}
}  // namespace detail
#endif

// Contiguous 16-bit samples (grayscale) into a plane row.
inline void decodePlainRow(const uint8_t* src, size_t w, bool mirror, uint16_t* out) {
    size_t done = 0;
#if defined(__SSE2__)
    for (; done + 8 <= w; done += 8) {
        if (mirror) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * (w - 8 - done)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), detail::reverse16(v));
        } else {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * done));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), v);
        }
    }
#endif
    const size_t rest = w - done;
    decodeRow<2>(mirror ? src : src + 2 * done, rest, mirror, out + done, Plain16());
}

}  // namespace Movoda::plane_decode
