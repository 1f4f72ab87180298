#pragma once
// The sums of a density fill go a band of rows at a time: about BandBytes of sums, which stay in
// the cache while the points that reach the band are added, one band per thread at a time.
// Every pixel lies in one band, whose points are added in their order, so the sums are the same
// whatever the number of threads. The pieces the fills share (BoxFill.cpp, SliceStack.cpp).

#include <algorithm>
#include <cstddef>
#include <opencv2/core.hpp>
#include <vector>

#include "density/BoxFill.h"
#include "density/KernelBox.h"

namespace korvane {

inline constexpr std::size_t BandBytes = std::size_t{1} << 18;

// The points are put into their bands this many stretches at a time: a fixed number, not one per
// thread, so the order within a band does not depend on the threads.
inline constexpr int BandStretches = 8;

// The rows of a band of a picture `columns` wide and `rows` high.
int BandRowsFor(int columns, int rows);

// sums[j * stride + i] += rowFactors[j] * factors[i] for every j < m and i < n: a box's pixels,
// a row at a time, eight pixels at a time where the processor has AVX-512.
void AddBox(double* sums, std::size_t stride, const double* factors, int n,
            const double* rowFactors, int m);

// What the bands share: the Gaussian along the columns and rows (with Gaussian weights).
struct BoxKernel {
    bool gaussian;
    GaussianAxis columns;
    GaussianAxis rows;
};

// The factors of a point at x for the positions [lo, hi) of `axis`: the Gaussian's, or 1 each.
void FactorsOf(const FillAxis& axis, double x, int lo, int hi, bool gaussian,
               const GaussianAxis& kernel, std::vector<double>& factors);

// A point whose box is not one rectangle (positions out of order, a point that is not finite)
// adds its weight times its kernel factors to each pixel of its lists of columns and rows, in
// `sums` (rows of `stride`); the lists are scratch.
void AddListedPoint(const FillAxis& columns, const FillAxis& rows, const Weighting& weighting,
                    double across, double up, double weight, double* sums, int stride,
                    std::vector<int>& columnList, std::vector<int>& rowList);

// Puts each of the n points with a rectangle (boxes[i]) into every band of `bandRows` rows its
// rectangle reaches, as make(i, boxes[i]): band b's entries are out[starts[b]..starts[b + 1]),
// in the points' order. The points without one (rowLo < 0) go to `listed`, in their order.
template <class Entry, class Make>
void PutInBands(const BoxRectangle* boxes, int n, int bandRows, int bands, Make make,
                std::vector<int>& starts, std::vector<Entry>& out, std::vector<int>& listed) {
    const auto firstBand = [&](const BoxRectangle& box) { return box.rowLo / bandRows; };
    const auto lastBand = [&](const BoxRectangle& box) {
        return box.rowLo < box.rowHi && box.columnLo < box.columnHi ? (box.rowHi - 1) / bandRows
                                                                    : -1;
    };
    // Each stretch counts its points per band, then puts them where the stretches before it
    // leave off.
    const int stretches = std::min(BandStretches, std::max(n, 1));
    const auto stretchBegin = [&](int s) {
        return static_cast<int>(static_cast<long long>(n) * s / stretches);
    };
    std::vector<int> places(static_cast<std::size_t>(stretches) * bands, 0);
    std::vector<std::vector<int>> unboxed(static_cast<std::size_t>(stretches));
    cv::parallel_for_(cv::Range(0, stretches), [&](const cv::Range& range) {
        for (int s = range.start; s < range.end; ++s) {
            int* counts = places.data() + static_cast<std::size_t>(s) * bands;
            for (int i = stretchBegin(s); i < stretchBegin(s + 1); ++i) {
                if (boxes[i].rowLo < 0) {
                    unboxed[static_cast<std::size_t>(s)].push_back(i);
                    continue;
                }
                for (int b = firstBand(boxes[i]); b <= lastBand(boxes[i]); ++b) {
                    ++counts[b];
                }
            }
        }
    });
    starts.assign(static_cast<std::size_t>(bands) + 1, 0);
    int total = 0;
    for (int b = 0; b < bands; ++b) {
        starts[static_cast<std::size_t>(b)] = total;
        for (int s = 0; s < stretches; ++s) {
            int& place = places[static_cast<std::size_t>(s) * bands + b];
            const int count = place;
            place = total;
            total += count;
        }
    }
    starts[static_cast<std::size_t>(bands)] = total;
    out.resize(static_cast<std::size_t>(total));
    cv::parallel_for_(cv::Range(0, stretches), [&](const cv::Range& range) {
        for (int s = range.start; s < range.end; ++s) {
            int* next = places.data() + static_cast<std::size_t>(s) * bands;
            for (int i = stretchBegin(s); i < stretchBegin(s + 1); ++i) {
                if (boxes[i].rowLo < 0) {
                    continue;
                }
                for (int b = firstBand(boxes[i]); b <= lastBand(boxes[i]); ++b) {
                    out[static_cast<std::size_t>(next[b]++)] = make(i, boxes[i]);
                }
            }
        }
    });
    listed.clear();
    for (const std::vector<int>& some : unboxed) {
        listed.insert(listed.end(), some.begin(), some.end());
    }
}

}  // namespace korvane
