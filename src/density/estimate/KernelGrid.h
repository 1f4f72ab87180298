#pragma once
// Bounds of Gaussian sums in space from a grid of nodes, a few per half width of the box, at the
// cost of eight look-ups (or of one window of nodes, closer). They stand on one inequality of
// the Gaussian g(d) = exp(-k d^2) along an axis, from the convexity of exp: for a place
// y = (1 - t) y0 + t y1 between two nodes b apart,
//
//   g(x - y) <= exp(k t (1 - t) b^2) ((1 - t) g(x - y0) + t g(x - y1))   for every x,
//
// and the same with the roles of x and y swapped. So each member's weight is spread over the
// eight nodes around it (the first form), the spread weights are summed around every node with
// the Gaussian of the nodes' distance, a separable sum along each axis in turn, and the sum at a
// place is bounded by the eight nodes around it (the second form), or by the spread weights of
// the nodes around it directly. The box test only takes members out of a sum, so a node sums
// over every node a box can reach from a place beside it.

#include <array>
#include <cstddef>

#include "common/FillLaterVector.h"

namespace korvane::estimate {

class KernelGrid {
  public:
    // One axis: the region's extent on it, the box's half width, and the Gaussian's exponent per
    // squared unit (the kernel's factor of a difference d along the axis is exp(-kappa d^2)).
    struct Axis {
        double low = 0;
        double high = 0;
        double half = 0;
        double kappa = 0;
    };

    // Makes the nodes over the region, as many per half width as `maxNodes` allows from
    // `mostPerHalf` down to 1, every spread weight 0. False (and no grid) when even one per half
    // width would take more nodes. `keepSpread`: the spread weights are kept beside their sums,
    // for WindowBoundAt.
    bool Prepare(const std::array<Axis, 3>& axes, int mostPerHalf, std::size_t maxNodes,
                 bool keepSpread);

    // Spreads the members [begin, end), each a record of four doubles (three coordinates and a
    // time) at records[4 m], weighing weights[m] (null: 1 each). A bound at a place holds when
    // every member of the strict box around it lies within the region and was spread once.
    void Spread(const double* records, const double* weights, std::size_t begin, std::size_t end);

    // Sums the spread weights around every node; after the last Spread, before the bounds.
    void Finish();

    int NodesPerHalf() const { return m_perHalf; }

    // At most this many nodes per half width for WindowBoundAt.
    static constexpr int MostWindowPerHalf = 16;
    static constexpr std::size_t MostWindow = 2 * MostWindowPerHalf + 4;

    // No less than the sum, over every member j in the strict box around the place p (three
    // coordinates within the region), of its weight times exp(-sum kappa d^2): from the eight
    // nodes around p.
    double BoundAt(const double* p) const;

    // The same from the spread weights of every node a member of p's box can reach: closer (one
    // inequality instead of two), at the cost of a window of (2 NodesPerHalf + 4)^3 nodes.
    double WindowBoundAt(const double* p) const;

  private:
    // Where x lies among the nodes of axis a: the node at or below it (at most the last but
    // one) and its share t of the step to the next, in [0, 1].
    struct Place {
        std::size_t node;
        double t;
    };
    Place PlaceOf(int a, double x) const;
    // exp(kappa t (1 - t) b^2): what either form costs on axis a at share t.
    double Cost(int a, double t) const;
    void SumAlong(int a);

    std::array<Axis, 3> m_axes{};
    std::array<double, 3> m_step{};         // b, the nodes' spacing
    std::array<std::size_t, 3> m_nodes{};   // on each axis
    std::array<std::size_t, 3> m_stride{};  // of each axis in m_values; the last is 1
    int m_perHalf = 0;
    FillLaterVector<double> m_values;  // the spread weights, then their sums around each node
    FillLaterVector<double> m_spread;  // the spread weights, where kept
};

}  // namespace korvane::estimate
