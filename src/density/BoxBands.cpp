#include "density/BoxBands.h"

#include <immintrin.h>

namespace korvane {

int BandRowsFor(int columns, int rows) {
    const auto perRow = static_cast<std::size_t>(columns) * sizeof(double);
    return std::clamp(static_cast<int>(BandBytes / std::max<std::size_t>(perRow, 1)), 1, rows);
}

namespace {

__attribute__((target("avx512f"))) void AddBoxEightWide(double* sums, std::size_t stride,
                                                        const double* factors, int n,
                                                        const double* rowFactors, int m) {
    for (int j = 0; j < m; ++j) {
        const __m512d scale = _mm512_set1_pd(rowFactors[j]);
        double* row = sums + static_cast<std::size_t>(j) * stride;
        for (int i = 0; i < n; i += 8) {
            const auto mask = static_cast<__mmask8>((1U << std::min(8, n - i)) - 1);
            const __m512d added = _mm512_mul_pd(scale, _mm512_maskz_loadu_pd(mask, factors + i));
            _mm512_mask_storeu_pd(row + i, mask,
                                  _mm512_add_pd(_mm512_maskz_loadu_pd(mask, row + i), added));
        }
    }
    _mm256_zeroupper();
}

bool EightWideAddInUse() {
    static const bool inUse = __builtin_cpu_supports("avx512f");
    return inUse;
}

}  // namespace

void AddBox(double* sums, std::size_t stride, const double* factors, int n,
            const double* rowFactors, int m) {
    if (EightWideAddInUse()) {
        AddBoxEightWide(sums, stride, factors, n, rowFactors, m);
        return;
    }
    for (int j = 0; j < m; ++j) {
        double* row = sums + static_cast<std::size_t>(j) * stride;
        for (int i = 0; i < n; ++i) {
            row[i] += rowFactors[j] * factors[i];
        }
    }
}

void FactorsOf(const FillAxis& axis, double x, int lo, int hi, bool gaussian,
               const GaussianAxis& kernel, std::vector<double>& factors) {
    factors.resize(static_cast<std::size_t>(hi - lo));
    if (gaussian) {
        GaussianFactors(x, axis.positions->data() + lo, hi - lo, kernel, factors.data());
    } else {
        std::fill(factors.begin(), factors.end(), 1.0);
    }
}

}  // namespace korvane
