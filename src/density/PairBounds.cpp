#include "density/PairBounds.h"

#include <immintrin.h>

#include <cstddef>

namespace korvane::estimate {

namespace {

__attribute__((target("avx2"))) inline __m256d Share(__m256d d, __m256d factor, __m256d used) {
    return _mm256_and_pd(_mm256_mul_pd(_mm256_mul_pd(d, d), factor), used);
}

// Four points' records turned into one register per axis; the times are dropped.
__attribute__((target("avx2"))) PairBoundTotal SumFourWide(const double* points, int n,
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
        const __m256d bound = _mm256_set_pd(f.table[index[3]], f.table[index[2]], f.table[index[1]],
                                            f.table[index[0]]);
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

}  // namespace

PassingCount FourWidePassingCount() {
    static const PassingCount count = __builtin_cpu_supports("avx2") ? &CountFourWide : nullptr;
    return count;
}

PairBoundSum FourWidePairBounds() {
    static const PairBoundSum sum = __builtin_cpu_supports("avx2") ? &SumFourWide : nullptr;
    return sum;
}

}  // namespace korvane::estimate
