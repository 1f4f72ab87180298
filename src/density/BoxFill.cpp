#include "density/BoxFill.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <opencv2/core.hpp>

#include "density/Distance.h"
#include "density/KernelBox.h"

namespace korvane {

namespace {

// Indices [lo, hi) of the positions whose test passes; empty when lo >= hi.
struct IndexRange {
    int lo = 0;
    int hi = 0;
    bool empty() const { return lo >= hi; }
};

// The first index in [0, n) where `pred` is false, `pred` being true on a prefix of the
// positions; searched outward from `guess` so a good guess costs a step or two.
template <class Pred>
int PartitionNear(const double* positions, int n, int guess, Pred pred) {
    guess = std::clamp(guess, 0, n);
    int lo = guess;
    int hi = guess;
    int step = 1;
    if (guess < n && pred(positions[guess])) {
        lo = guess + 1;
        hi = lo;
        while (hi < n && pred(positions[hi])) {
            lo = hi + 1;
            hi = std::min(n, lo + step);
            step *= 2;
        }
    } else {
        while (lo > 0 && !pred(positions[lo - 1])) {
            hi = lo - 1;
            lo = std::max(0, hi - step);
            step *= 2;
        }
    }
    return static_cast<int>(std::partition_point(positions + lo, positions + hi, pred) - positions);
}

// Where a point at `x` probably starts to count: only a hint, the search checks it.
int GuessIndex(const std::vector<double>& positions, double x, double scale) {
    const double guess = std::floor((x - positions.front()) / scale);
    if (!(guess > 0.0)) {
        return 0;
    }
    if (guess >= static_cast<double>(positions.size())) {
        return static_cast<int>(positions.size());
    }
    return static_cast<int>(guess);
}

bool Passes(const FillAxis& axis, double x, double position) {
    return axis.inclusive ? WithinInclusive(x, position, axis.halfWidth)
                          : WithinStrict(x, position, axis.halfWidth);
}

// Whether a point's box along `axis` is one run of positions that bisection finds.
bool IsRun(const FillAxis& axis, double x) {
    return axis.ordered && std::isfinite(x);
}

// The positions p that pass the box test for x, on ordered positions. As the positions grow,
// x - p never grows (rounding keeps subtraction monotone), so the passing positions form one
// run whose ends follow from the two one-sided tests, which together are exactly the
// absolute-value test.
IndexRange RunOf(const FillAxis& axis, double x) {
    const std::vector<double>& positions = *axis.positions;
    const int n = static_cast<int>(positions.size());
    IndexRange range;
    if (n == 0) {
        return range;
    }
    const double* p = positions.data();
    const double half = axis.halfWidth;
    const int guess = GuessIndex(positions, x - half, axis.spacing);
    // The far end is guessed from the far edge too: searched from the near end it would take
    // a few doubling steps and a bisection across the whole box.
    const int guessEnd = GuessIndex(positions, x + half, axis.spacing);
    if (axis.inclusive) {
        range.lo = PartitionNear(p, n, guess, [&](double q) { return x - q > half; });
        range.hi = PartitionNear(p + range.lo, n - range.lo, guessEnd - range.lo,
                                 [&](double q) { return x - q >= -half; }) +
                   range.lo;
    } else {
        range.lo = PartitionNear(p, n, guess, [&](double q) { return x - q >= half; });
        range.hi = PartitionNear(p + range.lo, n - range.lo, guessEnd - range.lo,
                                 [&](double q) { return x - q > -half; }) +
                   range.lo;
    }
    return range;
}

}  // namespace

BoxRectangle RectangleOf(const FillAxis& columns, const FillAxis& rows, double across, double up) {
    if (!IsRun(columns, across) || !IsRun(rows, up)) {
        return {};
    }
    const IndexRange r = RunOf(rows, up);
    const IndexRange c = RunOf(columns, across);
    return {r.lo, r.hi, c.lo, c.hi};
}

namespace {

// Every index whose position passes, one by one: for positions that are not finite or not
// in order, or a point that is not finite.
void ListOf(const FillAxis& axis, double x, std::vector<int>& out) {
    out.clear();
    const std::vector<double>& positions = *axis.positions;
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (Passes(axis, x, positions[k])) {
            out.push_back(static_cast<int>(k));
        }
    }
}

// The indices of a point's box along one axis, as a run or a list.
void IndicesOf(const FillAxis& axis, double x, std::vector<int>& out) {
    if (IsRun(axis, x)) {
        const IndexRange run = RunOf(axis, x);
        out.clear();
        for (int k = run.lo; k < run.hi; ++k) {
            out.push_back(k);
        }
    } else {
        ListOf(axis, x, out);
    }
}

// Every pixel's count from the difference array, row by row from the bottom: the sum along
// the row plus the count below. Each row goes to `visitor` while it is still in the cache.
void SumDifferences(DensityField& field, const CountRowVisitor* visitor) {
    const int C = field.columns;
    const int R = field.rows;
    const std::size_t stride = static_cast<std::size_t>(C) + 1;
    field.counts.resize(stride * (static_cast<std::size_t>(R) + 1));
    const int* differences = field.differences.data();
    int* counts = field.counts.data();
    int highest = 0;
    for (int j = 0; j < R; ++j) {
        const int* difference = differences + j * stride;
        int* row = counts + j * stride;
        const int* below = j > 0 ? row - stride : nullptr;
        int across = 0;
        int top = 0;
        for (int k = 0; k < C; ++k) {
            across += difference[k];
            row[k] = below != nullptr ? across + below[k] : across;
            top = std::max(top, row[k]);
        }
        highest = std::max(highest, top);
        if (visitor != nullptr) {
            (*visitor)(j, row, top);
        }
    }
    field.highestCount = highest;
}

// Unit weights: each point adds 1 to the corners of a difference array for every rectangle
// of pixels its box covers (one rectangle, or one per pixel for a box that is not a run of
// columns and rows); prefix sums then give every pixel's count, exactly the sum of ones.
void CountPoints(const FillAxis& columns, const FillAxis& rows, bool continuing,
                 const CountRowVisitor* visitor, const BoxRectangle* rectangles,
                 DensityField& field) {
    const int C = field.columns;
    const int R = field.rows;
    const std::size_t stride = static_cast<std::size_t>(C) + 1;
    const std::size_t cells = stride * (static_cast<std::size_t>(R) + 1);
    if (!continuing || field.differences.size() != cells) {
        field.differences.assign(cells, 0);
    }
    int* differences = field.differences.data();
    auto addRectangle = [&](IndexRange r, IndexRange c) {
        differences[r.lo * stride + c.lo] += 1;
        differences[r.lo * stride + c.hi] -= 1;
        differences[r.hi * stride + c.lo] -= 1;
        differences[r.hi * stride + c.hi] += 1;
    };
    std::vector<int> columnList;
    std::vector<int> rowList;
    for (std::size_t i = 0; i < field.points.size(); ++i) {
        const BoxPoint& point = field.points[i];
        const BoxRectangle box = rectangles != nullptr
                                     ? rectangles[i]
                                     : RectangleOf(columns, rows, point.across, point.up);
        if (box.rowLo >= 0) {
            const IndexRange r{box.rowLo, box.rowHi};
            const IndexRange c{box.columnLo, box.columnHi};
            if (!r.empty() && !c.empty()) {
                addRectangle(r, c);
            }
            continue;
        }
        IndicesOf(columns, point.across, columnList);
        IndicesOf(rows, point.up, rowList);
        for (int j : rowList) {
            for (int k : columnList) {
                addRectangle({j, j + 1}, {k, k + 1});
            }
        }
    }
    SumDifferences(field, visitor);
}

// The rows go to the strips of the worker threads in bands, in turn: about BandsPerStrip
// bands each, so that a dense cluster's rows are shared by every thread rather than falling
// to one, yet each band is several boxes high, so that most boxes lie in one band and the
// work of finding a box's pixels and their distances is not repeated by every thread.
constexpr int BandsPerStrip = 8;
constexpr int MinBandRows = 4;

struct Strips {
    int count;     // of strips, one per thread at most
    int bandRows;  // rows per band
};

Strips StripsFor(int rows) {
    const int threads = std::max(1, cv::getNumThreads());
    const int bandRows = std::max(MinBandRows, rows / (threads * BandsPerStrip));
    const int bands = (rows + bandRows - 1) / bandRows;
    return {std::max(1, std::min(bands, threads)), bandRows};
}

bool InStrip(int row, int strip, const Strips& strips) {
    return (row / strips.bandRows) % strips.count == strip;
}

// pixels[i] += weights[i] for every i < n, eight at a time: each pixel still adds its
// points in their order, one point's box after the other.
__attribute__((target("avx512f"))) void AddEachEightWide(const double* weights, int n,
                                                         double* pixels) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        _mm512_storeu_pd(pixels + i,
                         _mm512_add_pd(_mm512_loadu_pd(pixels + i), _mm512_loadu_pd(weights + i)));
    }
    if (i < n) {
        const __mmask8 rest = static_cast<__mmask8>((1U << (n - i)) - 1);
        _mm512_mask_storeu_pd(pixels + i, rest,
                              _mm512_add_pd(_mm512_maskz_loadu_pd(rest, pixels + i),
                                            _mm512_maskz_loadu_pd(rest, weights + i)));
    }
    _mm256_zeroupper();
}

bool EightWideAddInUse() {
    static const bool inUse = __builtin_cpu_supports("avx512f");
    return inUse;
}

// Gaussian or point weights for the rows of one strip (see InStrip): every point, in order,
// adds its weight to each pixel of its box within those rows: the kernel weight, times the
// point's weight when the field is weighted (the point's weight alone for unit kernel weights).
template <bool Weighted>
void SumWeights(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
                int strip, const Strips& strips, const BoxRectangle* rectangles,
                DensityField& field) {
    const double radius = weighting.radius;
    const bool gaussian = weighting.gaussian;
    const int C = field.columns;
    double* sums = field.sums.data();
    const double* h = columns.positions->data();
    const double* v = rows.positions->data();
    std::vector<double> across;
    std::vector<double> up;
    std::vector<double> kernel;
    std::vector<int> columnList;
    std::vector<int> rowList;
    const bool wideAdd = EightWideAddInUse();
    std::vector<char> mine(static_cast<std::size_t>(field.rows));
    for (int row = 0; row < field.rows; ++row) {
        mine[row] = InStrip(row, strip, strips) ? 1 : 0;
    }
    for (std::size_t p = 0; p < field.points.size(); ++p) {
        const BoxPoint& point = field.points[p];
        const bool known = rectangles != nullptr && rectangles[p].rowLo >= 0;
        if (known) {
            rowList.clear();
            for (int row = rectangles[p].rowLo; row < rectangles[p].rowHi; ++row) {
                if (mine[row] != 0) {
                    rowList.push_back(row);
                }
            }
        } else {
            IndicesOf(rows, point.up, rowList);
            rowList.erase(std::remove_if(rowList.begin(), rowList.end(),
                                         [&](int row) { return mine[row] == 0; }),
                          rowList.end());
        }
        if (rowList.empty()) {
            continue;
        }
        if (known) {
            columnList.clear();
            for (int column = rectangles[p].columnLo; column < rectangles[p].columnHi; ++column) {
                columnList.push_back(column);
            }
        } else {
            IndicesOf(columns, point.across, columnList);
        }
        if (columnList.empty()) {
            continue;
        }
        if (!gaussian) {
            // Only a weighted field gets here without a Gaussian: the point's weight. A run of
            // columns lies side by side, and its loop goes several pixels at a time.
            const bool run = IsRun(columns, point.across);
            const int n = static_cast<int>(columnList.size());
            for (int j : rowList) {
                double* row = sums + static_cast<std::size_t>(j) * C;
                if (run) {
                    double* pixel = row + columnList.front();
                    for (int i = 0; i < n; ++i) {
                        pixel[i] += point.weight;
                    }
                } else {
                    for (int k : columnList) {
                        row[k] += point.weight;
                    }
                }
            }
            continue;
        }
        across.clear();
        for (int k : columnList) {
            across.push_back(StepsSquared(point.across, h[k], columns.scale));
        }
        up.clear();
        for (int j : rowList) {
            up.push_back(StepsSquared(point.up, v[j], rows.scale));
        }
        const int n = static_cast<int>(columnList.size());
        kernel.resize(rowList.size() * columnList.size());
        GaussianWeightsOfBox(across.data(), n, up.data(), static_cast<int>(rowList.size()),
                             point.depthSquared, radius, kernel.data());
        const double* weight = kernel.data();
        // On ordered columns a box's columns are one run: its pixels lie side by side.
        const bool run = IsRun(columns, point.across);
        for (int j : rowList) {
            double* row = sums + static_cast<std::size_t>(j) * C;
            if (run && !Weighted && wideAdd) {
                AddEachEightWide(weight, n, row + columnList.front());
            } else if (run) {
                double* pixel = row + columnList.front();
                for (int i = 0; i < n; ++i) {
                    pixel[i] += Weighted ? point.weight * weight[i] : weight[i];
                }
            } else {
                for (int i = 0; i < n; ++i) {
                    row[columnList[i]] += Weighted ? point.weight * weight[i] : weight[i];
                }
            }
            weight += n;
        }
    }
}

}  // namespace

bool PositionsOrdered(const std::vector<double>& positions) {
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (!std::isfinite(positions[k]) || (k > 0 && positions[k] < positions[k - 1])) {
            return false;
        }
    }
    return true;
}

void FillBoxes(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
               DensityField& field, bool continuing, const CountRowVisitor* visitor,
               const BoxRectangle* rectangles) {
    const int C = static_cast<int>(columns.positions->size());
    const int R = static_cast<int>(rows.positions->size());
    const bool counted = !weighting.gaussian && !field.weighted;
    continuing = continuing && field.columns == C && field.rows == R && field.counted == counted;
    field.columns = C;
    field.rows = R;
    field.counted = counted;
    field.highestCount = 0;
    if (C == 0 || R == 0) {
        return;
    }
    if (field.counted) {
        CountPoints(columns, rows, continuing, visitor, rectangles, field);
        return;
    }
    const std::size_t cells = static_cast<std::size_t>(R) * C;
    if (!continuing || field.sums.size() != cells) {
        field.sums.assign(cells, 0.0);
    }
    // Row strips for the worker threads; every pixel still adds its points in their order.
    const Strips strips = StripsFor(field.rows);
    cv::parallel_for_(
        cv::Range(0, strips.count),
        [&](const cv::Range& range) {
            for (int strip = range.start; strip < range.end; ++strip) {
                if (field.weighted) {
                    SumWeights<true>(columns, rows, weighting, strip, strips, rectangles, field);
                } else {
                    SumWeights<false>(columns, rows, weighting, strip, strips, rectangles, field);
                }
            }
        },
        strips.count);
}

}  // namespace korvane
