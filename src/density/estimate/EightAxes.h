#pragma once
// Eight records (x, y, z, time) turned into one register per axis, for the estimate's loops
// built for processors with AVX-512. Include it only where such code is built.

#include <immintrin.h>

namespace korvane::estimate {

// The x, y and z of eight records, lanes in the order 0 2 1 3 4 6 5 7.
struct EightAxes {
    __m512d x;
    __m512d y;
    __m512d z;
};

// The axes of the records held two by two in r01 (records 0 and 1), r23, r45 and r67.
__attribute__((target("avx512f"), always_inline)) inline EightAxes EightAxesOf(__m512d r01,
                                                                               __m512d r23,
                                                                               __m512d r45,
                                                                               __m512d r67) {
    // The masked forms, every lane on: the plain ones leave part of a register unset, which
    // the compiler warns of.
    constexpr __mmask8 All = 0xFF;
    // (x0 x2 | z0 z2 | x1 x3 | z1 z3) and (y0 y2 | t0 t2 | y1 y3 | t1 t3), likewise for 4 to 7.
    const __m512d xz0123 = _mm512_maskz_unpacklo_pd(All, r01, r23);
    const __m512d yt0123 = _mm512_maskz_unpackhi_pd(All, r01, r23);
    const __m512d xz4567 = _mm512_maskz_unpacklo_pd(All, r45, r67);
    const __m512d yt4567 = _mm512_maskz_unpackhi_pd(All, r45, r67);
    constexpr int Even = _MM_SHUFFLE(2, 0, 2, 0);
    constexpr int Odd = _MM_SHUFFLE(3, 1, 3, 1);
    return {_mm512_maskz_shuffle_f64x2(All, xz0123, xz4567, Even),
            _mm512_maskz_shuffle_f64x2(All, yt0123, yt4567, Even),
            _mm512_maskz_shuffle_f64x2(All, xz0123, xz4567, Odd)};
}

}  // namespace korvane::estimate
