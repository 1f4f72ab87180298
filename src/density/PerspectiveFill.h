#pragma once
// Filling the density area of one perspective picture.

#include <opencv2/core.hpp>
#include <vector>

#include "density/PerspectiveFrame.h"

namespace korvane {

// Which kept events count for a window, and what they weigh.
struct PerspectiveWindow {
    double t0 = 0;   // the window's start
    double end = 0;  // t0 + dt, its end
    bool cumulative = false;
    double radius = 0;  // box half width and kernel width, in pixels
    bool gaussian = false;
    float maximum = 0;  // top of the colour scale, single precision
};

// The time test of a window: strictly inside it, or (cumulative) strictly before its end.
inline bool InPerspectiveWindow(double t, const PerspectiveWindow& window) {
    return window.cumulative ? t < window.end : (window.t0 < t && t < window.end);
}

// Buffers of the fill, allocated for the first window and reused for the others.
struct PerspectiveFillWork {
    std::vector<double> columnU;                // U of each column i: uMin + i du
    std::vector<double> rowW;                   // W of each row k: wMax - k dw
    bool columnsOrdered = false;                // U finite and never decreasing
    bool rowsOrdered = false;                   // W finite and never increasing
    std::vector<int> counts;                    // unit weights: difference array, then counts
    std::vector<double> sums;                   // Gaussian weights: per-pixel sums
    std::vector<double> columnShare, rowShare;  // squared distances in pixels of one event
    std::vector<int> columnList, rowList;       // columns and rows of one event's box
    std::vector<cv::Vec3b> countColours;        // colour of each count, for unit weights
    std::vector<int> windowEvents;              // indices of the kept events in the window
};

// Works out the pixel positions of `frame`; call once per series, before the first fill.
void PreparePerspectiveFill(const PerspectiveFrame& frame, PerspectiveFillWork& work);

// Sets every pixel of the density area (columns 100 .. width + 99, rows 100 .. height + 99
// of `picture`) to the colour of its density: the sum of the weights of the window's kept
// events in its strict box of `radius` pixels. Each pixel adds its events' weights in time
// order, as a scan of the kept events per pixel does, so the sums agree to the last bit.
void FillPerspectiveWindow(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                           cv::Mat& picture, PerspectiveFillWork& work);

}  // namespace korvane
