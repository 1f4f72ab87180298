#include "density/DensityFill.h"

#include <algorithm>
#include <cmath>

#include "density/Distance.h"
#include "density/Kernel.h"
#include "picture/ColourScale.h"
#include "common/FloatNarrowing.h"

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

// Where an event at `x` probably starts to count: only a hint, the search checks it.
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

// The positions p for which the event coordinate x passes the box test of half width
// `halfWidth`, inclusive (|x - p| <= halfWidth) or strict (|x - p| < halfWidth). As the
// positions grow, x - p never grows (rounding keeps subtraction monotone), so the passing
// positions form one run whose ends follow from the two one-sided tests, which together are
// exactly the absolute-value test.
IndexRange PassingRange(const std::vector<double>& positions, bool ascending, double x,
                        double halfWidth, bool inclusive, double scale) {
    const int n = static_cast<int>(positions.size());
    IndexRange range;
    if (n == 0) {
        return range;
    }
    if (!ascending) {
        // Only a raster of at most two positions walks downward; test each.
        range.lo = n;
        for (int k = 0; k < n; ++k) {
            const bool passes = inclusive ? WithinInclusive(x, positions[k], halfWidth)
                                          : WithinStrict(x, positions[k], halfWidth);
            if (passes) {
                range.lo = std::min(range.lo, k);
                range.hi = k + 1;
            }
        }
        return range;
    }
    const double* p = positions.data();
    const int guess = GuessIndex(positions, x - halfWidth, scale);
    if (inclusive) {
        range.lo = PartitionNear(p, n, guess, [&](double q) { return x - q > halfWidth; });
        range.hi = PartitionNear(p + range.lo, n - range.lo, 0,
                                 [&](double q) { return x - q >= -halfWidth; }) +
                   range.lo;
    } else {
        range.lo = PartitionNear(p, n, guess, [&](double q) { return x - q >= halfWidth; });
        range.hi = PartitionNear(p + range.lo, n - range.lo, 0,
                                 [&](double q) { return x - q > -halfWidth; }) +
                   range.lo;
    }
    return range;
}

struct EventBox {
    IndexRange columns;
    IndexRange rows;
};

class PictureFiller {
  public:
    PictureFiller(const DensityGrid& grid, const EventRecord* run, int count,
                  const PixelTests& tests)
        : m_grid(grid),
          m_run(run),
          m_count(count),
          m_tests(tests),
          m_hHalfWidth(BoxHalfWidth(tests.radius, tests.hScale)),
          m_vHalfWidth(BoxHalfWidth(tests.radius, tests.vScale)),
          m_columns(static_cast<int>(grid.columnPositions.size())),
          m_rows(static_cast<int>(grid.rowPositions.size())) {}

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }

    IndexRange RowsOf(const EventRecord& e) const {
        return PassingRange(m_grid.rowPositions, m_grid.rowsAscending, e.Column(m_tests.vColumn),
                            m_vHalfWidth, false, m_tests.vScale);
    }

    IndexRange ColumnsOf(const EventRecord& e) const {
        return PassingRange(m_grid.columnPositions, m_grid.columnsAscending,
                            e.Column(m_tests.hColumn), m_hHalfWidth, m_tests.horizontalInclusive,
                            m_tests.hScale);
    }

    // Unit weights: each event adds 1 to a rectangle of a difference array; prefix sums
    // then give every pixel's count, which is exactly the sum of ones.
    void CountEvents(std::vector<int>& counts) const {
        const int stride = m_columns + 1;
        counts.assign(static_cast<std::size_t>(stride) * (m_rows + 1), 0);
        for (int i = 0; i < m_count; ++i) {
            const IndexRange rows = RowsOf(m_run[i]);
            if (rows.empty()) {
                continue;
            }
            const IndexRange cols = ColumnsOf(m_run[i]);
            if (cols.empty()) {
                continue;
            }
            counts[static_cast<std::size_t>(rows.lo) * stride + cols.lo] += 1;
            counts[static_cast<std::size_t>(rows.lo) * stride + cols.hi] -= 1;
            counts[static_cast<std::size_t>(rows.hi) * stride + cols.lo] -= 1;
            counts[static_cast<std::size_t>(rows.hi) * stride + cols.hi] += 1;
        }
        for (int j = 0; j < m_rows; ++j) {
            int* row = &counts[static_cast<std::size_t>(j) * stride];
            for (int k = 1; k < m_columns; ++k) {
                row[k] += row[k - 1];
            }
            if (j > 0) {
                const int* below = row - stride;
                for (int k = 0; k < m_columns; ++k) {
                    row[k] += below[k];
                }
            }
        }
    }

    // Gaussian weights for the rows [rowBegin, rowEnd): every event of the run, in table
    // order, adds its weight to each pixel of its box within those rows.
    void SumWeights(int rowBegin, int rowEnd, double* densities) const {
        std::fill(densities + static_cast<std::size_t>(rowBegin) * m_columns,
                  densities + static_cast<std::size_t>(rowEnd) * m_columns, 0.0);
        std::vector<double> across(static_cast<std::size_t>(m_columns));
        const double* h = m_grid.columnPositions.data();
        const double* v = m_grid.rowPositions.data();
        const double radius = m_tests.radius;
        for (int i = 0; i < m_count; ++i) {
            const EventRecord& e = m_run[i];
            IndexRange rows = RowsOf(e);
            rows.lo = std::max(rows.lo, rowBegin);
            rows.hi = std::min(rows.hi, rowEnd);
            if (rows.empty()) {
                continue;
            }
            const IndexRange cols = ColumnsOf(e);
            if (cols.empty()) {
                continue;
            }
            const double eh = e.Column(m_tests.hColumn);
            const double ev = e.Column(m_tests.vColumn);
            for (int k = cols.lo; k < cols.hi; ++k) {
                across[k] = StepsSquared(eh, h[k], m_tests.hScale);
            }
            if (m_tests.withDepth) {
                const double deep = StepsSquared(e.Column(m_tests.depthColumn),
                                                 m_tests.slicePosition, m_tests.depthStep);
                for (int j = rows.lo; j < rows.hi; ++j) {
                    const double up = StepsSquared(ev, v[j], m_tests.vScale);
                    double* row = densities + static_cast<std::size_t>(j) * m_columns;
                    for (int k = cols.lo; k < cols.hi; ++k) {
                        row[k] += KernelWeight(DistanceInSpace(across[k], up, deep), radius, true);
                    }
                }
            } else {
                for (int j = rows.lo; j < rows.hi; ++j) {
                    const double up = StepsSquared(ev, v[j], m_tests.vScale);
                    double* row = densities + static_cast<std::size_t>(j) * m_columns;
                    for (int k = cols.lo; k < cols.hi; ++k) {
                        row[k] += KernelWeight(DistanceInPlane(across[k], up), radius, true);
                    }
                }
            }
        }
    }

  private:
    const DensityGrid& m_grid;
    const EventRecord* m_run;
    int m_count;
    const PixelTests& m_tests;
    double m_hHalfWidth;
    double m_vHalfWidth;
    int m_columns;
    int m_rows;
};

// Row strips for the worker threads; one strip when there is only one thread.
int StripCount(int rows) {
    return std::max(1, std::min(rows, cv::getNumThreads()));
}

}  // namespace

void FillDensityGrid(const DensityGrid& grid, const EventRecord* run, int count,
                     const PixelTests& tests, double densityMaximum, SeriesWorkspace& work) {
    const PictureFiller filler(grid, run, count, tests);
    const int columns = filler.columns();
    const int rows = filler.rows();
    if (columns == 0 || rows == 0) {
        return;
    }
    const float maximum = NarrowToFloat(densityMaximum);
    cv::Mat& raster = work.raster;
    const int strips = StripCount(rows);
    auto stripRows = [rows, strips](int strip) {
        return cv::Range(static_cast<int>(static_cast<long long>(rows) * strip / strips),
                         static_cast<int>(static_cast<long long>(rows) * (strip + 1) / strips));
    };

    if (!tests.gaussian) {
        filler.CountEvents(work.counts);
        const int stride = columns + 1;
        int highest = 0;
        for (int j = 0; j < rows; ++j) {
            const int* row = &work.counts[static_cast<std::size_t>(j) * stride];
            highest = std::max(highest, *std::max_element(row, row + columns));
        }
        work.countColours.resize(static_cast<std::size_t>(highest) + 1);
        for (int c = 0; c <= highest; ++c) {
            work.countColours[c] = DensityToPixel(static_cast<double>(c), maximum);
        }
        const cv::Vec3b* colours = work.countColours.data();
        const int* counts = work.counts.data();
        const int height = grid.height;
        cv::parallel_for_(
            cv::Range(0, strips),
            [&](const cv::Range& range) {
                for (int strip = range.start; strip < range.end; ++strip) {
                    const cv::Range band = stripRows(strip);
                    for (int j = band.start; j < band.end; ++j) {
                        const int* row = counts + static_cast<std::size_t>(j) * stride;
                        cv::Vec3b* pixels = raster.ptr<cv::Vec3b>(height - 1 - j);
                        for (int k = 0; k < columns; ++k) {
                            pixels[k] = colours[row[k]];
                        }
                    }
                }
            },
            strips);
        return;
    }

    work.densities.resize(static_cast<std::size_t>(rows) * columns);
    double* densities = work.densities.data();
    const cv::Vec3b zero = DensityToPixel(0.0, maximum);
    const int height = grid.height;
    cv::parallel_for_(
        cv::Range(0, strips),
        [&](const cv::Range& range) {
            for (int strip = range.start; strip < range.end; ++strip) {
                const cv::Range band = stripRows(strip);
                filler.SumWeights(band.start, band.end, densities);
                for (int j = band.start; j < band.end; ++j) {
                    const double* row = densities + static_cast<std::size_t>(j) * columns;
                    cv::Vec3b* pixels = raster.ptr<cv::Vec3b>(height - 1 - j);
                    for (int k = 0; k < columns; ++k) {
                        pixels[k] = row[k] == 0.0 ? zero : DensityToPixel(row[k], maximum);
                    }
                }
            }
        },
        strips);
}

}  // namespace korvane
