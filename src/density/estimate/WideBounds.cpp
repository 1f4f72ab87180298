#include "density/estimate/WideBounds.h"

#include <immintrin.h>

#include <cstddef>

#include "density/estimate/EightAxes.h"

namespace korvane::estimate {

namespace {

__attribute__((target("avx2"))) inline __m256d Share(__m256d d, __m256d factor, __m256d used) {
    return _mm256_and_pd(_mm256_mul_pd(_mm256_mul_pd(d, d), factor), used);
}

// Four points' records turned into one register per axis; the times are dropped.
template <bool Weighted>
__attribute__((target("avx2"))) PairBoundTotal SumFourWideOf(const double* points, int n,
                                                             const PairBoundFrame& f) {
    const __m256d px = _mm256_set1_pd(f.p[0]);
    const __m256d py = _mm256_set1_pd(f.p[1]);
    const __m256d pz = _mm256_set1_pd(f.p[2]);
    const __m256d hx = _mm256_set1_pd(f.half[0]);
    const __m256d hy = _mm256_set1_pd(f.half[1]);
    const __m256d sign = _mm256_set1_pd(-0.0);
    __m256d factor[3];
    __m256d used[3];
    for (int a = 0; a < 3; ++a) {
        factor[a] = _mm256_set1_pd(f.factor[a]);
        used[a] = _mm256_cmp_pd(factor[a], _mm256_setzero_pd(), _CMP_GT_OQ);
    }
    const __m256d last = _mm256_set1_pd(f.lastEntry);
    __m256d total = _mm256_setzero_pd();
    __m256d count = _mm256_setzero_pd();
    for (int q = 0; q < n; q += 4) {
        const double* record = points + static_cast<std::ptrdiff_t>(4) * q;
        const __m256d r0 = _mm256_loadu_pd(record);
        const __m256d r1 = _mm256_loadu_pd(record + 4);
        const __m256d r2 = _mm256_loadu_pd(record + 8);
        const __m256d r3 = _mm256_loadu_pd(record + 12);
        const __m256d xz01 = _mm256_unpacklo_pd(r0, r1);
        const __m256d yt01 = _mm256_unpackhi_pd(r0, r1);
        const __m256d xz23 = _mm256_unpacklo_pd(r2, r3);
        const __m256d yt23 = _mm256_unpackhi_pd(r2, r3);
        const __m256d dx = _mm256_sub_pd(px, _mm256_permute2f128_pd(xz01, xz23, 0x20));
        const __m256d dy = _mm256_sub_pd(py, _mm256_permute2f128_pd(yt01, yt23, 0x20));
        const __m256d dz = _mm256_sub_pd(pz, _mm256_permute2f128_pd(xz01, xz23, 0x31));
        const __m256d passes =
            _mm256_and_pd(_mm256_cmp_pd(_mm256_andnot_pd(sign, dx), hx, _CMP_LT_OQ),
                          _mm256_cmp_pd(_mm256_andnot_pd(sign, dy), hy, _CMP_LT_OQ));
        const __m256d steps = _mm256_add_pd(
            _mm256_add_pd(Share(dx, factor[0], used[0]), Share(dy, factor[1], used[1])),
            Share(dz, factor[2], used[2]));
        // Beyond the table, or not a number: the last entry.
        const __m256d entry = _mm256_blendv_pd(last, steps, _mm256_cmp_pd(steps, last, _CMP_LT_OQ));
        alignas(16) int index[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm256_cvttpd_epi32(entry));
        __m256d bound = _mm256_set_pd(f.table[index[3]], f.table[index[2]], f.table[index[1]],
                                      f.table[index[0]]);
        if constexpr (Weighted) {
            bound = _mm256_mul_pd(bound, _mm256_loadu_pd(f.weights + q));
        }
        total = _mm256_add_pd(total, _mm256_and_pd(bound, passes));
        count = _mm256_add_pd(count, _mm256_and_pd(_mm256_set1_pd(1.0), passes));
    }
    alignas(32) double totals[4];
    alignas(32) double counts[4];
    _mm256_store_pd(totals, total);
    _mm256_store_pd(counts, count);
    _mm256_zeroupper();
    PairBoundTotal sum;
    sum.total = (totals[0] + totals[1]) + (totals[2] + totals[3]);
    sum.count = static_cast<int>((counts[0] + counts[1]) + (counts[2] + counts[3]));
    return sum;
}

__attribute__((target("avx2"))) PairBoundTotal SumFourWide(const double* points, int n,
                                                           const PairBoundFrame& f) {
    return f.weights != nullptr ? SumFourWideOf<true>(points, n, f)
                                : SumFourWideOf<false>(points, n, f);
}

__attribute__((target("avx2"))) int CountFourWide(const double* points, int n,
                                                  std::array<double, 2> p,
                                                  std::array<double, 2> half) {
    const __m256d px = _mm256_set1_pd(p[0]);
    const __m256d py = _mm256_set1_pd(p[1]);
    const __m256d hx = _mm256_set1_pd(half[0]);
    const __m256d hy = _mm256_set1_pd(half[1]);
    const __m256d sign = _mm256_set1_pd(-0.0);
    __m256i count = _mm256_setzero_si256();  // minus the passing pairs, lane by lane
    for (int q = 0; q < n; q += 4) {
        const double* record = points + static_cast<std::ptrdiff_t>(4) * q;
        const __m256d xy01 =
            _mm256_permute2f128_pd(_mm256_loadu_pd(record), _mm256_loadu_pd(record + 4), 0x20);
        const __m256d xy23 =
            _mm256_permute2f128_pd(_mm256_loadu_pd(record + 8), _mm256_loadu_pd(record + 12), 0x20);
        // xy01 = (x0, y0, x1, y1), xy23 = (x2, y2, x3, y3): x and y of the four, lanes 0 2 1 3.
        const __m256d dx = _mm256_sub_pd(px, _mm256_unpacklo_pd(xy01, xy23));
        const __m256d dy = _mm256_sub_pd(py, _mm256_unpackhi_pd(xy01, xy23));
        const __m256d passes =
            _mm256_and_pd(_mm256_cmp_pd(_mm256_andnot_pd(sign, dx), hx, _CMP_LT_OQ),
                          _mm256_cmp_pd(_mm256_andnot_pd(sign, dy), hy, _CMP_LT_OQ));
        count = _mm256_add_epi64(count, _mm256_castpd_si256(passes));
    }
    alignas(32) long long counts[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(counts), count);
    _mm256_zeroupper();
    return static_cast<int>(-(counts[0] + counts[1] + counts[2] + counts[3]));
}

// Eight points at a time where the processor has AVX-512, then the last four four-wide. The
// lanes hold the points in another order than the records, which only changes the order in
// which the bounds are added.
#define KORVANE_EIGHT_WIDE __attribute__((target("avx512f,avx2")))

// The masked forms, every lane on: the plain ones leave part of a register unset, which the
// compiler warns of.
constexpr __mmask8 AllLanes = 0xFF;

// The x, y and z of eight records from `record`, lanes in the order 0 2 1 3 4 6 5 7.
KORVANE_EIGHT_WIDE inline EightAxes AxesOfEight(const double* record) {
    return EightAxesOf(_mm512_loadu_pd(record), _mm512_loadu_pd(record + 8),
                       _mm512_loadu_pd(record + 16), _mm512_loadu_pd(record + 24));
}

KORVANE_EIGHT_WIDE inline __mmask8 PassesOfEight(const EightAxes& q, __m512d px, __m512d py,
                                                 __m512d hx, __m512d hy, __m512d& dx, __m512d& dy) {
    dx = _mm512_sub_pd(px, q.x);
    dy = _mm512_sub_pd(py, q.y);
    return _mm512_cmp_pd_mask(_mm512_abs_pd(dx), hx, _CMP_LT_OQ) &
           _mm512_cmp_pd_mask(_mm512_abs_pd(dy), hy, _CMP_LT_OQ);
}

template <bool Weighted>
KORVANE_EIGHT_WIDE PairBoundTotal SumEightWideOf(const double* points, int n,
                                                 const PairBoundFrame& f) {
    const int whole = n / 8 * 8;
    const __m512d px = _mm512_set1_pd(f.p[0]);
    const __m512d py = _mm512_set1_pd(f.p[1]);
    const __m512d pz = _mm512_set1_pd(f.p[2]);
    const __m512d hx = _mm512_set1_pd(f.half[0]);
    const __m512d hy = _mm512_set1_pd(f.half[1]);
    __m512d factor[3];
    __mmask8 used[3];
    for (int a = 0; a < 3; ++a) {
        factor[a] = _mm512_set1_pd(f.factor[a]);
        used[a] = f.factor[a] > 0.0 ? AllLanes : 0;
    }
    const __m512d last = _mm512_set1_pd(f.lastEntry);
    __m512d total = _mm512_setzero_pd();
    int count = 0;
    for (int q = 0; q < whole; q += 8) {
        const EightAxes axes = AxesOfEight(points + static_cast<std::ptrdiff_t>(4) * q);
        __m512d dx;
        __m512d dy;
        const __mmask8 passes = PassesOfEight(axes, px, py, hx, hy, dx, dy);
        const __m512d dz = _mm512_sub_pd(pz, axes.z);
        const __m512d steps = _mm512_add_pd(
            _mm512_add_pd(_mm512_maskz_mul_pd(used[0], _mm512_mul_pd(dx, dx), factor[0]),
                          _mm512_maskz_mul_pd(used[1], _mm512_mul_pd(dy, dy), factor[1])),
            _mm512_maskz_mul_pd(used[2], _mm512_mul_pd(dz, dz), factor[2]));
        // Beyond the table, or not a number: the last entry.
        const __m512d entry =
            _mm512_mask_blend_pd(_mm512_cmp_pd_mask(steps, last, _CMP_LT_OQ), last, steps);
        // Only the passing lanes are read from the table; the others add 0.
        __m512d bound = _mm512_mask_i32gather_pd(
            _mm512_setzero_pd(), passes, _mm512_maskz_cvttpd_epi32(AllLanes, entry), f.table, 8);
        if constexpr (Weighted) {
            const __m512i laneOrder = _mm512_set_epi64(7, 5, 6, 4, 3, 1, 2, 0);
            bound = _mm512_maskz_mul_pd(
                passes, bound,
                _mm512_maskz_permutexvar_pd(AllLanes, laneOrder, _mm512_loadu_pd(f.weights + q)));
        }
        total = _mm512_add_pd(total, bound);
        count += __builtin_popcount(passes);
    }
    alignas(64) double totals[8];
    _mm512_store_pd(totals, total);
    _mm256_zeroupper();
    PairBoundFrame rest = f;
    if constexpr (Weighted) {
        rest.weights += whole;
    }
    PairBoundTotal sum =
        SumFourWideOf<Weighted>(points + static_cast<std::ptrdiff_t>(4) * whole, n - whole, rest);
    for (const double t : totals) {
        sum.total += t;
    }
    sum.count += count;
    return sum;
}

KORVANE_EIGHT_WIDE PairBoundTotal SumEightWide(const double* points, int n,
                                               const PairBoundFrame& f) {
    return f.weights != nullptr ? SumEightWideOf<true>(points, n, f)
                                : SumEightWideOf<false>(points, n, f);
}

KORVANE_EIGHT_WIDE int CountEightWide(const double* points, int n, std::array<double, 2> p,
                                      std::array<double, 2> half) {
    const int whole = n / 8 * 8;
    const __m512d px = _mm512_set1_pd(p[0]);
    const __m512d py = _mm512_set1_pd(p[1]);
    const __m512d hx = _mm512_set1_pd(half[0]);
    const __m512d hy = _mm512_set1_pd(half[1]);
    int count = 0;
    for (int q = 0; q < whole; q += 8) {
        __m512d dx;
        __m512d dy;
        count += __builtin_popcount(PassesOfEight(
            AxesOfEight(points + static_cast<std::ptrdiff_t>(4) * q), px, py, hx, hy, dx, dy));
    }
    _mm256_zeroupper();
    return count +
           CountFourWide(points + static_cast<std::ptrdiff_t>(4) * whole, n - whole, p, half);
}

}  // namespace

PassingCount FourWidePassingCount() {
    static const PassingCount count = __builtin_cpu_supports("avx2") ? &CountFourWide : nullptr;
    return count;
}

PassingCount EightWidePassingCount() {
    static const PassingCount count = __builtin_cpu_supports("avx512f") ? &CountEightWide : nullptr;
    return count;
}

PassingCount WidePassingCount() {
    return EightWidePassingCount() != nullptr ? EightWidePassingCount() : FourWidePassingCount();
}

PairBoundSum FourWidePairBounds() {
    static const PairBoundSum sum = __builtin_cpu_supports("avx2") ? &SumFourWide : nullptr;
    return sum;
}

PairBoundSum EightWidePairBounds() {
    static const PairBoundSum sum = __builtin_cpu_supports("avx512f") ? &SumEightWide : nullptr;
    return sum;
}

PairBoundSum WidePairBounds() {
    return EightWidePairBounds() != nullptr ? EightWidePairBounds() : FourWidePairBounds();
}

}  // namespace korvane::estimate
