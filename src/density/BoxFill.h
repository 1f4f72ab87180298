#pragma once
// The one density fill of the program: every point adds its weight to each pixel whose box
// holds it, for the plane pictures (events seen along an axis) and the perspective pictures
// (events projected onto the picture plane) alike. Numbers only; picture/ colours them.

#include <functional>
#include <vector>

#include "density/Kernel.h"

namespace korvane {

// One picture axis: the world position of each pixel column (left to right) or row (bottom
// to top), and the box test along it.
struct FillAxis {
    const std::vector<double>* positions = nullptr;
    bool ordered = false;    // every position finite and none below the one before
    double halfWidth = 0;    // the box's half width in world units
    bool inclusive = false;  // |x - position| <= halfWidth, else strictly below it
    double scale = 1;        // world units per step of the radius, for the Gaussian distance
    double spacing = 1;      // world units from one position to the next (a search's guess)
};

// A point to add: its coordinates along the column and row axes, and what it adds at the
// kernel's peak: its weight (1 unless the field is `weighted`), times the kernel's factor of its
// distance from the picture plane where that counts (a slice's Gaussian).
struct BoxPoint {
    double across = 0;
    double up = 0;
    double weight = 1;
};

// The pixels a point's box covers when they form one rectangle: rows [rowLo, rowHi) and
// columns [columnLo, columnHi). rowLo is -1 when they do not (positions out of order, a
// point that is not finite): the box is then found pixel by pixel.
struct BoxRectangle {
    int rowLo = -1;
    int rowHi = 0;
    int columnLo = 0;
    int columnHi = 0;
};

// A point with its rectangle, as a band of rows of the sums takes it: the points of each band
// lie side by side, so that the band reads them in order rather than across all the points.
struct BandPoint {
    BoxPoint point;
    BoxRectangle box;
};

// A point of two pictures filled at once (FillBoxPair), as a band of rows takes it: with its
// weight in the first picture, its weight in the second, and which of the two it lies in.
struct BandPairPoint {
    BandPoint entry;
    double secondWeight = 0;
    bool inFirst = false;
    bool inSecond = false;
};

// The densities of one picture, row 0 at the bottom. Kept from picture to picture.
struct DensityField {
    int columns = 0;
    int rows = 0;
    bool counted = true;           // unit weights: counts, else sums (Gaussian or weighted)
    bool weighted = false;         // set by the caller: the points' weights count, and the
                                   // field holds sums even for unit kernel weights
    std::vector<int> differences;  // (columns + 1) per row (unit weights): every box's corners
    std::vector<int> counts;       // (columns + 1) per row: the counts, the prefix sums of
                                   // the differences
    std::vector<double> sums;      // columns per row
    int highestCount = 0;          // the largest count (unit weights)
    std::vector<BoxPoint> points;  // the points of the picture in progress, in their order
    // Kept for the next fill: the points' rectangles (when the caller has none), and the
    // points of each band of rows with their rectangles (sums, see BoxFill.cpp).
    std::vector<BoxRectangle> boxes;
    std::vector<int> bandStarts;
    std::vector<BandPoint> bandPoints;
    std::vector<BandPairPoint> bandPairs;  // the same, for two pictures filled at once

    int CountAt(int column, int row) const {
        return counts[static_cast<std::size_t>(row) * (columns + 1) + column];
    }
    double SumAt(int column, int row) const {
        return sums[static_cast<std::size_t>(row) * columns + column];
    }
};

// Sees the counts of each row (unit weights) as soon as they are known, bottom row first,
// with the row's largest count: a painter colours the row while it is still in the cache.
using CountRowVisitor = std::function<void(int row, const int* counts, int highest)>;

// Fills `field` from `field.points`: counts are exact; a sum is each point's weight times the
// Gaussian's factors along the columns and rows (the kernel of the distance, to within a few
// units in the last place), added in an order that does not depend on the threads.
// `continuing`: the points come after those of the field's last fill (same axes and
// weighting), whose densities they add to; the result is that of one fill of all of them,
// as a cumulative series needs it. `visitor`: unit weights only, see CountRowVisitor.
// `rectangles` (may be null): the points' rectangles from RectangleOf, one per point, so a
// series whose pictures share their events finds each event's box once.
void FillBoxes(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
               DensityField& field, bool continuing = false,
               const CountRowVisitor* visitor = nullptr, const BoxRectangle* rectangles = nullptr);

// Points [begin, end) of a list.
struct PointSpan {
    int begin = 0;
    int end = 0;
};

// Two pictures of sums (Gaussian or weighted, never counts) filled at once from the same points,
// so that each point's factors along the columns and rows are found once for both: `first.points`
// holds the points with their weights in the first picture, `second.points` the same points
// (across and up alike) with their weights in the second. The first picture takes the points of
// `firstSpan`, the second those of `secondSpan`; each gets the very sums FillBoxes gives of its
// own points alone. `rectangles` (may be null) as FillBoxes takes them, one per point.
void FillBoxPair(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
                 DensityField& first, PointSpan firstSpan, DensityField& second,
                 PointSpan secondSpan, const BoxRectangle* rectangles = nullptr);

// The rectangle of pixels whose box holds a point at (across, up).
BoxRectangle RectangleOf(const FillAxis& columns, const FillAxis& rows, double across, double up);

// Whether positions are finite and never decrease (the fill then finds a point's columns or
// rows by bisection).
bool PositionsOrdered(const std::vector<double>& positions);

}  // namespace korvane
