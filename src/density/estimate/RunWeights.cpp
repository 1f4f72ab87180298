#include "density/estimate/RunWeights.h"

#include <cfloat>
#include <limits>
#include <opencv2/core.hpp>

namespace korvane::estimate {

void RunWeightTotals::Build(const std::vector<int>& starts, const double* weights,
                            const std::vector<int>& index) {
    const int columns = starts.empty() ? 0 : static_cast<int>(starts.size()) - 1;
    m_totals.resize(index.size());
    cv::parallel_for_(cv::Range(0, columns), [&](const cv::Range& range) {
        for (int c = range.start; c < range.end; ++c) {
            double total = 0.0;
            for (int m = starts[c]; m < starts[c + 1]; ++m) {
                total += weights[index[m]];
                // A total near the top of the float range counts as infinite: never below.
                m_totals[m] = total <= FLT_MAX / 2 ? static_cast<float>(total)
                                                   : std::numeric_limits<float>::infinity();
            }
        }
    });
}

}  // namespace korvane::estimate
