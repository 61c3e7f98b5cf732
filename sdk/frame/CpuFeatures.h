// Instruction-set checks for kernels chosen at run time. The kernels carry target
// attributes, so the rest of the build stays baseline x86-64.
#pragma once

#if defined(__SSE2__) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define MOVODA_HAVE_AVX2_KERNELS 1
#endif

namespace Movoda::cpu {

inline bool haveAvx2() {
#if defined(MOVODA_HAVE_AVX2_KERNELS)
    static const bool has = __builtin_cpu_supports("avx2") != 0;
    return has;
#else
    return false;
#endif
}

}  // namespace Movoda::cpu
