#pragma once

// Qt's start-up (and some of the libraries it loads) can leave the upper
// halves of the CPU's AVX registers in use. Until they are cleared, every
// SSE instruction of this program and of the C library's maths pays a
// transition penalty: log10 and atan2 then take ten to twenty times as
// long. Clearing them changes no result; it only takes the penalty away.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace dravik {

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) inline void ZeroUpperVectorHalves() {
    _mm256_zeroupper();
}
inline void ClearUpperVectorState() {
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        ZeroUpperVectorHalves();
}
#else
inline void ClearUpperVectorState() {}
#endif

} // namespace dravik
