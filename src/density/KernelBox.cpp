#include "density/KernelBox.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "density/Kernel.h"
#include "density/WideExp.h"

// The four-wide exponential follows the algorithm and constants of Arm's optimized-routines
// (MIT OR Apache-2.0 WITH LLVM-exception), the C library's exp on processors with FMA: a table of
// 2^(i/128) and a polynomial of the rest, within about half a unit in the last place of the exact
// value. The eight-wide one takes a longer polynomial instead of the table (see its
// ExpOnMainPath), within a unit or two. Arguments from 512 up in size, and those not a number,
// go to std::exp itself.

#define KORVANE_FOUR_WIDE __attribute__((target("avx2,fma")))
#define KORVANE_FOUR_WIDE_INLINE __attribute__((target("avx2,fma"), always_inline)) inline

namespace korvane {

namespace {

// For i < 128, the pair for 2^(i/128): the relative rounding error of the nearest double
// (as bits), then that double's bits less i << 45.
alignas(32) constexpr std::uint64_t ExpTable[256] = {
    0x0000000000000000, 0x3ff0000000000000, 0x3c9b3b4f1a88bf6e, 0x3feff63da9fb3335,
    0xbc7160139cd8dc5d, 0x3fefec9a3e778061, 0xbc905e7a108766d1, 0x3fefe315e86e7f85,
    0x3c8cd2523567f613, 0x3fefd9b0d3158574, 0xbc8bce8023f98efa, 0x3fefd06b29ddf6de,
    0x3c60f74e61e6c861, 0x3fefc74518759bc8, 0x3c90a3e45b33d399, 0x3fefbe3ecac6f383,
    0x3c979aa65d837b6d, 0x3fefb5586cf9890f, 0x3c8eb51a92fdeffc, 0x3fefac922b7247f7,
    0x3c3ebe3d702f9cd1, 0x3fefa3ec32d3d1a2, 0xbc6a033489906e0b, 0x3fef9b66affed31b,
    0xbc9556522a2fbd0e, 0x3fef9301d0125b51, 0xbc5080ef8c4eea55, 0x3fef8abdc06c31cc,
    0xbc91c923b9d5f416, 0x3fef829aaea92de0, 0x3c80d3e3e95c55af, 0x3fef7a98c8a58e51,
    0xbc801b15eaa59348, 0x3fef72b83c7d517b, 0xbc8f1ff055de323d, 0x3fef6af9388c8dea,
    0x3c8b898c3f1353bf, 0x3fef635beb6fcb75, 0xbc96d99c7611eb26, 0x3fef5be084045cd4,
    0x3c9aecf73e3a2f60, 0x3fef54873168b9aa, 0xbc8fe782cb86389d, 0x3fef4d5022fcd91d,
    0x3c8a6f4144a6c38d, 0x3fef463b88628cd6, 0x3c807a05b0e4047d, 0x3fef3f49917ddc96,
    0x3c968efde3a8a894, 0x3fef387a6e756238, 0x3c875e18f274487d, 0x3fef31ce4fb2a63f,
    0x3c80472b981fe7f2, 0x3fef2b4565e27cdd, 0xbc96b87b3f71085e, 0x3fef24dfe1f56381,
    0x3c82f7e16d09ab31, 0x3fef1e9df51fdee1, 0xbc3d219b1a6fbffa, 0x3fef187fd0dad990,
    0x3c8b3782720c0ab4, 0x3fef1285a6e4030b, 0x3c6e149289cecb8f, 0x3fef0cafa93e2f56,
    0x3c834d754db0abb6, 0x3fef06fe0a31b715, 0x3c864201e2ac744c, 0x3fef0170fc4cd831,
    0x3c8fdd395dd3f84a, 0x3feefc08b26416ff, 0xbc86a3803b8e5b04, 0x3feef6c55f929ff1,
    0xbc924aedcc4b5068, 0x3feef1a7373aa9cb, 0xbc9907f81b512d8e, 0x3feeecae6d05d866,
    0xbc71d1e83e9436d2, 0x3feee7db34e59ff7, 0xbc991919b3ce1b15, 0x3feee32dc313a8e5,
    0x3c859f48a72a4c6d, 0x3feedea64c123422, 0xbc9312607a28698a, 0x3feeda4504ac801c,
    0xbc58a78f4817895b, 0x3feed60a21f72e2a, 0xbc7c2c9b67499a1b, 0x3feed1f5d950a897,
    0x3c4363ed60c2ac11, 0x3feece086061892d, 0x3c9666093b0664ef, 0x3feeca41ed1d0057,
    0x3c6ecce1daa10379, 0x3feec6a2b5c13cd0, 0x3c93ff8e3f0f1230, 0x3feec32af0d7d3de,
    0x3c7690cebb7aafb0, 0x3feebfdad5362a27, 0x3c931dbdeb54e077, 0x3feebcb299fddd0d,
    0xbc8f94340071a38e, 0x3feeb9b2769d2ca7, 0xbc87deccdc93a349, 0x3feeb6daa2cf6642,
    0xbc78dec6bd0f385f, 0x3feeb42b569d4f82, 0xbc861246ec7b5cf6, 0x3feeb1a4ca5d920f,
    0x3c93350518fdd78e, 0x3feeaf4736b527da, 0x3c7b98b72f8a9b05, 0x3feead12d497c7fd,
    0x3c9063e1e21c5409, 0x3feeab07dd485429, 0x3c34c7855019c6ea, 0x3feea9268a5946b7,
    0x3c9432e62b64c035, 0x3feea76f15ad2148, 0xbc8ce44a6199769f, 0x3feea5e1b976dc09,
    0xbc8c33c53bef4da8, 0x3feea47eb03a5585, 0xbc845378892be9ae, 0x3feea34634ccc320,
    0xbc93cedd78565858, 0x3feea23882552225, 0x3c5710aa807e1964, 0x3feea155d44ca973,
    0xbc93b3efbf5e2228, 0x3feea09e667f3bcd, 0xbc6a12ad8734b982, 0x3feea012750bdabf,
    0xbc6367efb86da9ee, 0x3fee9fb23c651a2f, 0xbc80dc3d54e08851, 0x3fee9f7df9519484,
    0xbc781f647e5a3ecf, 0x3fee9f75e8ec5f74, 0xbc86ee4ac08b7db0, 0x3fee9f9a48a58174,
    0xbc8619321e55e68a, 0x3fee9feb564267c9, 0x3c909ccb5e09d4d3, 0x3feea0694fde5d3f,
    0xbc7b32dcb94da51d, 0x3feea11473eb0187, 0x3c94ecfd5467c06b, 0x3feea1ed0130c132,
    0x3c65ebe1abd66c55, 0x3feea2f336cf4e62, 0xbc88a1c52fb3cf42, 0x3feea427543e1a12,
    0xbc9369b6f13b3734, 0x3feea589994cce13, 0xbc805e843a19ff1e, 0x3feea71a4623c7ad,
    0xbc94d450d872576e, 0x3feea8d99b4492ed, 0x3c90ad675b0e8a00, 0x3feeaac7d98a6699,
    0x3c8db72fc1f0eab4, 0x3feeace5422aa0db, 0xbc65b6609cc5e7ff, 0x3feeaf3216b5448c,
    0x3c7bf68359f35f44, 0x3feeb1ae99157736, 0xbc93091fa71e3d83, 0x3feeb45b0b91ffc6,
    0xbc5da9b88b6c1e29, 0x3feeb737b0cdc5e5, 0xbc6c23f97c90b959, 0x3feeba44cbc8520f,
    0xbc92434322f4f9aa, 0x3feebd829fde4e50, 0xbc85ca6cd7668e4b, 0x3feec0f170ca07ba,
    0x3c71affc2b91ce27, 0x3feec49182a3f090, 0x3c6dd235e10a73bb, 0x3feec86319e32323,
    0xbc87c50422622263, 0x3feecc667b5de565, 0x3c8b1c86e3e231d5, 0x3feed09bec4a2d33,
    0xbc91bbd1d3bcbb15, 0x3feed503b23e255d, 0x3c90cc319cee31d2, 0x3feed99e1330b358,
    0x3c8469846e735ab3, 0x3feede6b5579fdbf, 0xbc82dfcd978e9db4, 0x3feee36bbfd3f37a,
    0x3c8c1a7792cb3387, 0x3feee89f995ad3ad, 0xbc907b8f4ad1d9fa, 0x3feeee07298db666,
    0xbc55c3d956dcaeba, 0x3feef3a2b84f15fb, 0xbc90a40e3da6f640, 0x3feef9728de5593a,
    0xbc68d6f438ad9334, 0x3feeff76f2fb5e47, 0xbc91eee26b588a35, 0x3fef05b030a1064a,
    0x3c74ffd70a5fddcd, 0x3fef0c1e904bc1d2, 0xbc91bdfbfa9298ac, 0x3fef12c25bd71e09,
    0x3c736eae30af0cb3, 0x3fef199bdd85529c, 0x3c8ee3325c9ffd94, 0x3fef20ab5fffd07a,
    0x3c84e08fd10959ac, 0x3fef27f12e57d14b, 0x3c63cdaf384e1a67, 0x3fef2f6d9406e7b5,
    0x3c676b2c6c921968, 0x3fef3720dcef9069, 0xbc808a1883ccb5d2, 0x3fef3f0b555dc3fa,
    0xbc8fad5d3ffffa6f, 0x3fef472d4a07897c, 0xbc900dae3875a949, 0x3fef4f87080d89f2,
    0x3c74a385a63d07a7, 0x3fef5818dcfba487, 0xbc82919e2040220f, 0x3fef60e316c98398,
    0x3c8e5a50d5c192ac, 0x3fef69e603db3285, 0x3c843a59ac016b4b, 0x3fef7321f301b460,
    0xbc82d52107b43e1f, 0x3fef7c97337b9b5f, 0xbc892ab93b470dc9, 0x3fef864614f5a129,
    0x3c74b604603a88d3, 0x3fef902ee78b3ff6, 0x3c83c5ec519d7271, 0x3fef9a51fbc74c83,
    0xbc8ff7128fd391f0, 0x3fefa4afa2a490da, 0xbc8dae98e223747d, 0x3fefaf482d8e67f1,
    0x3c8ec3bc41aa2008, 0x3fefba1bee615a27, 0x3c842b94c3a9eb32, 0x3fefc52b376bba97,
    0x3c8a64a931d185ee, 0x3fefd0765b6e4540, 0xbc8e37bae43be3ed, 0x3fefdbfdad9cbe14,
    0x3c77893b4d91cd9d, 0x3fefe7c1819e90d8, 0x3c5305c14160cc89, 0x3feff3c22b8f71f1,
};

constexpr double InvLn2N = std::bit_cast<double>(std::uint64_t{0x40671547652b82fe});  // 128/ln 2
constexpr double NegLn2HiN = std::bit_cast<double>(std::uint64_t{0xbf762e42fefa0000});
constexpr double NegLn2LoN = std::bit_cast<double>(std::uint64_t{0xbd0cf79abc9e3b3a});
constexpr double C2 = std::bit_cast<double>(std::uint64_t{0x3fdffffffffffdbd});
constexpr double C3 = std::bit_cast<double>(std::uint64_t{0x3fc555555555543c});
constexpr double C4 = std::bit_cast<double>(std::uint64_t{0x3fa55555cf172b91});
constexpr double C5 = std::bit_cast<double>(std::uint64_t{0x3f81111167a4d017});
constexpr double Shift = std::bit_cast<double>(std::uint64_t{0x4338000000000000});  // 1.5 x 2^52

// Clears the upper halves of the wide registers before code built for the plain instruction
// set runs (std::exp, the caller): left set, they make every such instruction wait on them,
// which slowed the library's exp twelvefold in a measurement here.
KORVANE_FOUR_WIDE_INLINE void LeaveWideState() {
    _mm256_zeroupper();
}

// Whether every lane lies on the main path: |x| < 512 (a tiny or zero x gives 1 + x there).
KORVANE_FOUR_WIDE_INLINE bool OnMainPath(__m256d x) {
    const __m256d magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), x);
    const __m256d below = _mm256_cmp_pd(magnitude, _mm256_set1_pd(512.0), _CMP_LT_OQ);
    return _mm256_movemask_pd(below) == 0xF;
}

// exp(x) = 2^(k/128) exp(r), with x = k ln2/128 + r and |r| <= ln2/256.
KORVANE_FOUR_WIDE_INLINE __m256d ExpOnMainPath(__m256d x) {
    const __m256d shift = _mm256_set1_pd(Shift);
    __m256d kd = _mm256_fmadd_pd(x, _mm256_set1_pd(InvLn2N), shift);
    const __m256i ki = _mm256_castpd_si256(kd);
    kd = _mm256_sub_pd(kd, shift);
    __m256d r = _mm256_fmadd_pd(kd, _mm256_set1_pd(NegLn2HiN), x);
    r = _mm256_fmadd_pd(kd, _mm256_set1_pd(NegLn2LoN), r);
    // Each lane's pair of table entries in one load: cheaper here than two gathers.
    const __m256i index = _mm256_and_si256(ki, _mm256_set1_epi64x(127));
    const __m128i indexLow = _mm256_castsi256_si128(index);
    const __m128i indexHigh = _mm256_extracti128_si256(index, 1);
    const auto pair = [](long long i) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(ExpTable + 2 * i));
    };
    const __m256i pairs02 =
        _mm256_inserti128_si256(_mm256_castsi128_si256(pair(_mm_cvtsi128_si64(indexLow))),
                                pair(_mm_cvtsi128_si64(indexHigh)), 1);
    const __m256i pairs13 =
        _mm256_inserti128_si256(_mm256_castsi128_si256(pair(_mm_extract_epi64(indexLow, 1))),
                                pair(_mm_extract_epi64(indexHigh, 1)), 1);
    const __m256d tail = _mm256_castsi256_pd(_mm256_unpacklo_epi64(pairs02, pairs13));
    const __m256i scaleBits =
        _mm256_add_epi64(_mm256_unpackhi_epi64(pairs02, pairs13), _mm256_slli_epi64(ki, 45));
    const __m256d r2 = _mm256_mul_pd(r, r);
    const __m256d low = _mm256_fmadd_pd(r, _mm256_set1_pd(C3), _mm256_set1_pd(C2));
    const __m256d high = _mm256_fmadd_pd(r, _mm256_set1_pd(C5), _mm256_set1_pd(C4));
    const __m256d sum = _mm256_fmadd_pd(low, r2, _mm256_add_pd(r, tail));
    const __m256d tmp = _mm256_fmadd_pd(_mm256_mul_pd(r2, r2), high, sum);
    const __m256d scale = _mm256_castsi256_pd(scaleBits);
    return _mm256_fmadd_pd(scale, tmp, scale);
}

KORVANE_FOUR_WIDE_INLINE void StoreExp(__m256d x, double* out) {
    if (OnMainPath(x)) {
        _mm256_storeu_pd(out, ExpOnMainPath(x));
        return;
    }
    alignas(32) std::array<double, 4> lanes{};
    _mm256_store_pd(lanes.data(), x);
    LeaveWideState();
    for (int lane = 0; lane < 4; ++lane) {
        out[lane] = std::exp(lanes[static_cast<std::size_t>(lane)]);
    }
}

KORVANE_FOUR_WIDE void ExpFourWide(const double* x, int n, double* out) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        StoreExp(_mm256_loadu_pd(x + i), out + i);
    }
    LeaveWideState();
    for (; i < n; ++i) {
        out[i] = std::exp(x[i]);
    }
}

// The kernel's exponent for four positions p along one axis: -0.5 (|x - p| x perStep)^2, where
// perStep = 2.506628 / scale / radius: the kernel of the steps along the axis.
KORVANE_FOUR_WIDE_INLINE __m256d FactorExponent(__m256d p, __m256d x, __m256d perStep) {
    const __m256d distance = _mm256_andnot_pd(_mm256_set1_pd(-0.0), _mm256_sub_pd(x, p));
    const __m256d scaled = _mm256_mul_pd(distance, perStep);
    return _mm256_mul_pd(_mm256_set1_pd(-0.5), _mm256_mul_pd(scaled, scaled));
}

KORVANE_FOUR_WIDE void GaussianFactorsFourWide(double x, const double* positions, int n,
                                               double perStep, double* factors) {
    const __m256d vx = _mm256_set1_pd(x);
    const __m256d vPerStep = _mm256_set1_pd(perStep);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        StoreExp(FactorExponent(_mm256_loadu_pd(positions + i), vx, vPerStep), factors + i);
    }
    if (i < n) {
        // The last one to three, padded with x itself; only theirs are kept.
        alignas(32) std::array<double, 4> rest{x, x, x, x};
        std::copy(positions + i, positions + n, rest.begin());
        StoreExp(FactorExponent(_mm256_load_pd(rest.data()), vx, vPerStep), rest.data());
        std::copy_n(rest.begin(), n - i, factors + i);
    }
    LeaveWideState();
}

// The exponential eight lanes at a time, where the processor has AVX-512 (WideExp.h).
#define KORVANE_EIGHT_WIDE __attribute__((target("avx512f,avx2,fma")))

KORVANE_EIGHT_WIDE_INLINE void StoreExp(__m512d x, double* out) {
    if (ExpOnMainPathEightWide(x)) {
        _mm512_storeu_pd(out, ExpEightWide(x));
        return;
    }
    alignas(64) std::array<double, 8> lanes{};
    _mm512_store_pd(lanes.data(), x);
    LeaveWideState();
    for (int lane = 0; lane < 8; ++lane) {
        out[lane] = std::exp(lanes[static_cast<std::size_t>(lane)]);
    }
}

KORVANE_EIGHT_WIDE void ExpOfEachEightWide(const double* x, int n, double* out) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        StoreExp(_mm512_loadu_pd(x + i), out + i);
    }
    LeaveWideState();
    ExpFourWide(x + i, n - i, out + i);
}

KORVANE_EIGHT_WIDE_INLINE __m512d FactorExponent(__m512d p, __m512d x, __m512d perStep) {
    const __m512d scaled = _mm512_mul_pd(_mm512_abs_pd(_mm512_sub_pd(x, p)), perStep);
    return _mm512_mul_pd(_mm512_set1_pd(-0.5), _mm512_mul_pd(scaled, scaled));
}

KORVANE_EIGHT_WIDE void GaussianFactorsEightWide(double x, const double* positions, int n,
                                                 double perStep, double* factors) {
    const __m512d vx = _mm512_set1_pd(x);
    const __m512d vPerStep = _mm512_set1_pd(perStep);
    for (int i = 0; i < n; i += 8) {
        // The last one to seven padded with x itself; only theirs are stored.
        const int lanes = std::min(8, n - i);
        const auto mask = static_cast<__mmask8>((1U << static_cast<unsigned>(lanes)) - 1);
        const __m512d exponent =
            FactorExponent(_mm512_mask_loadu_pd(vx, mask, positions + i), vx, vPerStep);
        if (ExpOnMainPathEightWide(exponent)) {
            _mm512_mask_storeu_pd(factors + i, mask, ExpEightWide(exponent));
        } else {
            alignas(64) std::array<double, 8> values{};
            _mm512_store_pd(values.data(), exponent);
            LeaveWideState();
            for (int lane = 0; lane < lanes; ++lane) {
                factors[i + lane] = std::exp(values[static_cast<std::size_t>(lane)]);
            }
        }
    }
    LeaveWideState();
}

}  // namespace

bool FourWideExpInUse() {
    static const bool inUse = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return inUse;
}

bool EightWideExpInUse() {
    static const bool inUse = FourWideExpInUse() && __builtin_cpu_supports("avx512f");
    return inUse;
}

LaneWidth WidestLaneWidth() {
    if (EightWideExpInUse()) {
        return LaneWidth::Eight;
    }
    return FourWideExpInUse() ? LaneWidth::Four : LaneWidth::One;
}

void ExpOfEach(const double* x, int n, double* out, LaneWidth width) {
    width = std::min(width, WidestLaneWidth());
    if (width == LaneWidth::Eight) {
        ExpOfEachEightWide(x, n, out);
        return;
    }
    if (width == LaneWidth::Four) {
        ExpFourWide(x, n, out);
        return;
    }
    for (int i = 0; i < n; ++i) {
        out[i] = std::exp(x[i]);
    }
}

GaussianAxis GaussianAxisOf(double scale, double radius, LaneWidth width) {
    GaussianAxis axis;
    axis.scale = scale;
    axis.radius = radius;
    // One multiplication per factor instead of two divisions, where that is finite (else a
    // point on a position would give 0 times infinity).
    axis.perStep = GaussianWidthFactor / scale / radius;
    axis.width = std::isfinite(axis.perStep) ? std::min(width, WidestLaneWidth()) : LaneWidth::One;
    return axis;
}

void GaussianFactors(double x, const double* positions, int n, const GaussianAxis& axis,
                     double* factors) {
    if (axis.width == LaneWidth::Eight) {
        GaussianFactorsEightWide(x, positions, n, axis.perStep, factors);
        return;
    }
    if (axis.width == LaneWidth::Four) {
        GaussianFactorsFourWide(x, positions, n, axis.perStep, factors);
        return;
    }
    for (int i = 0; i < n; ++i) {
        factors[i] = KernelWeight(std::fabs(x - positions[i]) / axis.scale, axis.radius, true);
    }
}

}  // namespace korvane
