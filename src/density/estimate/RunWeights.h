#pragma once
// Bounds of the weight a run of a column's members carries, from running totals of the members'
// weights within each column: a run's weight is then two look-ups rather than a pass over its
// members. The totals are kept in single precision (four bytes a member); the bound makes up for
// that rounding and for the order of adding, so it is never below the run's weights added in any
// order.

#include <cfloat>
#include <cmath>
#include <vector>

#include "common/FillLaterVector.h"

namespace korvane::estimate {

class RunWeightTotals {
  public:
    // The running totals of every column c, whose members are [starts[c], starts[c + 1]) (starts
    // ends with the number of members); member m weighs weights[index[m]], at least 0 (infinite
    // or not a number gives infinite bounds). On every core.
    void Build(const std::vector<int>& starts, const double* weights,
               const std::vector<int>& index);

    bool Built() const { return !m_totals.empty(); }

    // No less than the weights of the members [lo, hi) of the column whose members start at
    // `begin`, added in any order.
    double Bound(int begin, int lo, int hi) const {
        if (hi <= lo) {
            return 0.0;
        }
        const double upTo = m_totals[hi - 1];
        const double before = lo > begin ? m_totals[lo - 1] : 0.0;
        if (!(upTo <= FLT_MAX)) {
            return INFINITY;  // infinite or not a number
        }
        return ((upTo - before) + upTo * TotalsSlack + TinySlack) * RoundingRaise;
    }

  private:
    // A total is added up in double, with a relative error of at most n 2^-53 / (1 - n 2^-53)
    // for n members of at least 0 (below 2.4e-7 for the 2^31 members an index reaches), then
    // rounded to the nearest float (2^-24 more). A run's weight is the difference of two
    // totals: at most the difference of the stored ones plus 3.1 times the sum of both errors
    // times the larger total, which this slack covers with room to spare.
    static constexpr double TotalsSlack = 0x1p-19;
    // A total below the smallest normal float is rounded by at most half its spacing: 2^-150.
    static constexpr double TinySlack = 0x1p-148;
    // The rounding of the bound's own three operations.
    static constexpr double RoundingRaise = 1.0 + 0x1p-50;

    FillLaterVector<float> m_totals;  // of each member: its column's weights up to it
};

}  // namespace korvane::estimate
