// Eight-lane vectors (GCC vector extensions) for the per-pixel loops, and the attribute
// that builds a hot loop twice, for AVX2 and for the baseline processor, and lets the
// loader pick the one the machine runs.
#pragma once

#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define SDKFILTER_HOT __attribute__((target_clones("avx2", "default")))
#else
#define SDKFILTER_HOT
#endif

#define SDKFILTER_INLINE inline __attribute__((always_inline))

namespace Movoda::sdkfilter {

// 32 bytes: one AVX2 register, two SSE2 registers on the baseline.
using I32x8 = int32_t __attribute__((vector_size(32)));
using U16x16 = uint16_t __attribute__((vector_size(32)));

// Loads a vector from any address in one instruction (a byte copy through the stack would
// stall the store forwarding).
template <typename Vector, typename Element>
SDKFILTER_INLINE void load(Vector& v, const Element* p) {
    static_assert(sizeof(Vector) % sizeof(Element) == 0, "lanes of the element type");
    typedef Vector Unaligned __attribute__((aligned(1), may_alias));
    v = *reinterpret_cast<const Unaligned*>(p);
}

// Rounds up to a multiple of `lanes`.
constexpr int roundUp(int n, int lanes) {
    return (n + lanes - 1) / lanes * lanes;
}

}  // namespace Movoda::sdkfilter
