#include "density/estimate/PlaceCodes.h"

#include <immintrin.h>

#include <bit>
#include <cmath>
#include <limits>

#include "density/Distance.h"

namespace korvane::estimate {

namespace {

double Up(double x) {
    return std::nextafter(x, INFINITY);
}

double Down(double x) {
    return std::nextafter(x, -INFINITY);
}

// The doubles in order as integers: the step from one key to the next is one double.
std::int64_t OrderKey(double x) {
    const auto bits = std::bit_cast<std::int64_t>(x);
    return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
}

double FromOrderKey(std::int64_t key) {
    return std::bit_cast<double>(key < 0 ? std::numeric_limits<std::int64_t>::min() - key : key);
}

// The q next to `passing`, on the side of `failing`, where the test changes: found by halving
// the doubles between them (the rounded difference never grows as q grows, so on each side of
// p the failing q and the passing ones are two unbroken stretches).
double LastFailing(double p, double half, double failing, double passing) {
    auto low = static_cast<std::uint64_t>(OrderKey(failing));
    auto high = static_cast<std::uint64_t>(OrderKey(passing));
    const bool below = failing < passing;
    while ((below ? high - low : low - high) > 1) {
        const std::uint64_t middle = below ? low + (high - low) / 2 : high + (low - high) / 2;
        const double q = FromOrderKey(static_cast<std::int64_t>(middle));
        (WithinStrict(p, q, half) ? high : low) = middle;
    }
    return FromOrderKey(static_cast<std::int64_t>(low));
}

// The failing q next to the passing ones on one side of p (`toward` -1 below, +1 above),
// usually a double away from p -/+ half. Near 0 the doubles are dense and the change can lie
// many of them away: the stretch between is then halved.
double EdgeOf(double p, double half, double toward) {
    const double guess = p + toward * half;
    const double inward = toward < 0 ? Up(guess) : Down(guess);
    const double outward = toward < 0 ? Down(guess) : Up(guess);
    if (!WithinStrict(p, guess, half)) {
        return WithinStrict(p, inward, half) ? guess : LastFailing(p, half, guess, p);
    }
    return !WithinStrict(p, outward, half) ? outward
                                           : LastFailing(p, half, toward * INFINITY, guess);
}

// 1 sure to pass, -1 sure to fail, 0 for the exact test.
int Verdict(std::uint32_t codes, const EdgeCodes& edges) {
    bool inside = true;
    for (int axis = 0; axis < 2; ++axis) {
        const std::int16_t code = CodeOn(codes, axis);
        if (code < CodeOn(edges.failLow, axis) || code > CodeOn(edges.failHigh, axis)) {
            return -1;
        }
        inside =
            inside && code > CodeOn(edges.passLow, axis) && code < CodeOn(edges.passHigh, axis);
    }
    return inside ? 1 : 0;
}

int CountSurePassesOneByOne(const std::uint32_t* codes, int first, int n, const EdgeCodes& edges,
                            int* unsure, int& unsureCount) {
    int passes = 0;
    for (int q = first; q < n; ++q) {
        const int verdict = Verdict(codes[q], edges);
        passes += verdict > 0 ? 1 : 0;
        if (verdict == 0) {
            unsure[unsureCount++] = q;
        }
    }
    return passes;
}

int CountMaybePassesOneByOne(const std::uint32_t* codes, int first, int n, const EdgeCodes& edges) {
    int kept = 0;
    for (int q = first; q < n; ++q) {
        kept += Verdict(codes[q], edges) >= 0 ? 1 : 0;
    }
    return kept;
}

// Of eight members' codes `v` (each 16-bit lane one member's code on one axis), those sure to
// fail on neither axis, a bit each.
__attribute__((target("avx2"), always_inline)) inline int NotSureToFail(__m256i v, __m256i failLow,
                                                                        __m256i failHigh) {
    const __m256i outside =
        _mm256_or_si256(_mm256_cmpgt_epi16(failLow, v), _mm256_cmpgt_epi16(v, failHigh));
    return _mm256_movemask_ps(
        _mm256_castsi256_ps(_mm256_cmpeq_epi32(outside, _mm256_setzero_si256())));
}

// Eight members a step.
__attribute__((target("avx2"))) int CountSurePassesEightWide(const std::uint32_t* codes, int n,
                                                             const EdgeCodes& edges, int* unsure,
                                                             int& unsureCount) {
    const __m256i failLow = _mm256_set1_epi32(static_cast<int>(edges.failLow));
    const __m256i passLow = _mm256_set1_epi32(static_cast<int>(edges.passLow));
    const __m256i passHigh = _mm256_set1_epi32(static_cast<int>(edges.passHigh));
    const __m256i failHigh = _mm256_set1_epi32(static_cast<int>(edges.failHigh));
    const __m256i allSet = _mm256_set1_epi32(-1);
    int passes = 0;
    int q = 0;
    for (; q + 8 <= n; q += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + q));
        const __m256i inside =
            _mm256_and_si256(_mm256_cmpgt_epi16(v, passLow), _mm256_cmpgt_epi16(passHigh, v));
        const int sure =
            _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(inside, allSet)));
        const int kept = NotSureToFail(v, failLow, failHigh);
        passes += __builtin_popcount(static_cast<unsigned>(sure));
        for (unsigned left = static_cast<unsigned>(kept & ~sure); left != 0; left &= left - 1) {
            unsure[unsureCount++] = q + __builtin_ctz(left);
        }
    }
    _mm256_zeroupper();
    return passes + CountSurePassesOneByOne(codes, q, n, edges, unsure, unsureCount);
}

// The members not sure to fail, eight a step.
__attribute__((target("avx2"))) int CountMaybePassesEightWide(const std::uint32_t* codes, int n,
                                                              const EdgeCodes& edges) {
    const __m256i failLow = _mm256_set1_epi32(static_cast<int>(edges.failLow));
    const __m256i failHigh = _mm256_set1_epi32(static_cast<int>(edges.failHigh));
    int kept = 0;
    int q = 0;
    for (; q + 8 <= n; q += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + q));
        kept += __builtin_popcount(static_cast<unsigned>(NotSureToFail(v, failLow, failHigh)));
    }
    _mm256_zeroupper();
    return kept + CountMaybePassesOneByOne(codes, q, n, edges);
}

}  // namespace

int CountMaybePasses(const std::uint32_t* codes, int n, const EdgeCodes& edges) {
    static const bool eightWide = __builtin_cpu_supports("avx2");
    return eightWide ? CountMaybePassesEightWide(codes, n, edges)
                     : CountMaybePassesOneByOne(codes, 0, n, edges);
}

bool FindBoxEdges(double p, double half, BoxEdges& edges) {
    if (!std::isfinite(p) || !(half > 0.0) || !std::isfinite(half)) {
        return false;
    }
    edges.failLow = EdgeOf(p, half, -1.0);
    edges.failHigh = EdgeOf(p, half, 1.0);
    edges.passLow = Up(edges.failLow);
    edges.passHigh = Down(edges.failHigh);
    return true;
}

std::int16_t PlaceCode(double x, double low, double scale) {
    const double code = std::floor((x - low) * scale);
    if (!(code > -1.0)) {
        return -1;
    }
    return static_cast<std::int16_t>(code < 32767.0 ? code : 32767.0);
}

EdgeCodes EdgeCodesIn(const std::array<BoxEdges, 2>& edges, const std::array<double, 2>& low,
                      const std::array<double, 2>& scale) {
    const auto packed = [&](double BoxEdges::*edge) {
        return PackCodes(PlaceCode(edges[0].*edge, low[0], scale[0]),
                         PlaceCode(edges[1].*edge, low[1], scale[1]));
    };
    return {packed(&BoxEdges::failLow), packed(&BoxEdges::passLow), packed(&BoxEdges::passHigh),
            packed(&BoxEdges::failHigh)};
}

int CountSurePasses(const std::uint32_t* codes, int n, const EdgeCodes& edges, int* unsure,
                    int& unsureCount) {
    unsureCount = 0;
    static const bool eightWide = __builtin_cpu_supports("avx2");
    return eightWide ? CountSurePassesEightWide(codes, n, edges, unsure, unsureCount)
                     : CountSurePassesOneByOne(codes, 0, n, edges, unsure, unsureCount);
}

}  // namespace korvane::estimate
