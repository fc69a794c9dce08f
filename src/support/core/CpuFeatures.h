#pragma once

// Vector code for processors that have AVX2, chosen while running: the
// program is built for the x86-64 baseline, which lacks it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define MARROWLIGHT_AVX2 1

namespace marrowlight {

inline bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

} // namespace marrowlight
#endif
