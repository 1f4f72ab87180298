#pragma once
// [0, size) cut into one stretch per worker thread, of about equal length, for loops whose
// steps are alike: stretch k is [Begin(k), Begin(k + 1)). The number of stretches is fixed
// when the value is made, so two passes over the same stretches agree.

#include <algorithm>
#include <cstddef>
#include <opencv2/core.hpp>

namespace korvane {

struct CoreStretches {
    std::size_t size;
    int count = std::max(1, cv::getNumThreads());

    std::size_t Begin(int k) const { return size * static_cast<std::size_t>(k) / count; }

    // work(k, begin, end) for every stretch k, on every core.
    template <class Work>
    void ForEach(Work work) const {
        cv::parallel_for_(cv::Range(0, count), [&](const cv::Range& range) {
            for (int k = range.start; k < range.end; ++k) {
                work(k, Begin(k), Begin(k + 1));
            }
        });
    }
};

}  // namespace korvane
