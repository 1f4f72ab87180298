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
#include "density/Distance.h"
#include "density/Kernel.h"
#include "density/estimate/CodeTallies.h"
#include "density/estimate/KernelGrid.h"
#include "density/estimate/PlaceCodes.h"
#include "density/estimate/Points.h"
#include "density/estimate/RunWeights.h"
#include "density/estimate/SubCellBlocks.h"
#include "density/estimate/SumBatches.h"
#include "density/estimate/WideBounds.h"

namespace korvane::estimate {

// The highest kernel sum over a list of points. Point j counts for point i when it lies in
// the strict box around i on every axis and passes `extra(i, j)`. Counts are exact; a sum of
// kernel weights (never above 1) is within a few units in the last place of each term of the
// exact sum, in any order of adding. Points may carry weights of their own (at least 0, any
// size): j then adds its weight times the kernel weight (or its weight alone for unit kernels).
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

    // The highest sum (see the class comment); 0 after a stop.
    double Compute();

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
    // The kernel grids (GridSums.h): the coarse one takes at most CoarseNodesPerHalf nodes per
    // half width, and CoarseNodesPerMember nodes a member up to
    // CoarseGridNodes (of eight bytes); its bounds go GridBoundStretch members at a time. The
    // fine ones take FineNodesPerHalf nodes per half width and at most FineGridNodes (twice
    // eight bytes). A batch of exact sums stands for about KernelSumBatchPartners partners (a
    // few milliseconds on two cores).
    static constexpr int CoarseNodesPerHalf = 4;
    static constexpr std::size_t CoarseNodesPerMember = 8;
    static constexpr std::size_t CoarseGridNodes = std::size_t{1} << 24;
    static constexpr int GridBoundStretch = 1 << 16;
    static constexpr std::array<int, 3> FineNodesPerHalf = {8, 16, 32};
    static constexpr std::size_t FineGridNodes = std::size_t{1} << 22;
    static constexpr double KernelSumBatchPartners = 4194304.0;
    // A cell's width in place codes: half their range, so rounding never takes a member's
    // code to the top.
    static constexpr double CodesPerCell = 16384.0;

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

    struct BucketScratch {
        std::vector<Member> dealt;  // in the bucket's order, before counting into columns
        std::vector<Member> sorted;
        std::vector<int> columnStarts;
    };

    // A column's members [begin, end): a column is cut into pieces of at most PieceMembers
    // so that the threads share even a crowded one.
    struct Piece {
        int column;
        int begin;
        int end;
    };

    struct BoundedMember {
        double bound;
        int member;
    };

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

    // Putting the points into columns (ColumnOrder.h).
    bool Passes(const Point<Dims>& a, const Point<Dims>& b) const;
    double SampledPartners() const;
    static bool Finite(const Point<Dims>& point);
    bool BuildColumns();
    template <class KeyOf>
    std::size_t FindColumns(KeyOf keyOf, const std::vector<std::size_t>& buckets);
    template <class Vector, class Value>
    static void FillOnEveryCore(Vector& values, Value value);
    void DescribeColumn(int c);
    template <class KeyOf>
    std::vector<std::size_t> PutInColumnOrder(KeyOf keyOf, const Key& lastKey, std::size_t count);
    template <class NumberOf>
    void SortBucket(std::size_t begin, std::size_t end, NumberOf numberOf, std::uint64_t first,
                    std::uint64_t columns, std::vector<int>& order, BucketScratch& scratch);
    void PlaceEveryPoint();

    // A member's neighbouring columns and their runs on the last axis (NeighbourRuns.h).
    Key CellKeyOf(const std::array<double, Dims>& c) const;
    template <class Visit>
    void ForEachRunWithin(const std::array<double, Dims>& low, const std::array<double, Dims>& high,
                          Visit visit) const;
    bool ColumnMayPass(const Point<Dims>& p, int k) const;
    void NeighbourColumns(int c, std::vector<std::pair<int, int>>& ranges,
                          std::vector<std::size_t>* hints = nullptr) const;
    typename std::vector<Key>::const_iterator FirstKeyFrom(std::vector<std::size_t>& hints,
                                                           std::size_t stretch,
                                                           const Key& target) const;
    bool PassesGridded(const Point<Dims>& a, const Point<Dims>& b) const;
    bool ColumnInside(const Point<Dims>& p, int k) const;
    void AdvanceRun(NeighbourRun& run, double x) const;
    NeighbourRun RunAt(int begin, int end, double x) const;
    void LeapRun(NeighbourRun& run, double x) const;
    template <class Holds>
    int FirstFailing(int from, int end, Holds holds) const;
    template <class Visit>
    void ForEachInRuns(int m, RunCursor& cursor, Visit visit) const;
    template <class Visit>
    void ForEachRun(int m, RunCursor& cursor, Visit visit) const;

    // Bounds by whole runs of the neighbouring columns (CoarseBounds.h).
    bool BuildKernelBounds();
    double NearestCornerBound(const Point<Dims>& p, int k) const;
    double StepsOutside(double x, double low, double high, int axis) const;
    [[gnu::always_inline]] double CoarseRunBound(const Point<Dims>& p, int lo, int hi) const;
    static double RaisedBound(double total, int count);
    double BoundAtSteps(double steps) const;
    double KernelBound(const Point<Dims>& a, const Point<Dims>& b) const;
    void BoundColumnBySlabs(const Piece& piece, std::vector<NeighbourRun>& runs);
    void BinTimes();
    void CountByColumns();
    template <bool Weighted, bool Kernel>
    void CountPieces(const std::vector<Piece>& pieces);

    // Closer bounds of a run by blocks of members and sub-cells (BlockBounds.h).
    double BlockBoundOfRun(const Point<Dims>& p, int lo, int hi) const;
    void CountSubCells();

    // Bounds pair by pair, and of unit kernels by the runs a box cuts (PairBounds.h).
    double PairBoundOfMember(int m, RunCursor& cursor, std::vector<CoarseRun>& runs,
                             std::vector<double>& left, double highest) const;
    static void SortRunsAndAddUp(std::vector<CoarseRun>& runs, std::vector<double>& left,
                                 std::size_t sorted = SIZE_MAX);
    PairBoundTotal PairBoundsOf(const Point<Dims>& p, int lo, int hi, PairBoundSum wide,
                                const PairBoundFrame& frame) const;
    double CutBoundOfMember(int m, RunCursor& cursor, std::vector<CoarseRun>& cut,
                            std::vector<double>& left, double highest) const;
    PairBoundFrame PairBoundFrameOf(const Point<Dims>& p) const;
    void WeighMembers();
    double RefinedBound(int m, MemberScratch& scratch) const;

    // Exact sums and counts of one member (ExactSums.h).
    double KernelOf(const Point<Dims>& a, const Point<Dims>& b) const;
    double Term(const Point<Dims>& a, const Point<Dims>& b, int j) const;
    double SumOfMember(int m, RunCursor& cursor, std::vector<int>& partners,
                       std::vector<int>& scratch) const;
    double CountOfMember(int m, RunCursor& cursor, std::vector<CoarseRun>* cut = nullptr,
                         double highest = INFINITY, std::vector<int>* unsure = nullptr) const;
    double OutsideShare(const Point<Dims>& p, int k) const;
    [[gnu::noinline]] int CountInRun(const Point<Dims>& p, int lo, int hi,
                                     PassingCount countPassing) const;
    bool WantsPlaceCodes() const;
    void ReservePlaceCodes();
    void CodeColumn(int k);
    bool EdgesForCodes(const Point<Dims>& p, std::array<BoxEdges, 2>& edges) const;
    double MostPassingInCutRun(int lo, int hi, const std::array<BoxEdges, 2>& edges) const;
    int CountCutRunByCodes(const Point<Dims>& p, int lo, int hi,
                           const std::array<BoxEdges, 2>& edges, std::vector<int>& unsure) const;
    static PassingCount WideCount();
    void SumAllPairs();

    // The sums that can be the highest, highest bound first (HighestFirst.h).
    long long Done(long long steps) const;
    void SumBoundedHighestFirst();
    double LargestTermBound() const;
    void CountBoundedHighestFirst();
    template <typename SumOf>
    void BoundThenSumHighestFirst(int first, SumOf sumOf, BatchWork work = {});
    int MiddleOfFullestColumn() const;
    template <typename SumOf>
    void SumWhileBoundBeatsHighest(const std::vector<BoundedMember>& ranked, SumOf sumOf,
                                   double highest, BatchWork work);
    static void RaiseTo(std::atomic<double>& shared, double value);

    // Gaussian sums in space, bounded by the kernel grid (GridSums.h).
    std::array<double, Dims> GaussianExponents() const;
    bool WantsKernelGrid() const;
    double KernelSumOfMember(int m, RunCursor& cursor) const;
    std::array<KernelGrid::Axis, 3> GridRegion(const std::array<double, Dims>& low,
                                               const std::array<double, Dims>& high,
                                               const std::array<double, Dims>& kappa) const;
    void RefineInBoxes(std::vector<BoundedMember>& hot, double highest, int perHalf);
    void RaiseFirstSum(std::vector<BoundedMember>& ranked, int& first);
    void SumGridBoundedHighestFirst();

    // In the order the sums add them; let go once the points are sorted into columns.
    Points<Dims> m_points;
    int m_count;                      // of the points
    FillLaterVector<int> m_position;  // of each point among the members, or -1 (PlaceEveryPoint)
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
    bool m_grid = false;             // the kernel grid bounds the sums (GridSums.h)
    double m_firstSum = 0.0;         // the first exact sum (or count) the bounds must beat
    const double* m_pointWeights;    // one per point, or null: every point weighs 1
    int m_cellsPerHalf = 1;          // cells per half width on the gridded axes
    FillLaterVector<double> m_sums;  // in the order of the points
    std::vector<Key> m_keys;         // occupied columns, ascending
    std::array<double, Gridded> m_cellLow{};    // where cell 0 starts on the gridded axes
    std::array<double, Gridded> m_cellWidth{};  // and the cells' width there
    std::vector<int> m_starts;                  // members of column c: [starts[c], starts[c + 1])
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

}  // namespace korvane::estimate

// The stages, each in a file of its own (see README.md).
#include "density/estimate/BlockBounds.h"
#include "density/estimate/CoarseBounds.h"
#include "density/estimate/ColumnOrder.h"
#include "density/estimate/ExactSums.h"
#include "density/estimate/GridSums.h"
#include "density/estimate/HighestFirst.h"
#include "density/estimate/NeighbourRuns.h"
#include "density/estimate/PairBounds.h"

namespace korvane::estimate {

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
