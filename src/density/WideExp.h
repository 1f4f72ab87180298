#pragma once
// The exponential eight lanes at a time, for the loops built for processors with AVX-512 (the
// Gaussian factors of the fill, the exact sums of the estimate). Include it only where such code
// is built: every function here is compiled for AVX-512 and inlined into its caller.

#include <immintrin.h>

#include <array>
#include <bit>
#include <cstdint>

#define KORVANE_EIGHT_WIDE_INLINE __attribute__((target("avx512f,avx2,fma"), always_inline)) inline

namespace korvane {

// The masked forms, every lane on: the plain ones leave part of a register unset, which the
// compiler warns of.
inline constexpr __mmask8 AllEightLanes = 0xFF;

// Whether every lane lies where ExpEightWide holds: |x| < 512 (a tiny or zero x gives 1 + x).
// Elsewhere, and for a lane not a number, std::exp serves.
KORVANE_EIGHT_WIDE_INLINE bool ExpOnMainPathEightWide(__m512d x) {
    return _mm512_cmp_pd_mask(_mm512_abs_pd(x), _mm512_set1_pd(512.0), _CMP_LT_OQ) == AllEightLanes;
}

// exp(x) = 2^k exp(r), with x = k ln2 + r and |r| <= ln2 / 2, exp(r) by its Taylor polynomial of
// degree 12 (the first term left out is below 2^-52 of it), within two units in the last place:
// no table to gather, and the processor's scaling by 2^k, which also takes results below the
// normal range to their subnormal values or 0.
KORVANE_EIGHT_WIDE_INLINE __m512d ExpEightWide(__m512d x) {
    constexpr double Log2E = 1.4426950408889634;
    constexpr double Ln2Hi = std::bit_cast<double>(std::uint64_t{0x3fe62e42fee00000});
    constexpr double Ln2Lo = std::bit_cast<double>(std::uint64_t{0x3dea39ef35793c76});
    const __m512d k =
        _mm512_maskz_roundscale_pd(AllEightLanes, _mm512_mul_pd(x, _mm512_set1_pd(Log2E)),
                                   _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    __m512d r = _mm512_fnmadd_pd(k, _mm512_set1_pd(Ln2Hi), x);
    r = _mm512_fnmadd_pd(k, _mm512_set1_pd(Ln2Lo), r);
    constexpr std::array<double, 13> Inverse = [] {
        std::array<double, 13> inverse{};
        inverse[0] = 1.0;
        for (int n = 1; n < 13; ++n) {
            inverse[n] = inverse[n - 1] / n;
        }
        return inverse;
    }();
    const auto c = [&](int n) __attribute__((target("avx512f"))) {
        return _mm512_set1_pd(Inverse[static_cast<std::size_t>(n)]);
    };
    // 1 + r + r^2 P(r), P's eleven terms by Estrin's scheme (pairs of terms, then pairs of pairs,
    // with r^2, r^4 and r^8: a third of the dependent steps of Horner's), the leading two added
    // last so that P's roundings count only at its small share.
    const __m512d r2 = _mm512_mul_pd(r, r);
    const __m512d r4 = _mm512_mul_pd(r2, r2);
    const __m512d r8 = _mm512_mul_pd(r4, r4);
    const __m512d q0 = _mm512_fmadd_pd(c(3), r, c(2));
    const __m512d q1 = _mm512_fmadd_pd(c(5), r, c(4));
    const __m512d q2 = _mm512_fmadd_pd(c(7), r, c(6));
    const __m512d q3 = _mm512_fmadd_pd(c(9), r, c(8));
    const __m512d q4 = _mm512_fmadd_pd(c(11), r, c(10));
    const __m512d s0 = _mm512_fmadd_pd(q1, r2, q0);
    const __m512d s1 = _mm512_fmadd_pd(q3, r2, q2);
    const __m512d s2 = _mm512_fmadd_pd(c(12), r2, q4);
    const __m512d big = _mm512_fmadd_pd(s2, r8, _mm512_fmadd_pd(s1, r4, s0));
    const __m512d p = _mm512_add_pd(_mm512_set1_pd(1.0), _mm512_fmadd_pd(big, r2, r));
    return _mm512_maskz_scalef_pd(AllEightLanes, p, k);
}

}  // namespace korvane
