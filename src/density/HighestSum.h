#pragma once
// The estimator behind every automatic top of the colour scale: the highest kernel sum at a
// point's own place, over points in space, in a picture plane or projected.

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <opencv2/core.hpp>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/CoreStretches.h"
#include "common/FillLaterVector.h"
#include "common/RunObserver.h"
#include "density/CodeTallies.h"
#include "density/Distance.h"
#include "density/Kernel.h"
#include "density/PairBounds.h"
#include "density/PlaceCodes.h"
#include "density/RunWeights.h"
#include "density/SubCellBlocks.h"
#include "density/SumBatches.h"

namespace korvane::estimate {

// Cells along the gridded axes are a little wider than 1/k of a half width (k cells per half
// width), so two events closer than the half width along an axis always lie at most k cells
// apart, even after the rounding of (x - origin) / cell. That rounding stays far below the
// margin while the range spans fewer than MaxCellsPerAxis cells. One cell per half width
// suits sparse clouds; in dense ones finer cells let the columns wholly inside a box count
// at once, so fewer events are tested one by one (see CellsPerHalfWidthFor).
constexpr double CellMargin = 1.0 + 1.0 / 1048576.0;  // 1 + 2^-20
constexpr double MaxCellsPerAxis = 1073741824.0;      // 2^30

// The cells per half width for points with about `partners` partners each: the columns
// around a point grow as (2k + 1)^2 while the events tested one by one shrink as 1 / k, so
// finer cells only pay once the boxes are full. Kernel sums are bounded at each column's
// nearest corner, which finer cells bring nearer: 8 paid for them at ten million clustered
// events (about 23,000 partners), not at one million. Only the speed depends on the choice.
inline int CellsPerHalfWidthFor(double partners, bool kernel) {
    if (partners < 256.0) {
        return 1;
    }
    if (partners < 2048.0) {
        return 2;
    }
    return partners < (kernel ? 8192.0 : 65536.0) ? 4 : 8;
}

// An event's coordinates on the box axes, and its time.
template <int Dims>
struct Point {
    std::array<double, Dims> c;
    double t;
};

// The points of an estimate: millions, filled by the caller.
template <int Dims>
using Points = FillLaterVector<Point<Dims>>;

// The extra test of a sum whose box is the whole condition: every pair passes it. A column
// of events lying wholly inside a point's box then counts without a test per event.
struct AnyTime {
    template <class P>
    bool operator()(const P& /*a*/, const P& /*b*/) const {
        return true;
    }
};

// The extra test of a cumulative window: only points strictly earlier than the event count.
struct Earlier {
    template <class P>
    bool operator()(const P& a, const P& b) const {
        return b.t < a.t;
    }
};

// Sorts distinct indices in [0, limit) ascending: by their 11-bit digits, lowest first (a
// stable counting sort per digit), for the long lists of dense clouds; short lists by
// comparison.
inline void SortIndices(std::vector<int>& values, std::vector<int>& scratch, int limit) {
    constexpr int DigitBits = 11;
    constexpr int Digits = 1 << DigitBits;
    if (values.size() < 256) {
        std::sort(values.begin(), values.end());
        return;
    }
    scratch.resize(values.size());
    std::array<int, Digits + 1> starts;
    for (int shift = 0; shift < 31 && (limit - 1) >> shift > 0; shift += DigitBits) {
        starts.fill(0);
        for (int value : values) {
            ++starts[((value >> shift) & (Digits - 1)) + 1];
        }
        for (int d = 1; d <= Digits; ++d) {
            starts[d] += starts[d - 1];
        }
        for (int value : values) {
            scratch[starts[(value >> shift) & (Digits - 1)]++] = value;
        }
        values.swap(scratch);
    }
}

// The highest kernel sum over a list of points. Point j counts for point i when it lies in
// the strict box around i on every axis and passes `extra(i, j)`; each sum adds the weights
// of i's points in ascending j, exactly as the plain all-pairs loop does, so the result is
// that loop's to the last bit. Kernel weights are never above 1.
//
// Points may carry weights of their own (at least 0, any size): j then adds its weight
// times the kernel weight (or its weight alone for unit kernels), still in ascending j.
//
// The first Dims - 1 axes are cut into cells; within a column of cells the events are sorted
// on the last axis, where an event's partners form one run; as the events of a column are
// visited in order, both ends of each neighbouring column's run only move forward, tested
// with the exact comparison (the difference x_i - x_j never grows as x_j grows).
template <int Dims, class Extra, class Squared>
class HighestSum {
  public:
    static constexpr int Gridded = Dims - 1;
    using Key = std::array<int, Gridded>;

    // `observer` (may be null) sees the events done, every few thousand, and may stop the
    // estimate: Compute() then returns 0 and the caller asks the observer again.
    // `pointWeights` (may be null: every point weighs 1) holds one weight per point.
    HighestSum(Points<Dims> points, const std::array<double, Dims>& halfWidths,
               const Weighting& weighting, Extra extra, Squared squared,
               const double* pointWeights = nullptr, RunObserver* observer = nullptr)
        : m_points(std::move(points)),
          m_count(static_cast<int>(m_points.size())),
          m_half(halfWidths),
          m_unit(!weighting.gaussian),
          m_radius(weighting.radius),
          m_extra(extra),
          m_squared(squared),
          m_pointWeights(pointWeights),
          m_ticker(observer, TickEvents) {}

    double Compute() {
        const int n = static_cast<int>(m_points.size());
        if (n == 0) {
            return 0.0;
        }
        for (double half : m_half) {
            // A strict test against a half width of zero, below or not a number never
            // passes: every sum stays 0.
            if (!(half > 0.0)) {
                return 0.0;
            }
        }
        // Finer cells pay where a column can pass at once (the box is the whole condition), where
        // whole runs bound counts (earlier-only counts too, see BoundColumnBySlabs) and where
        // whole runs bound sums (the nearer corners of finer columns bound them closer).
        m_cellsPerHalf = CellsPerHalfWidthFor(SampledPartners(), !m_unit);
        bool columns = BuildColumns();
        // Finer cells can overrun the cells an axis may span where coarser ones do not: rather
        // than visit every pair, take coarser cells.
        while (!columns && m_cellsPerHalf > 1) {
            m_cellsPerHalf /= 2;
            columns = BuildColumns();
        }
        if (m_ticker.Stopped()) {
            return 0.0;
        }
        m_sums.resize(static_cast<std::size_t>(n));  // after the columns: a lower peak
        FillOnEveryCore(m_sums, 0.0);
        if (columns) {
            if (m_unit && m_pointWeights == nullptr) {
                if (m_cellsPerHalf > 1) {
                    CountBoundedHighestFirst();
                } else {
                    CountByColumns();
                }
            } else {
                SumBoundedHighestFirst();
            }
        } else {
            SumAllPairs();
        }
        double result = 0.0;
        if (m_ticker.Stopped()) {
            return result;
        }
        for (double sum : m_sums) {
            if (sum > result) {
                result = sum;
            }
        }
        return result;
    }

  private:
    // How often the estimate reports and asks whether to stop, in events; the parallel loops
    // run in chunks of about this much work so the asking stays on the caller's thread.
    static constexpr long long TickEvents = 4096;
    static constexpr long long ChunkPairs = 1LL << 24;
    static constexpr int PieceMembers = 2048;  // see Piece
    static constexpr int TimeBins = 64;        // see BinTimes
    // The partners a batch of kernel sums may stand for (see SumBatches.h): tens of
    // milliseconds on two cores, whether pair bounds come first (about a nanosecond a
    // partner) or each member is summed whole (an exponential and a sorted place a partner).
    static constexpr double PairBoundBatchPartners = 1048576.0;
    static constexpr double WholeSumBatchPartners = 262144.0;
    // Points sorted into columns are dealt into about this many per bucket, in at most
    // MaxBuckets buckets (see PutInColumnOrder).
    static constexpr std::size_t BucketMembers = 1024;
    static constexpr std::size_t MaxBuckets = 4096;
    // Putting the points into columns asks whether to stop about every this many points.
    static constexpr std::size_t CheckEvery = std::size_t{1} << 19;
    // A cell's width in place codes: half their range, so rounding never takes a member's
    // code to the top.
    static constexpr double CodesPerCell = 16384.0;

    // The progress of `steps` steps: one per point, or two where bounds come first (kernel
    // or point weights, dense unit counts): the bounds, then the sums that can be the highest.
    long long Done(long long steps) const {
        return m_unit && m_pointWeights == nullptr && m_cellsPerHalf == 1 ? steps : steps / 2;
    }

    double KernelOf(const Point<Dims>& a, const Point<Dims>& b) const {
        return KernelWeight(std::sqrt(m_squared(a, b)), m_radius, true);
    }

    // What point j (at b) adds to the sum of the point at a.
    double Term(const Point<Dims>& a, const Point<Dims>& b, int j) const {
        if (m_pointWeights == nullptr) {
            return m_unit ? 1.0 : KernelOf(a, b);
        }
        return m_unit ? m_pointWeights[j] : m_pointWeights[j] * KernelOf(a, b);
    }

    // Upper bounds of the kernel weight by squared distance, so a bound of a whole sum needs
    // no exponential per pair. Entry e holds the weight at the squared distance (e - 1) x
    // step, raised by 2^-40. The squared distance of a pair is taken in table steps with one
    // multiplication per axis instead of the kernel's divisions: that moves it by a few units
    // in the last place, far less than the step of slack, and the computed weight of a larger
    // distance cannot exceed the computed weight of a smaller one by more than a few units in
    // the last place of each operation (2^-44 all told), far below the raise. The box's
    // corner lies at 3 radius^2 at most; beyond the table the last entry serves.
    // False when the factors do not come out finite: the bounds are then the counts.
    bool BuildKernelBounds() {
        constexpr int Entries = 4096;
        m_boundStep = 3.0 * m_radius * m_radius / (Entries - 2);
        m_kernelBounds.resize(Entries);
        for (int e = 0; e < Entries; ++e) {
            const double below = std::max(0, e - 1) * m_boundStep;
            m_kernelBounds[e] =
                KernelWeight(std::sqrt(below), m_radius, true) * (1.0 + 1.0 / 1099511627776.0);
        }
        // Each axis' share of the squared distance per squared unit, probed with the kernel's
        // own distance: 0 on an axis the distance leaves out (the time of a time window).
        bool finite = std::isfinite(m_boundStep) && m_boundStep > 0.0;
        for (int a = 0; a < Dims; ++a) {
            Point<Dims> origin{};
            Point<Dims> along{};
            along.c[a] = m_half[a];
            m_boundFactor[a] = m_squared(origin, along) / (m_half[a] * m_half[a]) / m_boundStep;
            finite = finite && std::isfinite(m_boundFactor[a]);
        }
        return finite;
    }

    // The kernel bound of the nearest place of column k's gridded extent to p (the last axis
    // counted as no distance): no member of the column lies nearer on any gridded axis, as
    // the rounded difference never shrinks away from p.
    double NearestCornerBound(const Point<Dims>& p, int k) const {
        double steps = 0.0;
        for (int axis = 0; axis < Gridded; ++axis) {
            steps += StepsOutside(p.c[axis], m_columnLow[k][axis], m_columnHigh[k][axis], axis);
        }
        return BoundAtSteps(steps);
    }

    // The share of `axis` in the squared steps from x to the nearest place of [low, high] on it
    // (0 within it, and on an axis the distance leaves out).
    double StepsOutside(double x, double low, double high, int axis) const {
        const double d = x < low ? low - x : (x > high ? x - high : 0.0);
        return m_boundFactor[axis] > 0.0 ? d * d * m_boundFactor[axis] : 0.0;
    }

    // The members of a neighbouring column that pass the last axis' test against x. Within
    // the column the members are sorted on the last axis, so they form one run [lo, hi):
    // lo is the first member with x - y < half, hi the first from there with x - y <= -half.
    // The events of a column are visited in ascending x, and x - y never shrinks as x
    // grows, so both ends only move forward.
    struct NeighbourRun {
        int lo;
        int hi;
        int end;
    };

    // Where member after member of one column found its neighbouring runs. The members of a
    // batch go in column order, so most follow one of their own column at a higher place on
    // the last axis: their neighbouring columns are the same, and each run's ends move
    // forward from where they were (LeapRun) instead of being bisected anew.
    struct RunCursor {
        int column = -1;
        double last = 0.0;  // the place of the member that left the runs
        std::vector<std::pair<int, int>> neighbours;
        std::vector<NeighbourRun> runs;
    };

    // A neighbouring run of a member and its coarse bound (see PairBoundOfMember).
    struct CoarseRun {
        int lo;
        int hi;
        double bound;  // the run's length times the kernel bound of its column's nearest place
    };

    // Member m's bound from each partner's kernel bound, found as in SumOfMember but added
    // run by run (four at a time in space where the processor can), raised as in
    // SumBoundedHighestFirst: the raise covers any order of adding them. The runs go from
    // the largest coarse bound down, and once the pairs' bounds so far plus the coarse
    // bounds of the runs left are no more than `highest`, that bound is returned at once:
    // it already shows the sum cannot beat `highest`. Every term of it is still a bound of
    // one pair (or of a run's pairs together), so the same raise holds.
    double PairBoundOfMember(int m, RunCursor& cursor, std::vector<CoarseRun>& runs,
                             std::vector<double>& left, double highest) const {
        const Point<Dims>& p = m_memberPoints[m];
        PairBoundTotal sum;
        PairBoundSum wide = nullptr;
        PairBoundFrame frame{};
        if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
            static_assert(sizeof(Point<Dims>) == 4 * sizeof(double));
            wide = WidePairBounds();
            frame = PairBoundFrameOf(p);
        }
        if (m_pointWeights != nullptr) {
            frame.weights = m_memberWeights.empty() ? nullptr : m_memberWeights.data();
            wide = frame.weights != nullptr ? wide : nullptr;
        }
        runs.clear();
        int members = 0;
        ForEachRun(m, cursor, [&](int lo, int hi) {
            runs.push_back({lo, hi, CoarseRunBound(p, lo, hi)});
            members += hi - lo;
        });
        // Most bounds by blocks end within the first hundred runs or so: only those are sorted
        // first (the order changes only how soon a bound ends, never what it bounds).
        constexpr std::size_t BlockRunsSorted = 128;
        SortRunsAndAddUp(runs, left, m_subCells.Empty() ? SIZE_MAX : BlockRunsSorted);
        // Where the columns' blocks were counted by sub-cell, each run's coarse bound gives way
        // to its blocks' (see BlockBoundOfRun), largest coarse bound first, until the bound so
        // far with the coarse bounds left cannot beat `highest`.
        if (!m_subCells.Empty()) {
            double closer = 0.0;
            for (std::size_t r = 0; r < runs.size(); ++r) {
                const double sofar = RaisedBound(closer + left[r], members);
                if (sofar <= highest) {
                    return sofar;
                }
                runs[r].bound = std::min(runs[r].bound, BlockBoundOfRun(p, runs[r].lo, runs[r].hi));
                closer += runs[r].bound;
            }
            const double blocks = RaisedBound(closer, members);
            if (blocks <= highest) {
                return blocks;
            }
            SortRunsAndAddUp(runs, left);
        }
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const PairBoundTotal run = PairBoundsOf(p, runs[r].lo, runs[r].hi, wide, frame);
            sum.total += run.total;
            sum.count += run.count;
            const double sofar = RaisedBound(sum.total + left[r + 1], members);
            if (sofar <= highest) {
                return sofar;
            }
        }
        return RaisedBound(sum.total, sum.count);
    }

    // Sorts runs by falling bound, or only the largest `sorted` of them, the rest after them
    // in any order; left[r] becomes the bounds of runs r.. added (0 after the last).
    static void SortRunsAndAddUp(std::vector<CoarseRun>& runs, std::vector<double>& left,
                                 std::size_t sorted = SIZE_MAX) {
        const auto larger = [](const CoarseRun& a, const CoarseRun& b) {
            return a.bound > b.bound;
        };
        if (sorted < runs.size()) {
            std::nth_element(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(sorted),
                             runs.end(), larger);
        }
        std::sort(runs.begin(),
                  runs.begin() + static_cast<std::ptrdiff_t>(std::min(sorted, runs.size())),
                  larger);
        left.assign(runs.size() + 1, 0.0);
        for (std::size_t r = runs.size(); r-- > 0;) {
            left[r] = left[r + 1] + runs[r].bound;
        }
    }

    // The kernel bounds of the members [lo, hi) that pass the tests on the gridded axes
    // against p (times their weights, with point weights), `wide` taking all but the last few.
    PairBoundTotal PairBoundsOf(const Point<Dims>& p, int lo, int hi, PairBoundSum wide,
                                const PairBoundFrame& frame) const {
        PairBoundTotal sum;
        if (wide != nullptr) {
            const int whole = (hi - lo) / 4 * 4;
            PairBoundFrame runFrame = frame;
            runFrame.weights = frame.weights != nullptr ? frame.weights + lo : nullptr;
            sum =
                wide(reinterpret_cast<const double*>(m_memberPoints.data() + lo), whole, runFrame);
            lo += whole;
        }
        for (int q = lo; q < hi; ++q) {
            const bool passes = PassesGridded(p, m_memberPoints[q]);
            double bound = KernelBound(p, m_memberPoints[q]);
            if (m_pointWeights != nullptr) {
                bound *= m_pointWeights[m_memberIndex[q]];
            }
            sum.count += passes ? 1 : 0;
            sum.total += passes ? bound : 0.0;
        }
        return sum;
    }

    // A bound of the kernel bounds of the members [lo, hi) of one column against p (unweighted,
    // three axes), block by block (SubCellBlocks): each sub-cell's members at its nearest place
    // to p on the gridded axes (none where that place fails the box) and at the block's
    // nearest place on the last axis. The members before the first whole block and after the
    // last go together at the nearest of those sub-cells' places and their own nearest place
    // on the last axis.
    double BlockBoundOfRun(const Point<Dims>& p, int lo, int hi) const {
        constexpr int Block = SubCellBlocks::BlockMembers;
        constexpr int Parts = SubCellBlocks::Parts;
        const int column = m_memberColumn[lo];
        const int start = m_starts[column];
        SubCellBlocks::BlockFrame frame{
            {}, 0U, m_kernelBounds.data(), static_cast<int>(m_kernelBounds.size() - 1)};
        // Each sub-cell's share of the squared steps on the gridded axes, in axis order.
        std::array<std::array<double, Parts>, 2> share{};
        std::array<std::array<bool, Parts>, 2> passes{};
        for (int axis = 0; axis < 2; ++axis) {
            const double x = p.c[axis];
            const std::array<SubCellBlocks::Extent, Parts> parts =
                SubCellBlocks::PartExtents({m_columnLow[column][axis], m_columnHigh[column][axis]});
            for (int part = 0; part < Parts; ++part) {
                const SubCellBlocks::Extent& places = parts[part];
                share[axis][part] = StepsOutside(x, places.low, places.high, axis);
                passes[axis][part] =
                    WithinStrict(x, std::clamp(x, places.low, places.high), m_half[axis]);
            }
        }
        double nearest = INFINITY;  // the fewest steps of a sub-cell that may pass
        for (int j = 0; j < Parts; ++j) {
            for (int i = 0; i < Parts; ++i) {
                const double steps = share[0][i] + share[1][j];
                frame.steps[i + Parts * j] = steps;
                if (passes[0][i] && passes[1][j]) {
                    frame.may |= 1U << (i + Parts * j);
                    nearest = std::min(nearest, steps);
                }
            }
        }
        if (frame.may == 0) {
            return 0.0;  // no member can pass
        }
        const auto depthOf = [&](int from, int to) {  // members [from, to), to > from
            return StepsOutside(p.c[Dims - 1], m_memberLast[from], m_memberLast[to - 1], Dims - 1);
        };
        const int first = std::min((lo - start + Block - 1) / Block, (hi - start) / Block);
        const int end = (hi - start) / Block;
        double total = 0.0;
        for (const auto& [from, to] : {std::pair{lo, start + first * Block},
                                       std::pair{std::max(lo, start + end * Block), hi}}) {
            if (to > from) {
                total += (to - from) * BoundAtSteps(nearest + depthOf(from, to));
            }
        }
        constexpr int Chunk = 64;
        std::array<double, Chunk> depths{};
        for (int b = first; b < end; b += Chunk) {
            const int n = std::min(Chunk, end - b);
            for (int k = 0; k < n; ++k) {
                const int from = start + (b + k) * Block;
                depths[static_cast<std::size_t>(k)] = depthOf(from, from + Block);
            }
            total +=
                SubCellBlocks::BlockBounds(m_subCells.Counts(column, b), depths.data(), n, frame);
        }
        return total;
    }

    // The coarse bound of the members [lo, hi) of one neighbouring column of p: their number, or
    // with point weights a bound of their weight, times the kernel bound at the column's
    // nearest place to p (unit kernels: 1, or 0 where no member can pass).
    [[gnu::always_inline]] double CoarseRunBound(const Point<Dims>& p, int lo, int hi) const {
        const int column = m_memberColumn[lo];
        const double weight = m_pointWeights == nullptr
                                  ? static_cast<double>(hi - lo)
                                  : m_runWeights.Bound(m_starts[column], lo, hi);
        if (!m_kernelBounded) {
            return ColumnMayPass(p, column) ? weight : 0.0;
        }
        return weight * NearestCornerBound(p, column);
    }

    // Unit kernels with point weights: member m's bound from the exact weights of the members of
    // the runs its box cuts and the weight bounds of the runs wholly inside, cut runs of the
    // largest weight first; as in PairBoundOfMember, once the bound so far and the runs left
    // are no more than `highest`, that comes back at once.
    double CutBoundOfMember(int m, RunCursor& cursor, std::vector<CoarseRun>& cut,
                            std::vector<double>& left, double highest) const {
        const Point<Dims>& p = m_memberPoints[m];
        double total = 0.0;  // of the runs inside, then of the cut runs' passing members
        int members = 0;
        cut.clear();
        ForEachRun(m, cursor, [&](int lo, int hi) {
            const double bound = CoarseRunBound(p, lo, hi);
            if (ColumnInside(p, m_memberColumn[lo])) {
                total += bound;
            } else if (bound > 0.0) {
                cut.push_back({lo, hi, bound});
            }
            members += hi - lo;
        });
        SortRunsAndAddUp(cut, left);
        for (std::size_t r = 0; r < cut.size(); ++r) {
            const double sofar = RaisedBound(total + left[r], members);
            if (sofar <= highest) {
                return sofar;
            }
            for (int q = cut[r].lo; q < cut[r].hi; ++q) {
                total +=
                    PassesGridded(p, m_memberPoints[q]) ? m_pointWeights[m_memberIndex[q]] : 0.0;
            }
        }
        return RaisedBound(total, members);
    }

    // Whether any member of column k can pass the tests on the gridded axes against p: its
    // nearest place on each axis does (see ColumnInside).
    bool ColumnMayPass(const Point<Dims>& p, int k) const {
        bool may = true;
        for (int axis = 0; axis < Gridded; ++axis) {
            const double nearest =
                std::clamp(p.c[axis], m_columnLow[k][axis], m_columnHigh[k][axis]);
            may &= WithinStrict(p.c[axis], nearest, m_half[axis]);
        }
        return may;
    }

    // What the wide pair bounds of p share (three box axes only), unweighted.
    PairBoundFrame PairBoundFrameOf(const Point<Dims>& p) const {
        static_assert(Dims == 3);
        return {{p.c[0], p.c[1], p.c[2]},
                {m_half[0], m_half[1]},
                {m_boundFactor[0], m_boundFactor[1], m_boundFactor[2]},
                m_kernelBounds.data(),
                static_cast<int>(m_kernelBounds.size() - 1)};
    }

    // A sum of `count` bounds of one sign in one order, raised above their sum in any other.
    static double RaisedBound(double total, int count) {
        constexpr double Ulp = 1.0 / 9007199254740992.0;  // 2^-53
        return total * (1.0 + (4.0 * count + 4.0) * Ulp);
    }

    // The table's entry for a squared distance of `steps` table steps; beyond the table (or
    // not a number) the last.
    double BoundAtSteps(double steps) const {
        const double last = static_cast<double>(m_kernelBounds.size() - 1);
        return m_kernelBounds[static_cast<std::size_t>(steps < last ? steps : last)];
    }

    // An axis the distance leaves out adds nothing, even where the square of its difference
    // overflows (infinity times 0 is not a number).
    double KernelBound(const Point<Dims>& a, const Point<Dims>& b) const {
        double steps = 0.0;
        for (int axis = 0; axis < Dims; ++axis) {
            const double d = a.c[axis] - b.c[axis];
            steps += m_boundFactor[axis] > 0.0 ? d * d * m_boundFactor[axis] : 0.0;
        }
        return BoundAtSteps(steps);
    }

    struct Member {
        std::uint64_t key;  // the column's number: rises with its key
        double last;
        int index;
        int from;  // where it stood in its bucket before the sort
        bool operator<(const Member& other) const {
            if (key != other.key) {
                return key < other.key;
            }
            if (last != other.last) {
                return last < other.last;
            }
            return index < other.index;
        }
    };

    bool Passes(const Point<Dims>& a, const Point<Dims>& b) const {
        for (int axis = 0; axis < Dims; ++axis) {
            if (!WithinStrict(a.c[axis], b.c[axis], m_half[axis])) {
                return false;
            }
        }
        return m_extra(a, b);
    }

    // About how many partners a point has: those of a few hundred evenly spread points among
    // an evenly spread share of all points, scaled up (a dense cluster of a few per cent of
    // the events is still sampled). It costs about half a million tests at most.
    double SampledPartners() const {
        const int n = static_cast<int>(m_points.size());
        constexpr int Samples = 256;
        constexpr int Pool = 2048;
        const int samples = std::min(n, Samples);
        const int stride = std::max(1, n / Pool);
        long long hits = 0;
        for (int s = 0; s < samples; ++s) {
            const Point<Dims>& p = m_points[static_cast<long long>(s) * n / samples];
            for (int j = 0; j < n; j += stride) {
                hits += Passes(p, m_points[j]) ? 1 : 0;
            }
        }
        return static_cast<double>(hits) * stride / samples;
    }

    // Whether every box coordinate of a point is finite. One that is not passes no strict
    // test against anything (the differences are infinite or not a number): its sum stays 0
    // and it adds to no one's.
    static bool Finite(const Point<Dims>& point) {
        bool finite = true;
        for (int a = 0; a < Dims; ++a) {
            finite = finite && std::isfinite(point.c[a]);
        }
        return finite;
    }

    // Sorts the events with finite box coordinates into columns of cells; false when a box
    // is unbounded or the range too wide for safe cell indices, and the plain loop must do.
    bool BuildColumns() {
        const int n = static_cast<int>(m_points.size());
        std::array<double, Gridded> low;
        std::array<double, Gridded> high;
        low.fill(INFINITY);
        high.fill(-INFINITY);
        std::size_t count = 0;  // of the members: the points with finite box coordinates
        for (int i = 0; i < n; ++i) {
            if (!Finite(m_points[i])) {
                continue;
            }
            ++count;
            for (int a = 0; a < Gridded; ++a) {
                low[a] = std::min(low[a], m_points[i].c[a]);
                high[a] = std::max(high[a], m_points[i].c[a]);
            }
        }
        for (double half : m_half) {
            if (!std::isfinite(half)) {
                return false;
            }
        }
        if (count == 0) {
            return true;  // no columns, every sum 0
        }
        std::array<double, Gridded> cell;
        for (int a = 0; a < Gridded; ++a) {
            cell[a] = m_half[a] * CellMargin / m_cellsPerHalf;
            m_codeScale[a] = CodesPerCell / cell[a];
            const double span = (high[a] - low[a]) / cell[a];
            if (!(cell[a] > 0.0) || !std::isfinite(cell[a]) || !(span < MaxCellsPerAxis)) {
                return false;
            }
        }
        auto keyOf = [&](const Point<Dims>& point) {
            Key key;
            for (int a = 0; a < Gridded; ++a) {
                key[a] = static_cast<int>(std::floor((point.c[a] - low[a]) / cell[a]));
            }
            return key;
        };
        Point<Dims> highest{};
        for (int a = 0; a < Gridded; ++a) {
            highest.c[a] = high[a];
        }
        const std::vector<std::size_t> buckets = PutInColumnOrder(keyOf, keyOf(highest), count);
        if (m_ticker.Stopped()) {
            return true;  // the caller asks the ticker
        }
        const std::size_t columns = FindColumns(keyOf, buckets);
        // Filled on every core: by DescribeColumn, the points left out here.
        m_memberLast.resize(count);
        m_memberColumn.resize(count);
        m_position.resize(static_cast<std::size_t>(m_count));
        FillOnEveryCore(m_position, -1);
        m_columnLow.clear();
        m_columnHigh.clear();
        m_columnLow.resize(columns);
        m_columnHigh.resize(columns);
        const bool coded = WantsPlaceCodes();
        if (coded) {
            ReservePlaceCodes();
        }
        // The columns' own arrays on every core, a stretch of about CheckEvery members at a
        // time so that a stop is heard between them.
        for (std::size_t first = 0; first < columns;) {
            if (m_ticker.Check(0)) {
                return true;
            }
            std::size_t end = first + 1;
            while (end < columns &&
                   static_cast<std::size_t>(m_starts[end] - m_starts[first]) < CheckEvery) {
                ++end;
            }
            cv::parallel_for_(cv::Range(static_cast<int>(first), static_cast<int>(end)),
                              [&](const cv::Range& range) {
                                  for (int c = range.start; c < range.end; ++c) {
                                      DescribeColumn(c);
                                      if (coded) {
                                          CodeColumn(c);
                                      }
                                  }
                              });
            first = end;
        }
        return true;
    }

    // The columns' keys and first members, and their number. The buckets of PutInColumnOrder
    // (their first members, in `buckets`) hold whole columns, so each is searched on its own,
    // on every core: once to count its columns, once to write them where the buckets before
    // leave off. Every array is sized exactly: a catalogue of millions leaves no room for slack.
    template <class KeyOf>
    std::size_t FindColumns(KeyOf keyOf, const std::vector<std::size_t>& buckets) {
        const int count = static_cast<int>(buckets.size()) - 2;  // the last holds no members
        const auto forEachColumn = [&](int b, auto visit) {
            Key previous{};
            for (std::size_t p = buckets[b]; p < buckets[b + 1]; ++p) {
                const Key key = keyOf(m_memberPoints[p]);
                if (p == buckets[b] || key != previous) {
                    visit(p, key);
                }
                previous = key;
            }
        };
        std::vector<std::size_t> before(static_cast<std::size_t>(count) + 1, 0);
        cv::parallel_for_(cv::Range(0, count), [&](const cv::Range& range) {
            for (int b = range.start; b < range.end; ++b) {
                std::size_t columns = 0;
                forEachColumn(b, [&](std::size_t /*p*/, const Key& /*key*/) { ++columns; });
                before[b + 1] = columns;
            }
        });
        std::partial_sum(before.begin(), before.end(), before.begin());
        const std::size_t columns = before.back();
        m_keys.assign(columns, Key{});
        m_starts.assign(columns + 1, 0);
        cv::parallel_for_(cv::Range(0, count), [&](const cv::Range& range) {
            for (int b = range.start; b < range.end; ++b) {
                std::size_t c = before[b];
                forEachColumn(b, [&](std::size_t p, const Key& key) {
                    m_keys[c] = key;
                    m_starts[c] = static_cast<int>(p);
                    ++c;
                });
            }
        });
        m_starts[columns] = static_cast<int>(buckets[count]);
        return columns;
    }

    // Every element of `values` set to `value`, a stretch per core.
    template <class Vector, class Value>
    static void FillOnEveryCore(Vector& values, Value value) {
        CoreStretches{values.size()}.ForEach([&](int /*k*/, std::size_t begin, std::size_t end) {
            std::fill(values.begin() + static_cast<std::ptrdiff_t>(begin),
                      values.begin() + static_cast<std::ptrdiff_t>(end), value);
        });
    }

    // Column c's extent on the gridded axes, and its members' column, last coordinate and
    // place among the members.
    void DescribeColumn(int c) {
        std::array<double, Gridded>& low = m_columnLow[c];
        std::array<double, Gridded>& high = m_columnHigh[c];
        low.fill(INFINITY);
        high.fill(-INFINITY);
        for (int p = m_starts[c]; p < m_starts[c + 1]; ++p) {
            for (int a = 0; a < Gridded; ++a) {
                const double value = m_memberPoints[p].c[a];
                low[a] = std::min(low[a], value);
                high[a] = std::max(high[a], value);
            }
            m_memberColumn[p] = c;
            m_memberLast[p] = m_memberPoints[p].c[Dims - 1];
            m_position[m_memberIndex[p]] = p;
        }
    }

    // Puts the `count` points with finite box coordinates first in column order (by column
    // key, then on the last axis, then by index), hands them to m_memberPoints and their
    // indices to m_memberIndex; `lastKey` is the key of the highest cell on every axis. A
    // bucket sort in place first deals the points into runs of whole columns in key order,
    // each then sorted on its own, in cache and on every core: one sort of all the points
    // and one permutation across all of memory cost several times more at millions of
    // events, and a second copy of the points would not fit beside the table.
    // Returns where each bucket's members start, and after the last the number of members and
    // of points (empty after a stop).
    template <class KeyOf>
    std::vector<std::size_t> PutInColumnOrder(KeyOf keyOf, const Key& lastKey, std::size_t count) {
        const std::size_t n = m_points.size();
        // The columns numbered from 0 in key order; each bucket takes a stretch of numbers.
        std::array<std::uint64_t, Gridded> stride;
        std::uint64_t numbers = 1;
        for (int a = Gridded - 1; a >= 0; --a) {
            stride[a] = numbers;
            numbers *= static_cast<std::uint64_t>(lastKey[a]) + 1;  // below 2^62 all told
        }
        const auto numberOf = [&](const Point<Dims>& point) {
            const Key key = keyOf(point);
            std::uint64_t number = 0;
            for (int a = 0; a < Gridded; ++a) {
                number += static_cast<std::uint64_t>(key[a]) * stride[a];
            }
            return number;
        };
        const std::size_t buckets = std::clamp<std::size_t>(count / BucketMembers, 1, MaxBuckets);
        const std::uint64_t perBucket = (numbers + buckets - 1) / buckets;
        std::vector<std::uint16_t> bucketOf(n);
        std::vector<std::size_t> starts(buckets + 2, 0);  // the points left out in the last
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t bucket = buckets;
            if (Finite(m_points[i])) {
                bucket = static_cast<std::size_t>(numberOf(m_points[i]) / perBucket);
            }
            bucketOf[i] = static_cast<std::uint16_t>(bucket);
            ++starts[bucket + 1];
        }
        for (std::size_t b = 1; b < starts.size(); ++b) {
            starts[b] += starts[b - 1];
        }
        std::vector<int> order(n);
        std::iota(order.begin(), order.end(), 0);
        // Each point is swapped straight to the next free place of its bucket; the places
        // before `next` of a bucket are settled.
        std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
        if (m_ticker.Check(0)) {
            return {};
        }
        std::size_t looked = 0;
        for (std::size_t b = 0; b <= buckets; ++b) {
            while (next[b] < starts[b + 1]) {
                if (++looked % CheckEvery == 0 && m_ticker.Check(0)) {
                    return {};
                }
                const std::size_t i = next[b];
                const std::size_t to = bucketOf[i];
                if (to == b) {
                    ++next[b];
                    continue;
                }
                const std::size_t j = next[to]++;
                std::swap(m_points[i], m_points[j]);
                std::swap(order[i], order[j]);
                std::swap(bucketOf[i], bucketOf[j]);
            }
        }
        std::vector<std::uint16_t>().swap(bucketOf);
        // A stretch of buckets at a time, so that a stop is heard between them.
        const std::size_t stretch = std::max<std::size_t>(1, CheckEvery / BucketMembers);
        for (std::size_t first = 0; first < buckets; first += stretch) {
            if (m_ticker.Check(0)) {
                return {};
            }
            const auto end = static_cast<int>(std::min(buckets, first + stretch));
            cv::parallel_for_(cv::Range(static_cast<int>(first), end), [&](const cv::Range& range) {
                BucketScratch scratch;
                for (int b = range.start; b < range.end; ++b) {
                    SortBucket(starts[b], starts[b + 1], numberOf, b * perBucket, perBucket, order,
                               scratch);
                }
            });
        }
        order.resize(count);
        m_memberIndex = std::move(order);
        m_points.resize(count);
        m_memberPoints = std::move(m_points);
        m_points = {};
        return starts;
    }

    struct BucketScratch {
        std::vector<Member> dealt;  // in the bucket's order, before counting into columns
        std::vector<Member> sorted;
        std::vector<int> columnStarts;
    };

    // Sorts the points of [begin, end) and their indices in `order` into column order, the
    // points by following the cycles of the permutation (within the bucket: in cache). The
    // bucket holds the columns numbered from `first` (numberOf) up to `columns` more: where
    // they are not many more than its points, the points are counted into their columns and
    // each column sorted on its own (the order is the same: the column numbers rise with the
    // keys, and no two points compare equal); else all are sorted at once.
    template <class NumberOf>
    void SortBucket(std::size_t begin, std::size_t end, NumberOf numberOf, std::uint64_t first,
                    std::uint64_t columns, std::vector<int>& order, BucketScratch& scratch) {
        const bool crowded = columns <= 4 * (end - begin) + 1024;
        std::vector<Member>& dealt = crowded ? scratch.dealt : scratch.sorted;
        dealt.clear();
        for (std::size_t p = begin; p < end; ++p) {
            dealt.push_back({numberOf(m_points[p]), m_points[p].c[Dims - 1], order[p],
                             static_cast<int>(p - begin)});
        }
        std::vector<Member>& sorted = scratch.sorted;
        if (!crowded) {
            std::sort(sorted.begin(), sorted.end());
        } else {
            std::vector<int>& columnStarts = scratch.columnStarts;
            columnStarts.assign(static_cast<std::size_t>(columns) + 1, 0);
            for (const Member& member : dealt) {
                ++columnStarts[member.key - first + 1];
            }
            for (std::size_t c = 1; c < columnStarts.size(); ++c) {
                columnStarts[c] += columnStarts[c - 1];
            }
            sorted.resize(dealt.size());
            for (const Member& member : dealt) {
                sorted[static_cast<std::size_t>(columnStarts[member.key - first]++)] = member;
            }
            // columnStarts[c] is now where column c + 1 starts.
            for (std::size_t c = 0, from = 0; c + 1 < columnStarts.size(); ++c) {
                const auto to = static_cast<std::size_t>(columnStarts[c]);
                if (to - from > 1) {
                    std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(from),
                              sorted.begin() + static_cast<std::ptrdiff_t>(to));
                }
                from = to;
            }
        }
        Point<Dims>* points = m_points.data() + begin;
        const int size = static_cast<int>(sorted.size());
        for (int k = 0; k < size; ++k) {
            order[begin + static_cast<std::size_t>(k)] = sorted[k].index;
        }
        for (int k = 0; k < size; ++k) {
            if (sorted[k].from < 0 || sorted[k].from == k) {
                continue;
            }
            const Point<Dims> first = points[k];
            int place = k;
            while (true) {
                const int source = std::exchange(sorted[place].from, -1);
                if (source == k) {
                    points[place] = first;
                    break;
                }
                points[place] = points[source];
                place = source;
            }
        }
    }

    // The member ranges of the columns within m_cellsPerHalf cells of column `c` on every
    // gridded axis. The keys are sorted, so for each choice of the other axes the columns
    // along the last gridded axis are one stretch of keys, found by one bisection. A caller
    // that visits the columns in ascending order passes `hints` (empty at first): each
    // stretch then starts after the previous column's, and is found by a search forward
    // from there, which spares the bisections of sparse clouds' many columns.
    void NeighbourColumns(int c, std::vector<std::pair<int, int>>& ranges,
                          std::vector<std::size_t>* hints = nullptr) const {
        ranges.clear();
        std::size_t stretch = 0;
        const int k = m_cellsPerHalf;
        constexpr int Last = Gridded - 1;
        Key offset;
        offset.fill(-k);
        while (true) {
            Key next;
            bool valid = true;
            for (int a = 0; a < Last; ++a) {
                const long long index = static_cast<long long>(m_keys[c][a]) + offset[a];
                valid = valid && index >= 0 && index <= MaxCellsPerAxis;
                next[a] = static_cast<int>(index);
            }
            if (valid) {
                const int centre = m_keys[c][Last];
                next[Last] = std::max(0, centre - k);
                auto found = hints != nullptr
                                 ? FirstKeyFrom(*hints, stretch, next)
                                 : std::lower_bound(m_keys.begin(), m_keys.end(), next);
                for (; found != m_keys.end(); ++found) {
                    bool same = (*found)[Last] <= centre + k;
                    for (int a = 0; a < Last; ++a) {
                        same = same && (*found)[a] == next[a];
                    }
                    if (!same) {
                        break;
                    }
                    const std::size_t index = static_cast<std::size_t>(found - m_keys.begin());
                    ranges.emplace_back(m_starts[index], m_starts[index + 1]);
                }
            }
            ++stretch;
            int a = 0;
            while (a < Last && offset[a] == k) {
                offset[a] = -k;
                ++a;
            }
            if (a == Last) {
                break;
            }
            ++offset[a];
        }
    }

    // The first key not below `target`, searched forward from hint `stretch` (no key before
    // it is below the targets that come there, as they only grow) by doubling steps; the hint
    // moves to it.
    typename std::vector<Key>::const_iterator FirstKeyFrom(std::vector<std::size_t>& hints,
                                                           std::size_t stretch,
                                                           const Key& target) const {
        if (hints.size() <= stretch) {
            hints.resize(stretch + 1, 0);
        }
        std::size_t low = hints[stretch];
        std::size_t high = low;
        for (std::size_t step = 1; high < m_keys.size() && m_keys[high] < target; step *= 2) {
            low = high + 1;
            high += step;
        }
        high = std::min(high, m_keys.size());
        const auto found =
            std::lower_bound(m_keys.begin() + static_cast<std::ptrdiff_t>(low),
                             m_keys.begin() + static_cast<std::ptrdiff_t>(high), target);
        hints[stretch] = static_cast<std::size_t>(found - m_keys.begin());
        return found;
    }

    // The box tests on the gridded axes and the extra test; the last axis is settled by the
    // run the members are taken from.
    // Evaluated without early exits: about half the pairs pass, and a branch per test
    // would be mispredicted as often.
    bool PassesGridded(const Point<Dims>& a, const Point<Dims>& b) const {
        bool passes = m_extra(a, b);
        for (int axis = 0; axis < Gridded; ++axis) {
            passes &= WithinStrict(a.c[axis], b.c[axis], m_half[axis]);
        }
        return passes;
    }

    // Whether every member of column k passes the tests on the gridded axes against p. The
    // rounded difference |x - y| never shrinks as y moves away from x on either side, so the
    // column's lowest and highest coordinates bound it for every member between them.
    bool ColumnInside(const Point<Dims>& p, int k) const {
        bool inside = true;
        for (int axis = 0; axis < Gridded; ++axis) {
            inside &= WithinStrict(p.c[axis], m_columnLow[k][axis], m_half[axis]) &&
                      WithinStrict(p.c[axis], m_columnHigh[k][axis], m_half[axis]);
        }
        return inside;
    }

    void AdvanceRun(NeighbourRun& run, double x) const {
        const double half = m_half[Dims - 1];
        const double* values = m_memberLast.data();
        while (run.lo < run.end && x - values[run.lo] >= half) {
            ++run.lo;
        }
        run.hi = std::max(run.hi, run.lo);
        while (run.end > run.hi && x - values[run.hi] > -half) {
            ++run.hi;
        }
    }

    // A column's members [begin, end): a column is cut into pieces of at most PieceMembers
    // so that the threads share even a crowded one.
    struct Piece {
        int column;
        int begin;
        int end;
    };

    // The run of the members of [begin, end) (a neighbouring column) that pass the last
    // axis' test against x, by bisection: where a piece's cursors start.
    NeighbourRun RunAt(int begin, int end, double x) const {
        const double half = m_half[Dims - 1];
        const double* values = m_memberLast.data();
        const double* lo = std::partition_point(values + begin, values + end,
                                                [&](double y) { return x - y >= half; });
        const double* hi =
            std::partition_point(lo, values + end, [&](double y) { return x - y > -half; });
        return {static_cast<int>(lo - values), static_cast<int>(hi - values), end};
    }

    // AdvanceRun's ends, found by steps that double from where they were, then by bisection:
    // as cheap as a bisection after a long way, and one test after none.
    void LeapRun(NeighbourRun& run, double x) const {
        const double half = m_half[Dims - 1];
        run.lo = FirstFailing(run.lo, run.end, [&](double y) { return x - y >= half; });
        run.hi = FirstFailing(std::max(run.hi, run.lo), run.end,
                              [&](double y) { return x - y > -half; });
    }

    // The first member from `from` on whose place fails `holds`, which holds up to some
    // point of [from, end) and fails from there.
    template <class Holds>
    int FirstFailing(int from, int end, Holds holds) const {
        const double* values = m_memberLast.data();
        if (from >= end || !holds(values[from])) {
            return from;
        }
        int known = from;  // holds here
        for (int step = 1;; step *= 2) {
            const int probe = step < end - known ? known + step : end;
            if (probe == end || !holds(values[probe])) {
                return static_cast<int>(
                    std::partition_point(values + known + 1, values + probe, holds) - values);
            }
            known = probe;
        }
    }

    // Unit bounds for the members of a piece of a column, a slab of the last axis at a time:
    // every member from `low` to `high` on it gets the members of the neighbouring columns'
    // runs from the run of `low`'s first end to the run of `high`'s last, which hold the runs
    // of all of them (both ends only move forward as the coordinate grows). A slab half the
    // half width thick loosens the bound a little and moves the runs once per slab rather
    // than once per member.
    //
    // Where only earlier points count, the runs' members are tallied by time bin as the ends
    // move, and each member gets only those of its own bin and the bins before: no later
    // bin holds a point earlier than it. Early members then get bounds well below late ones.
    void BoundColumnBySlabs(const Piece& piece, std::vector<NeighbourRun>& runs) {
        constexpr bool timed = std::is_same_v<Extra, Earlier>;
        const double half = m_half[Dims - 1];
        const double slab = half / 2.0;
        const double* values = m_memberLast.data();
        const std::uint8_t* bins = m_timeBin.data();
        std::array<int, TimeBins> inRuns{};  // the runs' members by time bin
        if constexpr (timed) {
            for (const NeighbourRun& run : runs) {
                for (int q = run.lo; q < run.hi; ++q) {
                    ++inRuns[bins[q]];
                }
            }
        }
        std::array<int, TimeBins> upTo{};  // the runs' members of each bin and the bins before
        for (int m = piece.begin; m < piece.end;) {
            const double low = values[m];
            int end = m + 1;
            while (end < piece.end && values[end] - low < slab) {
                ++end;
            }
            const double high = values[end - 1];
            int count = 0;
            for (NeighbourRun& run : runs) {
                while (run.lo < run.end && low - values[run.lo] >= half) {
                    if constexpr (timed) {
                        inRuns[bins[run.lo]] -= run.lo < run.hi ? 1 : 0;
                    }
                    ++run.lo;
                }
                run.hi = std::max(run.hi, run.lo);
                while (run.end > run.hi && high - values[run.hi] > -half) {
                    if constexpr (timed) {
                        ++inRuns[bins[run.hi]];
                    }
                    ++run.hi;
                }
                count += run.hi - run.lo;
            }
            if constexpr (timed) {
                int below = 0;
                for (int b = 0; b < TimeBins; ++b) {
                    below += inRuns[b];
                    upTo[b] = below;
                }
                for (; m < end; ++m) {
                    m_sums[m_memberIndex[m]] = static_cast<double>(upTo[bins[m]]);
                }
            } else {
                for (; m < end; ++m) {
                    m_sums[m_memberIndex[m]] = static_cast<double>(count);
                }
            }
        }
    }

    // Each member's time bin, for the bounds of earlier-only counts: TimeBins equal spans
    // between the earliest and latest finite time, rising with the time (a time not a number
    // in the last bin, as it counts for no one).
    void BinTimes() {
        double first = std::numeric_limits<double>::infinity();
        double last = -std::numeric_limits<double>::infinity();
        for (const Point<Dims>& p : m_memberPoints) {
            if (std::isfinite(p.t)) {
                first = std::min(first, p.t);
                last = std::max(last, p.t);
            }
        }
        const double perBin = last > first ? TimeBins / (last - first) : 0.0;
        m_timeBin.resize(m_memberPoints.size());
        for (std::size_t m = 0; m < m_memberPoints.size(); ++m) {
            const double bin = (m_memberPoints[m].t - first) * perBin;
            m_timeBin[m] = static_cast<std::uint8_t>(
                std::isnan(bin) ? TimeBins - 1 : std::clamp(bin, 0.0, TimeBins - 1.0));
        }
    }

    // Visits every member q of a neighbouring column of member m that passes the last axis'
    // test against it: within each column they form one run.
    template <class Visit>
    void ForEachInRuns(int m, RunCursor& cursor, Visit visit) const {
        ForEachRun(m, cursor, [&](int lo, int hi) {
            for (int q = lo; q < hi; ++q) {
                visit(q);
            }
        });
    }

    // The same runs, each as the members [lo, hi), found from where `cursor` left them.
    template <class Visit>
    void ForEachRun(int m, RunCursor& cursor, Visit visit) const {
        const int column = m_memberColumn[m];
        const double x = m_memberLast[m];
        if (column != cursor.column || !(x >= cursor.last)) {
            NeighbourColumns(column, cursor.neighbours);
            cursor.runs.clear();
            for (const auto& [begin, end] : cursor.neighbours) {
                cursor.runs.push_back({begin, begin, end});
            }
            cursor.column = column;
        }
        cursor.last = x;
        for (NeighbourRun& run : cursor.runs) {
            LeapRun(run, x);
            if (run.lo < run.hi) {
                visit(run.lo, run.hi);
            }
        }
    }

    // The weights of member m's partners, found by bisection in each neighbouring column,
    // added in ascending point order.
    double SumOfMember(int m, RunCursor& cursor, std::vector<int>& partners,
                       std::vector<int>& scratch) const {
        const Point<Dims>& p = m_memberPoints[m];
        partners.clear();
        ForEachInRuns(m, cursor, [&](int q) {
            if (PassesGridded(p, m_memberPoints[q])) {
                partners.push_back(m_memberIndex[q]);
            }
        });
        SortIndices(partners, scratch, m_count);
        double sum = 0.0;
        for (int j : partners) {
            sum += Term(p, m_memberPoints[m_position[j]], j);
        }
        return sum;
    }

    // Kernel or point weights: only the sums that can be the highest. Each term is at most
    // its bound (the kernel bound of its distance, times the partner's weight; a unit kernel
    // weighs 1, the weights are at least 0, and rounding is monotone), so the sum in
    // ascending order is at most the sum of the bounds in that order; a member's bound is
    // their sum in column order, raised by more than the relative gap two orders of summing
    // n terms of one sign can open, 2 (n - 1) 2^-53 (plus the rounding of the raising
    // itself). The sums are taken in order of falling bound and stop once no bound left is
    // above the highest sum found. The sums left out are 0 and cannot be the highest.
    //
    // The sums start with a coarser bound that visits no pair: each neighbouring column's run
    // (with point weights, a bound of its weight from the columns' running totals) times the
    // kernel bound at the column's nearest corner (1 for unit kernels). Where only earlier
    // points count, it counts the later ones too: still a bound, and the closer bounds that
    // follow leave them out. Only the members whose coarse bound beats the highest sum found
    // are bounded pair by pair (see RefinedBound), and only those whose closer bound beats it
    // are summed. Where the kernel bounds cannot be built, every member is bounded pair by pair.
    void SumBoundedHighestFirst() {
        m_kernelBounded = !m_unit && BuildKernelBounds();
        m_coarse = m_kernelBounded || m_unit;
        if (m_memberIndex.empty()) {
            return;
        }
        // Coarse bounds start from a sum in the middle of the fullest column: where the whole
        // neighbouring columns, each member at the kernel's peak, add up to no more, no sum
        // can beat it and the members are not bounded one by one (their bounds left 0).
        int first = -1;
        if (m_coarse) {
            first = MiddleOfFullestColumn();
            RunCursor cursor;
            std::vector<int> partners;
            std::vector<int> indices;
            m_firstSum = SumOfMember(first, cursor, partners, indices);
        }
        if (m_coarse && m_pointWeights != nullptr) {
            m_runWeights.Build(m_starts, m_pointWeights, m_memberIndex);
        }
        CountSubCells();
        const auto sumOf = [&](int m, MemberScratch& scratch) {
            // A coarse bound is checked against the pairs' own bounds first: a sum that
            // cannot beat the highest so far is left out (0).
            if (!m_coarse || RefinedBound(m, scratch) > scratch.highest) {
                m_sums[m_memberIndex[m]] =
                    SumOfMember(m, scratch.cursor, scratch.partners, scratch.indices);
            }
        };
        WeighMembers();
        const BatchWork work{LargestTermBound(), m_coarse && m_kernelBounded
                                                     ? PairBoundBatchPartners
                                                     : WholeSumBatchPartners};
        BoundThenSumHighestFirst(first, sumOf, work);
    }

    // Each column's blocks counted by sub-cell (SubCellBlocks), for unweighted kernel sums over
    // three box axes: their coarse bounds then give way to closer ones before any pair's.
    void CountSubCells() {
        if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
            if (!m_coarse || !m_kernelBounded || m_pointWeights != nullptr) {
                return;
            }
            m_subCells.Reserve(m_starts);
            const int columns = static_cast<int>(m_keys.size());
            cv::parallel_for_(cv::Range(0, columns), [&](const cv::Range& range) {
                for (int c = range.start; c < range.end; ++c) {
                    m_subCells.CountColumn(c, m_starts[c], m_starts[c + 1],
                                           {{{m_columnLow[c][0], m_columnHigh[c][0]},
                                             {m_columnLow[c][1], m_columnHigh[c][1]}}},
                                           reinterpret_cast<const double*>(m_memberPoints.data()));
                }
            });
        }
    }

    // The point weights in member order, where kernel bounds weighted by them are added four
    // or eight pairs at a time: the wide sums read them beside the members' records.
    void WeighMembers() {
        if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
            if (m_pointWeights != nullptr && m_kernelBounded && WidePairBounds() != nullptr) {
                m_memberWeights.resize(m_memberIndex.size());
                const CoreStretches stretches{m_memberIndex.size()};
                stretches.ForEach([&](int, std::size_t begin, std::size_t end) {
                    for (std::size_t m = begin; m < end; ++m) {
                        m_memberWeights[m] = m_pointWeights[m_memberIndex[m]];
                    }
                });
            }
        }
    }

    // No one partner adds more to a sum, or to a bound of it, than this (0 where the point
    // weights leave it unknown: not finite).
    double LargestTermBound() const {
        double largest = m_kernelBounded ? m_kernelBounds.front() : 1.0;
        if (m_pointWeights != nullptr) {
            largest *= *std::max_element(m_pointWeights, m_pointWeights + m_count);
        }
        return std::isfinite(largest) ? largest : 0.0;
    }

    // Unit counts in dense clouds: most of the work of counting every member goes to the
    // neighbouring columns the box only partly covers. Their whole runs bound a count from
    // above at the cost of moving the runs' ends; only the members whose bound beats the
    // highest count found are counted exactly, highest bound first. The counts are whole
    // numbers, so the order of counting changes nothing. A first count from the middle of
    // the fullest column spares the columns whose whole neighbourhood holds no more members:
    // their runs stay unmoved (the bounds left 0).
    void CountBoundedHighestFirst() {
        if (m_memberIndex.empty()) {
            return;
        }
        if constexpr (std::is_same_v<Extra, Earlier>) {
            BinTimes();
        }
        const int first = MiddleOfFullestColumn();
        RunCursor cursor;
        m_firstSum = CountOfMember(first, cursor);
        m_runBounds = true;
        BoundThenSumHighestFirst(first, [&](int m, MemberScratch& scratch) {
            m_sums[m_memberIndex[m]] =
                CountOfMember(m, scratch.cursor, &scratch.runs, scratch.highest, &scratch.unsure);
        });
    }

    // Every member's bound (CountByColumns, into m_sums), then the sums of the members bounded
    // above the first sum (of member `first`, m_firstSum; none when `first` is -1), highest
    // bound first, by `sumOf` (see SumWhileBoundBeatsHighest). The sums left out are 0 and
    // cannot be the highest.
    template <typename SumOf>
    void BoundThenSumHighestFirst(int first, SumOf sumOf, BatchWork work = {}) {
        CountByColumns();
        if (m_ticker.Stopped()) {
            return;
        }
        // Only the bounds above the first sum are kept: in a dense cloud a few per cent. The
        // members are looked at a stretch per core (the order is settled by the sort).
        const CoreStretches stretches{m_memberIndex.size()};
        std::vector<std::vector<BoundedMember>> kept(static_cast<std::size_t>(stretches.count));
        stretches.ForEach([&](int k, std::size_t begin, std::size_t end) {
            for (auto m = static_cast<int>(begin); m < static_cast<int>(end); ++m) {
                const double bound = m_sums[m_memberIndex[m]];
                if (bound > m_firstSum && m != first) {
                    kept[k].push_back({bound, m});
                }
            }
        });
        std::vector<BoundedMember> ranked;
        for (const std::vector<BoundedMember>& some : kept) {
            ranked.insert(ranked.end(), some.begin(), some.end());
        }
        kept = {};
        FillOnEveryCore(m_sums, 0.0);
        if (first >= 0) {
            m_sums[m_memberIndex[first]] = m_firstSum;
        }
        std::sort(ranked.begin(), ranked.end(), [](const BoundedMember& a, const BoundedMember& b) {
            return a.bound != b.bound ? a.bound > b.bound : a.member < b.member;
        });
        SumWhileBoundBeatsHighest(ranked, sumOf, m_firstSum, work);
    }

    struct BoundedMember {
        double bound;
        int member;
    };

    // The member in the middle of the column with the most members, on the last axis: in
    // the densest part of the cloud, so its sum is a high first mark. There is a member.
    // Where only earlier points count, the latest member within a quarter of the half width
    // of the middle: an early one counts few.
    int MiddleOfFullestColumn() const {
        int fullest = 0;
        for (int c = 1; c + 1 < static_cast<int>(m_starts.size()); ++c) {
            fullest = m_starts[c + 1] - m_starts[c] > m_starts[fullest + 1] - m_starts[fullest]
                          ? c
                          : fullest;
        }
        const int begin = m_starts[fullest];
        const int end = m_starts[fullest + 1];
        const int middle = (begin + end) / 2;
        if constexpr (!std::is_same_v<Extra, Earlier>) {
            return middle;
        }
        const double near = m_half[Dims - 1] / 4.0;
        int latest = middle;
        for (int m = middle; m < end && m_memberLast[m] - m_memberLast[middle] < near; ++m) {
            latest = m_memberPoints[m].t > m_memberPoints[latest].t ? m : latest;
        }
        for (int m = middle; m >= begin && m_memberLast[middle] - m_memberLast[m] < near; --m) {
            latest = m_memberPoints[m].t > m_memberPoints[latest].t ? m : latest;
        }
        return latest;
    }

    // The exact count of member m's partners, found by bisection in each neighbouring column.
    // With `cut` (scratch for the runs the box cuts), the runs wholly inside count first and
    // the cut ones after; once the count so far and the cut runs left, counted whole, are no
    // more than `highest`, that bound comes back instead: it cannot be the highest count, and
    // a sum at or below the highest found changes nothing.
    // `unsure` is scratch for the members a cut run's place codes cannot tell.
    double CountOfMember(int m, RunCursor& cursor, std::vector<CoarseRun>* cut = nullptr,
                         double highest = INFINITY, std::vector<int>* unsure = nullptr) const {
        const Point<Dims>& p = m_memberPoints[m];
        const PassingCount countPassing = WideCount();
        long long count = 0;
        long long left = 0;  // members of the cut runs not yet counted
        if (cut != nullptr) {
            cut->clear();
        }
        ForEachRun(m, cursor, [&](int lo, int hi) {
            if (std::is_same_v<Extra, AnyTime> && ColumnInside(p, m_memberColumn[lo])) {
                count += hi - lo;
            } else if (cut != nullptr) {
                cut->push_back({lo, hi, 0.0});
                left += hi - lo;
            } else {
                count += CountInRun(p, lo, hi, countPassing);
            }
        });
        if (cut != nullptr) {
            std::array<BoxEdges, 2> edges{};
            const bool coded = unsure != nullptr && EdgesForCodes(p, edges);
            // With place codes a cut run counts no more than its codes' tallies allow, which
            // is close: most counts end here, without a code read one by one. Otherwise a
            // run counts no more than its length, and the runs likely to lose the most
            // members go first, so the bound falls fastest.
            if (coded) {
                left = 0;
                for (CoarseRun& run : *cut) {
                    run.bound = MostPassingInCutRun(run.lo, run.hi, edges);
                    left += static_cast<long long>(run.bound);
                }
            } else {
                for (CoarseRun& run : *cut) {
                    run.bound = OutsideShare(p, m_memberColumn[run.lo]) * (run.hi - run.lo);
                }
            }
            std::sort(cut->begin(), cut->end(),
                      [](const CoarseRun& a, const CoarseRun& b) { return a.bound > b.bound; });
            for (const CoarseRun& run : *cut) {
                if (static_cast<double>(count + left) <= highest) {
                    return static_cast<double>(count + left);
                }
                if (coded) {
                    count +=
                        run.bound > 0.0 ? CountCutRunByCodes(p, run.lo, run.hi, edges, *unsure) : 0;
                    left -= static_cast<long long>(run.bound);
                } else {
                    count += CountInRun(p, run.lo, run.hi, countPassing);
                    left -= run.hi - run.lo;
                }
            }
        }
        return static_cast<double>(count);
    }

    // About the share of column k's members outside p's box on the gridded axes, from the
    // column's extent (only an order of work: any number will do).
    double OutsideShare(const Point<Dims>& p, int k) const {
        double outside = 0.0;
        for (int axis = 0; axis < Gridded; ++axis) {
            const double low = m_columnLow[k][axis];
            const double high = m_columnHigh[k][axis];
            const double over = std::max(0.0, high - (p.c[axis] + m_half[axis])) +
                                std::max(0.0, (p.c[axis] - m_half[axis]) - low);
            outside += high > low ? over / (high - low) : (over > 0.0 ? 1.0 : 0.0);
        }
        return outside;
    }

    // The members of [lo, hi) that pass the tests on the gridded axes against p, four at a
    // time where the processor can.
    // Kept out of line: inlined into the column loop, its loop lost its registers.
    [[gnu::noinline]] int CountInRun(const Point<Dims>& p, int lo, int hi,
                                     PassingCount countPassing) const {
        int count = 0;
        int q = lo;
        if constexpr (Dims == 3) {
            if (countPassing != nullptr) {
                const int whole = (hi - lo) / 4 * 4;
                count += countPassing(reinterpret_cast<const double*>(m_memberPoints.data() + q),
                                      whole, {p.c[0], p.c[1]}, {m_half[0], m_half[1]});
                q += whole;
            }
        }
        for (; q < hi; ++q) {
            count += PassesGridded(p, m_memberPoints[q]) ? 1 : 0;
        }
        return count;
    }

    // Each member's codes of its place within its column on the gridded axes (PlaceCodes.h),
    // and their tallies: the cut runs of the exact counts then read four bytes a member rather
    // than its point, or only a few tallies. Only for the exact counts of dense unit counts
    // where the box is the whole condition in space (see CountBoundedHighestFirst).
    bool WantsPlaceCodes() const {
        return Dims == 3 && std::is_same_v<Extra, AnyTime> && m_unit && m_pointWeights == nullptr &&
               m_cellsPerHalf > 1;
    }

    void ReservePlaceCodes() {
        m_placeCodes.resize(m_memberPoints.size());
        m_codeTallies.Reserve(m_starts);
    }

    // Column k's codes and tallies, from its extent.
    void CodeColumn(int k) {
        if constexpr (Dims == 3) {
            const std::array<double, Gridded>& low = m_columnLow[k];
            for (int m = m_starts[k]; m < m_starts[k + 1]; ++m) {
                const Point<Dims>& q = m_memberPoints[m];
                m_placeCodes[m] = PackCodes(PlaceCode(q.c[0], low[0], m_codeScale[0]),
                                            PlaceCode(q.c[1], low[1], m_codeScale[1]));
            }
            m_codeTallies.TallyColumn(k, m_starts[k], m_starts[k + 1], m_placeCodes.data());
        }
    }

    // The edges of p's box on the gridded axes, where place codes were built and the edges
    // are found.
    bool EdgesForCodes(const Point<Dims>& p, std::array<BoxEdges, 2>& edges) const {
        if constexpr (Dims == 3) {
            return !m_placeCodes.empty() && FindBoxEdges(p.c[0], m_half[0], edges[0]) &&
                   FindBoxEdges(p.c[1], m_half[1], edges[1]);
        }
        return false;
    }

    // No fewer than the members of the cut run [lo, hi) that pass the tests on the gridded
    // axes against the event whose box has `edges`, from the tallies of their place codes.
    double MostPassingInCutRun(int lo, int hi, const std::array<BoxEdges, 2>& edges) const {
        if constexpr (Dims == 3) {
            const int column = m_memberColumn[lo];
            return m_codeTallies.MostPassing(column, m_starts[column], lo, hi,
                                             EdgeCodesIn(edges, m_columnLow[column], m_codeScale),
                                             m_placeCodes.data());
        }
        return hi - lo;
    }

    // The members of the cut run [lo, hi) that pass the tests on the gridded axes against p:
    // those whose codes cannot tell by the exact test.
    int CountCutRunByCodes(const Point<Dims>& p, int lo, int hi,
                           const std::array<BoxEdges, 2>& edges, std::vector<int>& unsure) const {
        if constexpr (Dims == 3) {
            const int n = hi - lo;
            if (unsure.size() < static_cast<std::size_t>(n)) {
                unsure.resize(static_cast<std::size_t>(n));
            }
            const std::array<double, Gridded>& low = m_columnLow[m_memberColumn[lo]];
            int unsureCount = 0;
            int count =
                CountSurePasses(m_placeCodes.data() + lo, n, EdgeCodesIn(edges, low, m_codeScale),
                                unsure.data(), unsureCount);
            for (int u = 0; u < unsureCount; ++u) {
                count += PassesGridded(p, m_memberPoints[lo + unsure[u]]) ? 1 : 0;
            }
            return count;
        }
        return 0;
    }

    // The wide count of a run, where the box is the whole condition in space.
    static PassingCount WideCount() {
        if constexpr (Dims == 3 && std::is_same_v<Extra, AnyTime>) {
            return WidePassingCount();
        }
        return nullptr;
    }

    // What each thread of SumWhileBoundBeatsHighest keeps between its members.
    struct MemberScratch {
        double highest;  // the highest sum found before this batch
        RunCursor cursor;
        std::vector<int> partners;
        std::vector<int> indices;
        std::vector<CoarseRun> runs;
        std::vector<double> left;
        std::vector<int> unsure;  // members a cut run's place codes cannot tell
    };

    // A coarse bound made closer by visiting pairs: the kernel bound of each, or for unit
    // kernels the weight of each member of the runs the box cuts.
    double RefinedBound(int m, MemberScratch& scratch) const {
        return m_kernelBounded ? PairBoundOfMember(m, scratch.cursor, scratch.runs, scratch.left,
                                                   scratch.highest)
                               : CutBoundOfMember(m, scratch.cursor, scratch.runs, scratch.left,
                                                  scratch.highest);
    }

    // Sums the `ranked` members (highest bound first), a batch at a time on every core,
    // while the next member's bound beats the highest sum found so far (from `highest` on):
    // no member from there on can hold a higher sum. Within a batch the members go in column
    // order, so those taken one after the other share their neighbouring columns in the
    // cache, and each starts from the highest sum any thread has found by then: the sooner
    // a bound falls below it, the fewer pairs it visits. Batches of at most a few hundred,
    // fewer where `work` finds them standing for many partners, keep the threads from
    // waiting on each other and the asking whether to stop frequent.
    template <typename SumOf>
    void SumWhileBoundBeatsHighest(const std::vector<BoundedMember>& ranked, SumOf sumOf,
                                   double highest, BatchWork work) {
        const int members = static_cast<int>(ranked.size());
        constexpr int Batch = 256;
        std::atomic<double> shared{highest};
        std::vector<int> batch;
        int next = 0;
        while (next < members && ranked[next].bound > highest) {
            if (m_ticker.Check(Done(static_cast<long long>(m_memberIndex.size()) + next))) {
                return;
            }
            const int end = BatchEnd(ranked, next, Batch, work);
            batch.clear();
            for (int k = next; k < end; ++k) {
                batch.push_back(ranked[k].member);
            }
            std::sort(batch.begin(), batch.end());
            cv::parallel_for_(cv::Range(0, end - next), [&](const cv::Range& range) {
                MemberScratch scratch{highest, {}, {}, {}, {}, {}, {}};
                for (int k = range.start; k < range.end; ++k) {
                    scratch.highest = shared.load(std::memory_order_relaxed);
                    sumOf(batch[k], scratch);
                    RaiseTo(shared, m_sums[m_memberIndex[batch[k]]]);
                }
            });
            highest = shared.load();
            next = end;
        }
    }

    // shared = max(shared, value), whichever threads race for it.
    static void RaiseTo(std::atomic<double>& shared, double value) {
        double current = shared.load(std::memory_order_relaxed);
        while (value > current &&
               !shared.compare_exchange_weak(current, value, std::memory_order_relaxed)) {
        }
    }

    // Every member's count of partners (into m_sums; with kernel or point weights the bound
    // of SumBoundedHighestFirst), walking each column's members in
    // ascending last coordinate while the neighbouring columns' runs move forward.
    void CountByColumns() {
        const int columns = static_cast<int>(m_keys.size());
        // Pieces in chunks of about TickEvents members, in column order.
        std::vector<Piece> pieces;
        for (int c = 0, m = 0; c < columns;) {
            if (m_ticker.Tick(Done(m))) {
                return;
            }
            pieces.clear();
            for (int members = 0; c < columns && members < TickEvents;) {
                const int end = std::min(m_starts[c + 1], m + PieceMembers);
                pieces.push_back({c, m, end});
                members += end - m;
                m = end;
                c += m == m_starts[c + 1] ? 1 : 0;
            }
            if (m_kernelBounded) {
                if (m_pointWeights != nullptr) {
                    CountPieces<true, true>(pieces);
                } else {
                    CountPieces<false, true>(pieces);
                }
            } else if (m_pointWeights != nullptr) {
                CountPieces<true, false>(pieces);
            } else {
                CountPieces<false, false>(pieces);
            }
        }
    }

    template <bool Weighted, bool Kernel>
    void CountPieces(const std::vector<Piece>& pieces) {
        const PassingCount countPassing = WideCount();
        const int count = static_cast<int>(pieces.size());
        cv::parallel_for_(cv::Range(0, count), [&](const cv::Range& range) {
            std::vector<std::pair<int, int>> neighbours;
            std::vector<NeighbourRun> runs;
            std::vector<std::size_t> hints;
            for (int k = range.start; k < range.end; ++k) {
                const Piece& piece = pieces[k];
                const int c = piece.column;
                NeighbourColumns(c, neighbours, &hints);
                runs.clear();
                // A column's first piece starts its cursors at the columns' starts; a later
                // one where its first member's runs lie.
                const bool first = piece.begin == m_starts[c];
                for (const auto& [begin, end] : neighbours) {
                    runs.push_back(first ? NeighbourRun{begin, begin, end}
                                         : RunAt(begin, end, m_memberLast[piece.begin]));
                }
                // Columns whose whole neighbourhood, every member at the kernel's peak (with
                // point weights: the columns' weights), cannot beat the first sum keep their
                // bounds at 0.
                if (m_coarse || (!Weighted && m_runBounds)) {
                    int whole = 0;
                    double weight = 0.0;
                    for (const auto& [begin, end] : neighbours) {
                        whole += end - begin;
                        if constexpr (Weighted) {
                            weight += m_runWeights.Bound(begin, begin, end);
                        }
                    }
                    const double largest = Kernel ? m_kernelBounds.front() : 1.0;
                    if (RaisedBound((Weighted ? weight : whole) * largest, whole) <= m_firstSum) {
                        continue;
                    }
                }
                if constexpr (!Weighted && !Kernel) {
                    if (m_runBounds) {
                        BoundColumnBySlabs(piece, runs);
                        continue;
                    }
                }
                for (int m = piece.begin; m < piece.end; ++m) {
                    const Point<Dims>& p = m_memberPoints[m];
                    int count = 0;
                    double total = 0.0;
                    for (NeighbourRun& run : runs) {
                        AdvanceRun(run, m_memberLast[m]);
                        if constexpr (Kernel || Weighted) {
                            if (m_coarse) {
                                if (run.lo < run.hi) {
                                    count += run.hi - run.lo;
                                    total += CoarseRunBound(p, run.lo, run.hi);
                                }
                                continue;
                            }
                        }
                        const bool inside = std::is_same_v<Extra, AnyTime> && run.lo < run.hi &&
                                            ColumnInside(p, m_memberColumn[run.lo]);
                        if constexpr (Weighted || Kernel) {
                            // Without a branch per pair: about half the pairs pass.
                            for (int q = run.lo; q < run.hi; ++q) {
                                const bool passes = inside || PassesGridded(p, m_memberPoints[q]);
                                double bound = 1.0;
                                if constexpr (Kernel) {
                                    bound = KernelBound(p, m_memberPoints[q]);
                                }
                                if constexpr (Weighted) {
                                    bound *= m_pointWeights[m_memberIndex[q]];
                                }
                                count += passes ? 1 : 0;
                                total += passes ? bound : 0.0;
                            }
                        } else if (inside) {
                            count += run.hi - run.lo;
                        } else {
                            count += CountInRun(p, run.lo, run.hi, countPassing);
                        }
                    }
                    if constexpr (Weighted || Kernel) {
                        m_sums[m_memberIndex[m]] = RaisedBound(total, count);
                    } else {
                        m_sums[m_memberIndex[m]] = static_cast<double>(count);
                    }
                }
            }
        });
    }

    void SumAllPairs() {
        const int n = static_cast<int>(m_points.size());
        // Each point costs n tests: chunks of about ChunkPairs tests.
        const int chunk = static_cast<int>(std::max<long long>(1, ChunkPairs / std::max(n, 1)));
        for (int first = 0; first < n; first += std::min(chunk, n - first)) {
            if (m_ticker.Tick(first)) {
                return;
            }
            const int end = first + std::min(chunk, n - first);
            cv::parallel_for_(cv::Range(first, end), [&](const cv::Range& range) {
                for (int i = range.start; i < range.end; ++i) {
                    double sum = 0.0;
                    for (int j = 0; j < n; ++j) {
                        if (Passes(m_points[i], m_points[j])) {
                            sum += Term(m_points[i], m_points[j], j);
                        }
                    }
                    m_sums[i] = sum;
                }
            });
        }
    }

    // In the order the sums add them; let go once the points are sorted into columns.
    Points<Dims> m_points;
    int m_count;                      // of the points
    FillLaterVector<int> m_position;  // of each point among the members, or -1
    std::array<double, Dims> m_half;
    bool m_unit;
    double m_radius;  // of the Gaussian kernel
    Extra m_extra;
    Squared m_squared;  // the squared distance in radius steps, as the kernel adds it up
    std::vector<double> m_kernelBounds;  // see BuildKernelBounds
    double m_boundStep = 1.0;
    std::array<double, Dims> m_boundFactor{};
    bool m_kernelBounded = false;    // the bounds are kernel bounds, not counts
    bool m_coarse = false;           // the first bounds are by column (NearestCornerBound)
    bool m_runBounds = false;        // unit counts take whole runs (CountBoundedHighestFirst)
    double m_firstSum = 0.0;         // the first exact sum (or count) the bounds must beat
    const double* m_pointWeights;    // one per point, or null: every point weighs 1
    int m_cellsPerHalf = 1;          // cells per half width on the gridded axes
    FillLaterVector<double> m_sums;  // in the order of the points
    std::vector<Key> m_keys;         // occupied columns, ascending
    std::vector<int> m_starts;       // members of column c: [starts[c], starts[c + 1])
    std::vector<std::array<double, Gridded>> m_columnLow;   // the lowest and highest gridded
    std::vector<std::array<double, Gridded>> m_columnHigh;  // coordinates of each column
    Points<Dims> m_memberPoints;                            // by column, then on the last axis
    std::vector<int> m_memberIndex;
    FillLaterVector<double> m_memberLast;
    FillLaterVector<int> m_memberColumn;          // the column of each member
    FillLaterVector<double> m_memberWeights;      // of each member, see WeighMembers
    RunWeightTotals m_runWeights;                 // with point weights and coarse bounds
    SubCellBlocks m_subCells;                     // see CountSubCells
    std::vector<std::uint8_t> m_timeBin;          // of each member, for earlier-only counts
    FillLaterVector<std::uint32_t> m_placeCodes;  // of each member, see WantsPlaceCodes
    CodeTallies m_codeTallies;                    // of the place codes, column by column
    std::array<double, Gridded> m_codeScale{};    // place codes per unit on the gridded axes
    PhaseTicker m_ticker;
};

// The highest sum over `points` (see HighestSum).
template <int Dims, class Extra, class Squared>
double Highest(Points<Dims> points, const std::array<double, Dims>& halfWidths,
               const Weighting& weighting, Extra extra, Squared squared,
               const double* pointWeights = nullptr, RunObserver* observer = nullptr) {
    return HighestSum<Dims, Extra, Squared>(std::move(points), halfWidths, weighting, extra,
                                            squared, pointWeights, observer)
        .Compute();
}

}  // namespace korvane::estimate
