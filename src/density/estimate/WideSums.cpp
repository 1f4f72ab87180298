#include "density/estimate/WideSums.h"

#include <immintrin.h>

#include <cstddef>

#include "density/WideExp.h"
#include "density/estimate/EightAxes.h"

namespace korvane::estimate {

namespace {

#define KORVANE_EIGHT_WIDE __attribute__((target("avx512f,avx2,fma")))

// The records of lanes 0 to 7 are 0 2 1 3 4 6 5 7 (see AxesOf).
KORVANE_EIGHT_WIDE_INLINE __m512i LaneRecords() {
    return _mm512_set_epi64(7, 5, 6, 4, 3, 1, 2, 0);
}

// The x, y and z of the first `n` (at most eight) records from `record`, lanes in the order
// 0 2 1 3 4 6 5 7; the records past n are not read.
KORVANE_EIGHT_WIDE_INLINE EightAxes AxesOf(const double* record, int n) {
    const auto pair = [&](int first) __attribute__((target("avx512f"))) {
        const int records = n - first < 0 ? 0 : (n - first > 2 ? 2 : n - first);
        const auto mask = static_cast<__mmask8>((1U << (4 * records)) - 1);
        return _mm512_maskz_loadu_pd(mask, record + std::ptrdiff_t{4} * first);
    };
    return EightAxesOf(pair(0), pair(2), pair(4), pair(6));
}

template <bool Weighted>
KORVANE_EIGHT_WIDE double SumEightWideOf(const double* points, int n, const KernelSumFrame& f) {
    const __m512d px = _mm512_set1_pd(f.p[0]);
    const __m512d py = _mm512_set1_pd(f.p[1]);
    const __m512d pz = _mm512_set1_pd(f.p[2]);
    const __m512d hx = _mm512_set1_pd(f.half[0]);
    const __m512d hy = _mm512_set1_pd(f.half[1]);
    const __m512d kx = _mm512_set1_pd(f.kappa[0]);
    const __m512d ky = _mm512_set1_pd(f.kappa[1]);
    const __m512d kz = _mm512_set1_pd(f.kappa[2]);
    // Below this the exponential is 0 to the last bit; it keeps every lane on its main path.
    const __m512d lowest = _mm512_set1_pd(-700.0);
    const __m512i records = LaneRecords();
    __m512d total = _mm512_setzero_pd();
    for (int q = 0; q < n; q += 8) {
        const int left = n - q;
        const EightAxes a = AxesOf(points + static_cast<std::ptrdiff_t>(4) * q, left);
        const __m512d dx = _mm512_sub_pd(px, a.x);
        const __m512d dy = _mm512_sub_pd(py, a.y);
        const __m512d dz = _mm512_sub_pd(pz, a.z);
        const __mmask8 passes = _mm512_cmp_pd_mask(_mm512_abs_pd(dx), hx, _CMP_LT_OQ) &
                                _mm512_cmp_pd_mask(_mm512_abs_pd(dy), hy, _CMP_LT_OQ) &
                                _mm512_cmplt_epi64_mask(records, _mm512_set1_epi64(left));
        __m512d exponent = _mm512_mul_pd(_mm512_mul_pd(dz, dz), kz);
        exponent = _mm512_fmadd_pd(_mm512_mul_pd(dy, dy), ky, exponent);
        exponent = _mm512_fmadd_pd(_mm512_mul_pd(dx, dx), kx, exponent);
        __m512d term = ExpEightWide(_mm512_maskz_max_pd(
            AllEightLanes, _mm512_sub_pd(_mm512_setzero_pd(), exponent), lowest));
        if constexpr (Weighted) {
            const __m512d weights = _mm512_maskz_loadu_pd(
                left >= 8 ? AllEightLanes : static_cast<__mmask8>((1U << left) - 1), f.weights + q);
            term =
                _mm512_mul_pd(term, _mm512_maskz_permutexvar_pd(AllEightLanes, records, weights));
        }
        total = _mm512_mask_add_pd(total, passes, total, term);
    }
    alignas(64) double lanes[8];
    _mm512_store_pd(lanes, total);
    _mm256_zeroupper();
    return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) +
           ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

KORVANE_EIGHT_WIDE double SumEightWide(const double* points, int n, const KernelSumFrame& f) {
    return f.weights != nullptr ? SumEightWideOf<true>(points, n, f)
                                : SumEightWideOf<false>(points, n, f);
}

}  // namespace

KernelSum WideKernelSum() {
    static const KernelSum sum = __builtin_cpu_supports("avx512f") ? &SumEightWide : nullptr;
    return sum;
}

}  // namespace korvane::estimate
