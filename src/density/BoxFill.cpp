#include "density/BoxFill.h"

#include <algorithm>
#include <cmath>
#include <opencv2/core.hpp>
#include <utility>

#include "density/BoxBands.h"
#include "density/Distance.h"
#include "density/Kernel.h"
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

// What a thread keeps between the points of its bands.
struct BoxScratch {
    std::vector<double> across;    // the kernel's factor of each column of a box (or 1)
    std::vector<double> up;        // of each row, times the point's weight
    std::vector<double> weighted;  // of each row times a weight, where `up` serves two pictures
};

// The points' rectangles: the caller's, or found here once, into field.boxes.
const BoxRectangle* RectanglesFor(const FillAxis& columns, const FillAxis& rows,
                                  const BoxRectangle* rectangles, DensityField& field) {
    if (rectangles != nullptr) {
        return rectangles;
    }
    const int n = static_cast<int>(field.points.size());
    field.boxes.resize(static_cast<std::size_t>(n));
    cv::parallel_for_(cv::Range(0, n), [&](const cv::Range& range) {
        for (int i = range.start; i < range.end; ++i) {
            const BoxPoint& point = field.points[static_cast<std::size_t>(i)];
            field.boxes[static_cast<std::size_t>(i)] =
                RectangleOf(columns, rows, point.across, point.up);
        }
    });
    return field.boxes.data();
}

// Rows [rowLo, rowHi) of the sums back to zero.
void ClearRows(DensityField& field, int rowLo, int rowHi) {
    const auto stride = static_cast<std::ptrdiff_t>(field.columns);
    std::fill(field.sums.begin() + rowLo * stride, field.sums.begin() + rowHi * stride, 0.0);
}

// The bands of rows of a field `bandRows` high each: how many.
int BandsOf(const DensityField& field, int bandRows) {
    return (field.rows + bandRows - 1) / bandRows;
}

// Calls add(b, rowLo, rowHi, scratch) for each band b of `bandRows` rows of a field `rows` high,
// the bands shared among the threads, each thread with its scratch.
template <class AddBand>
void ForEachBand(int rows, int bandRows, int bands, AddBand add) {
    cv::parallel_for_(
        cv::Range(0, bands),
        [&](const cv::Range& range) {
            BoxScratch scratch;
            for (int b = range.start; b < range.end; ++b) {
                const int rowLo = b * bandRows;
                add(b, rowLo, std::min(rows, rowLo + bandRows), scratch);
            }
        },
        bands);
}

BoxKernel KernelOf(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting) {
    return {weighting.gaussian, GaussianAxisOf(columns.scale, weighting.radius),
            GaussianAxisOf(rows.scale, weighting.radius)};
}

// The point adds to the rows of [rowLo, rowHi) that its box covers.
void AddPointInRows(const FillAxis& columns, const FillAxis& rows, const BoxKernel& kernel,
                    const BandPoint& entry, int rowLo, int rowHi, BoxScratch& scratch,
                    DensityField& field) {
    const BoxRectangle& box = entry.box;
    const int r0 = std::max(box.rowLo, rowLo);
    const int r1 = std::min(box.rowHi, rowHi);
    FactorsOf(columns, entry.point.across, box.columnLo, box.columnHi, kernel.gaussian,
              kernel.columns, scratch.across);
    FactorsOf(rows, entry.point.up, r0, r1, kernel.gaussian, kernel.rows, scratch.up);
    for (double& factor : scratch.up) {
        factor *= entry.point.weight;
    }
    const std::size_t stride = static_cast<std::size_t>(field.columns);
    AddBox(field.sums.data() + static_cast<std::size_t>(r0) * stride + box.columnLo, stride,
           scratch.across.data(), box.columnHi - box.columnLo, scratch.up.data(), r1 - r0);
}

// Gaussian or point weights: every point adds its weight times its kernel factors to each pixel
// of its box, band by band (see BandBytes). `fresh`: the sums start from zero, each band's rows
// cleared by the thread that adds to them rather than all at once before.
void SumPoints(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
               const BoxRectangle* rectangles, bool fresh, DensityField& field) {
    const int n = static_cast<int>(field.points.size());
    rectangles = RectanglesFor(columns, rows, rectangles, field);
    const int bandRows = BandRowsFor(field.columns, field.rows);
    const int bands = BandsOf(field, bandRows);
    std::vector<int> listed;
    PutInBands(
        rectangles, n, bandRows, bands,
        [&](int i, const BoxRectangle& box) {
            return BandPoint{field.points[static_cast<std::size_t>(i)], box};
        },
        field.bandStarts, field.bandPoints, listed);
    const std::vector<int>& starts = field.bandStarts;
    const std::vector<BandPoint>& inBands = field.bandPoints;
    const BoxKernel kernel = KernelOf(columns, rows, weighting);
    ForEachBand(field.rows, bandRows, bands, [&](int b, int rowLo, int rowHi, BoxScratch& scratch) {
        if (fresh) {
            ClearRows(field, rowLo, rowHi);
        }
        for (int k = starts[static_cast<std::size_t>(b)];
             k < starts[static_cast<std::size_t>(b) + 1]; ++k) {
            AddPointInRows(columns, rows, kernel, inBands[static_cast<std::size_t>(k)], rowLo,
                           rowHi, scratch, field);
        }
    });
    std::vector<int> columnList;
    std::vector<int> rowList;
    for (int i : listed) {
        const BoxPoint& point = field.points[static_cast<std::size_t>(i)];
        AddListedPoint(columns, rows, weighting, point.across, point.up, point.weight,
                       field.sums.data(), field.columns, columnList, rowList);
    }
}

// A point of two pictures adds to the rows of [rowLo, rowHi) that its box covers, in each
// picture it lies in: its factors are found once, then weighted for each picture as AddPointInRows
// weighs them.
void AddPairInRows(const FillAxis& columns, const FillAxis& rows, const BoxKernel& kernel,
                   const BandPairPoint& entry, int rowLo, int rowHi, BoxScratch& scratch,
                   DensityField& first, DensityField& second) {
    const BoxRectangle& box = entry.entry.box;
    const int r0 = std::max(box.rowLo, rowLo);
    const int r1 = std::min(box.rowHi, rowHi);
    const BoxPoint& point = entry.entry.point;
    FactorsOf(columns, point.across, box.columnLo, box.columnHi, kernel.gaussian, kernel.columns,
              scratch.across);
    FactorsOf(rows, point.up, r0, r1, kernel.gaussian, kernel.rows, scratch.up);
    const std::size_t stride = static_cast<std::size_t>(first.columns);
    const auto addTo = [&](DensityField& field, double weight) {
        scratch.weighted.resize(scratch.up.size());
        for (std::size_t j = 0; j < scratch.up.size(); ++j) {
            scratch.weighted[j] = scratch.up[j] * weight;
        }
        AddBox(field.sums.data() + static_cast<std::size_t>(r0) * stride + box.columnLo, stride,
               scratch.across.data(), box.columnHi - box.columnLo, scratch.weighted.data(),
               r1 - r0);
    };
    if (entry.inFirst) {
        addTo(first, point.weight);
    }
    if (entry.inSecond) {
        addTo(second, entry.secondWeight);
    }
}

bool Holds(PointSpan span, int i) {
    return span.begin <= i && i < span.end;
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

void AddListedPoint(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
                    double across, double up, double weight, double* sums, int stride,
                    std::vector<int>& columnList, std::vector<int>& rowList) {
    IndicesOf(columns, across, columnList);
    IndicesOf(rows, up, rowList);
    const auto factor = [&](const FillAxis& axis, double x, int k) {
        const double steps =
            std::fabs(x - (*axis.positions)[static_cast<std::size_t>(k)]) / axis.scale;
        return weighting.gaussian ? KernelWeight(steps, weighting.radius, true) : 1.0;
    };
    for (int j : rowList) {
        double* row = sums + static_cast<std::size_t>(j) * stride;
        const double rowFactor = weight * factor(rows, up, j);
        for (int k : columnList) {
            row[k] += rowFactor * factor(columns, across, k);
        }
    }
}

void FillBoxes(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
               DensityField& field, bool continuing, const CountRowVisitor* visitor,
               const BoxRectangle* rectangles) {
    const int C = static_cast<int>(columns.positions->size());
    const int R = static_cast<int>(rows.positions->size());
    const bool counted = CountsEvents(weighting, field.weighted);
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
    const bool fresh = !continuing || field.sums.size() != cells;
    field.sums.resize(cells);
    SumPoints(columns, rows, weighting, rectangles, fresh, field);
}

void FillBoxPair(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
                 DensityField& first, PointSpan firstSpan, DensityField& second,
                 PointSpan secondSpan, const BoxRectangle* rectangles) {
    if (CountsEvents(weighting, first.weighted)) {
        // Counts have no factors to share: each picture is filled from its own points.
        for (auto [field, span] : {std::pair{&first, firstSpan}, std::pair{&second, secondSpan}}) {
            field->points.erase(field->points.begin() + span.end, field->points.end());
            field->points.erase(field->points.begin(), field->points.begin() + span.begin);
            FillBoxes(columns, rows, weighting, *field, false, nullptr,
                      rectangles != nullptr ? rectangles + span.begin : nullptr);
        }
        return;
    }
    const int C = static_cast<int>(columns.positions->size());
    const int R = static_cast<int>(rows.positions->size());
    for (DensityField* field : {&first, &second}) {
        field->columns = C;
        field->rows = R;
        field->counted = false;
        field->highestCount = 0;
        field->sums.resize(static_cast<std::size_t>(R) * C);
    }
    if (C == 0 || R == 0) {
        return;
    }
    const int n = static_cast<int>(first.points.size());
    rectangles = RectanglesFor(columns, rows, rectangles, first);
    const int bandRows = BandRowsFor(C, R);
    const int bands = BandsOf(first, bandRows);
    std::vector<int> listed;
    PutInBands(
        rectangles, n, bandRows, bands,
        [&](int i, const BoxRectangle& box) {
            const auto index = static_cast<std::size_t>(i);
            return BandPairPoint{{first.points[index], box},
                                 second.points[index].weight,
                                 Holds(firstSpan, i),
                                 Holds(secondSpan, i)};
        },
        first.bandStarts, first.bandPairs, listed);
    const BoxKernel kernel = KernelOf(columns, rows, weighting);
    ForEachBand(R, bandRows, bands, [&](int b, int rowLo, int rowHi, BoxScratch& scratch) {
        ClearRows(first, rowLo, rowHi);
        ClearRows(second, rowLo, rowHi);
        for (int k = first.bandStarts[static_cast<std::size_t>(b)];
             k < first.bandStarts[static_cast<std::size_t>(b) + 1]; ++k) {
            AddPairInRows(columns, rows, kernel, first.bandPairs[static_cast<std::size_t>(k)],
                          rowLo, rowHi, scratch, first, second);
        }
    });
    std::vector<int> columnList;
    std::vector<int> rowList;
    for (int i : listed) {
        const auto index = static_cast<std::size_t>(i);
        const BoxPoint& point = first.points[index];
        if (Holds(firstSpan, i)) {
            AddListedPoint(columns, rows, weighting, point.across, point.up, point.weight,
                           first.sums.data(), C, columnList, rowList);
        }
        if (Holds(secondSpan, i)) {
            AddListedPoint(columns, rows, weighting, point.across, point.up,
                           second.points[index].weight, second.sums.data(), C, columnList, rowList);
        }
    }
}

}  // namespace korvane
