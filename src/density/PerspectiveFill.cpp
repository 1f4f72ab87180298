#include "density/PerspectiveFill.h"

#include <algorithm>
#include <cmath>

#include "density/Distance.h"
#include "density/Kernel.h"
#include "picture/ColourScale.h"

namespace korvane {

namespace {

constexpr int AreaLeft = 100;  // the density area's place in the picture
constexpr int AreaTop = 100;

// A run of consecutive columns or rows, [begin, end); empty when end <= begin.
struct Span {
    int begin = 0;
    int end = 0;
};

// The columns i with |u - U(i)| < half when U never decreases. U(i) - u never decreases
// either (rounding keeps order) and is the exact negation of u - U(i), so the columns form
// one run whose ends two bisections find with the very same comparisons.
Span OrderedColumns(const std::vector<double>& U, double u, double half) {
    const auto first =
        std::partition_point(U.begin(), U.end(), [&](double p) { return !(p - u > -half); });
    const auto last =
        std::partition_point(U.begin(), U.end(), [&](double p) { return p - u < half; });
    return {static_cast<int>(first - U.begin()), static_cast<int>(last - U.begin())};
}

// The rows k with |w - W(k)| < half when W never increases (row 0 is the top).
Span OrderedRows(const std::vector<double>& W, double w, double half) {
    const auto first =
        std::partition_point(W.begin(), W.end(), [&](double p) { return !(p - w < half); });
    const auto last =
        std::partition_point(W.begin(), W.end(), [&](double p) { return p - w > -half; });
    return {static_cast<int>(first - W.begin()), static_cast<int>(last - W.begin())};
}

// Every index whose position passes the strict test, one by one: for positions that are
// not finite or not in order.
void ListWithin(const std::vector<double>& positions, double value, double half,
                std::vector<int>& out) {
    out.clear();
    for (std::size_t j = 0; j < positions.size(); ++j) {
        if (WithinStrict(value, positions[j], half)) {
            out.push_back(static_cast<int>(j));
        }
    }
}

void ListFromSpan(Span span, std::vector<int>& out) {
    out.clear();
    for (int j = span.begin; j < span.end; ++j) {
        out.push_back(j);
    }
}

// The columns and the rows of one event's box, as lists (the general case).
void EventBoxLists(const ProjectedEvent& e, double uHalf, double wHalf, PerspectiveFillWork& work) {
    if (work.columnsOrdered && std::isfinite(e.u)) {
        ListFromSpan(OrderedColumns(work.columnU, e.u, uHalf), work.columnList);
    } else {
        ListWithin(work.columnU, e.u, uHalf, work.columnList);
    }
    if (work.rowsOrdered && std::isfinite(e.w)) {
        ListFromSpan(OrderedRows(work.rowW, e.w, wHalf), work.rowList);
    } else {
        ListWithin(work.rowW, e.w, wHalf, work.rowList);
    }
}

// Unit weights: every event adds 1 to each pixel of its box, so a pixel's density is the
// number of boxes that hold it. With ordered positions every box is a rectangle of pixels,
// added to a difference array that prefix sums turn into counts.
void CountEvents(const PerspectiveFrame& frame, double uHalf, double wHalf,
                 PerspectiveFillWork& work) {
    const int W = frame.width;
    const int H = frame.height;
    const std::size_t stride = static_cast<std::size_t>(W) + 1;
    work.counts.assign(stride * (static_cast<std::size_t>(H) + 1), 0);
    int* counts = work.counts.data();

    const bool rectangles = work.columnsOrdered && work.rowsOrdered;
    auto isRectangle = [&](const ProjectedEvent& e) {
        return rectangles && std::isfinite(e.u) && std::isfinite(e.w);
    };
    for (int index : work.windowEvents) {
        const ProjectedEvent& e = frame.kept[static_cast<std::size_t>(index)];
        if (!isRectangle(e)) {
            continue;  // added pixel by pixel below, after the prefix sums
        }
        const Span columns = OrderedColumns(work.columnU, e.u, uHalf);
        const Span rows = OrderedRows(work.rowW, e.w, wHalf);
        if (columns.end <= columns.begin || rows.end <= rows.begin) {
            continue;
        }
        counts[rows.begin * stride + columns.begin] += 1;
        counts[rows.begin * stride + columns.end] -= 1;
        counts[rows.end * stride + columns.begin] -= 1;
        counts[rows.end * stride + columns.end] += 1;
    }
    if (rectangles) {
        for (int k = 0; k < H; ++k) {
            int* row = counts + k * stride;
            for (int i = 1; i < W; ++i) {
                row[i] += row[i - 1];
            }
            if (k > 0) {
                const int* above = row - stride;
                for (int i = 0; i < W; ++i) {
                    row[i] += above[i];
                }
            }
        }
    }
    // Events whose box is not a rectangle of known pixels (positions out of order, or the
    // event itself not finite) are added pixel by pixel.
    for (int index : work.windowEvents) {
        const ProjectedEvent& e = frame.kept[static_cast<std::size_t>(index)];
        if (isRectangle(e)) {
            continue;
        }
        EventBoxLists(e, uHalf, wHalf, work);
        for (int k : work.rowList) {
            for (int i : work.columnList) {
                counts[k * stride + i] += 1;
            }
        }
    }
}

void ColourCounts(const PerspectiveFrame& frame, float maximum, cv::Mat& picture,
                  PerspectiveFillWork& work) {
    const int W = frame.width;
    const int H = frame.height;
    const std::size_t stride = static_cast<std::size_t>(W) + 1;
    int highest = 0;
    for (int k = 0; k < H; ++k) {
        const int* row = work.counts.data() + k * stride;
        for (int i = 0; i < W; ++i) {
            highest = std::max(highest, row[i]);
        }
    }
    work.countColours.resize(static_cast<std::size_t>(highest) + 1);
    for (int c = 0; c <= highest; ++c) {
        work.countColours[static_cast<std::size_t>(c)] =
            DensityToPixel(static_cast<double>(c), maximum);
    }
    for (int k = 0; k < H; ++k) {
        const int* row = work.counts.data() + k * stride;
        cv::Vec3b* pixels = picture.ptr<cv::Vec3b>(AreaTop + k) + AreaLeft;
        for (int i = 0; i < W; ++i) {
            pixels[i] = work.countColours[static_cast<std::size_t>(row[i])];
        }
    }
}

// Gaussian weights: each event of the window, in time order, adds its weight to every
// pixel of its box, so each pixel's sum grows in the same order as in a per-pixel scan.
void SumWeights(const PerspectiveFrame& frame, const PerspectiveWindow& window, double uHalf,
                double wHalf, PerspectiveFillWork& work) {
    const int W = frame.width;
    const int H = frame.height;
    work.sums.assign(static_cast<std::size_t>(W) * static_cast<std::size_t>(H), 0.0);
    double* sums = work.sums.data();
    for (int index : work.windowEvents) {
        const ProjectedEvent& e = frame.kept[static_cast<std::size_t>(index)];
        EventBoxLists(e, uHalf, wHalf, work);
        work.columnShare.resize(work.columnList.size());
        for (std::size_t c = 0; c < work.columnList.size(); ++c) {
            work.columnShare[c] = StepsSquared(
                e.u, work.columnU[static_cast<std::size_t>(work.columnList[c])], frame.du);
        }
        for (int k : work.rowList) {
            const double rowShare =
                StepsSquared(e.w, work.rowW[static_cast<std::size_t>(k)], frame.dw);
            double* row = sums + static_cast<std::size_t>(k) * static_cast<std::size_t>(W);
            for (std::size_t c = 0; c < work.columnList.size(); ++c) {
                const double d = DistanceInPlane(work.columnShare[c], rowShare);
                row[work.columnList[c]] += KernelWeight(d, window.radius, true);
            }
        }
    }
}

void ColourSums(const PerspectiveFrame& frame, float maximum, cv::Mat& picture,
                const PerspectiveFillWork& work) {
    const int W = frame.width;
    for (int k = 0; k < frame.height; ++k) {
        const double* row = work.sums.data() + static_cast<std::size_t>(k) * W;
        cv::Vec3b* pixels = picture.ptr<cv::Vec3b>(AreaTop + k) + AreaLeft;
        for (int i = 0; i < W; ++i) {
            pixels[i] = DensityToPixel(row[i], maximum);
        }
    }
}

}  // namespace

void PreparePerspectiveFill(const PerspectiveFrame& frame, PerspectiveFillWork& work) {
    const int W = std::max(frame.width, 0);
    const int H = std::max(frame.height, 0);
    work.columnU.resize(static_cast<std::size_t>(W));
    work.rowW.resize(static_cast<std::size_t>(H));
    work.columnsOrdered = true;
    for (int i = 0; i < W; ++i) {
        const double U = static_cast<double>(frame.uMin) + i * frame.du;
        work.columnU[static_cast<std::size_t>(i)] = U;
        if (!std::isfinite(U) || (i > 0 && U < work.columnU[static_cast<std::size_t>(i - 1)])) {
            work.columnsOrdered = false;
        }
    }
    work.rowsOrdered = true;
    for (int k = 0; k < H; ++k) {
        const double Wk = static_cast<double>(frame.wMax) - k * frame.dw;
        work.rowW[static_cast<std::size_t>(k)] = Wk;
        if (!std::isfinite(Wk) || (k > 0 && Wk > work.rowW[static_cast<std::size_t>(k - 1)])) {
            work.rowsOrdered = false;
        }
    }
}

void FillPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                           cv::Mat& picture, PerspectiveFillWork& work) {
    if (frame.width <= 0 || frame.height <= 0) {
        return;
    }
    // The kept events are in time order; the scan of a pixel stops at the first one that is
    // not before the window's end, and counts those inside the window.
    work.windowEvents.clear();
    for (std::size_t j = 0; j < frame.kept.size(); ++j) {
        const double t = frame.kept[j].t;
        if (!(t < window.end)) {
            break;
        }
        if (InPerspectiveWindow(t, window)) {
            work.windowEvents.push_back(static_cast<int>(j));
        }
    }

    const double uHalf = BoxHalfWidth(window.radius, frame.du);
    const double wHalf = BoxHalfWidth(window.radius, frame.dw);
    if (window.gaussian) {
        SumWeights(frame, window, uHalf, wHalf, work);
        ColourSums(frame, window.maximum, picture, work);
    } else {
        CountEvents(frame, uHalf, wHalf, work);
        ColourCounts(frame, window.maximum, picture, work);
    }
}

}  // namespace korvane
