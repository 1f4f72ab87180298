#pragma once
// Filling the density area of one perspective picture.

#include <vector>

#include "density/BoxFill.h"
#include "density/PerspectiveFrame.h"

namespace korvane {

// Which kept events count for a window, and what they weigh.
struct PerspectiveWindow {
    double t0 = 0;   // the window's start
    double end = 0;  // t0 + dt, its end
    bool cumulative = false;
    Weighting weighting;  // box half width and kernel width in pixels; the distance weighs
    float maximum = 0;    // top of the colour scale, single precision (for the colours)
};

// The time test of a window: strictly inside it, or (cumulative) strictly before its end.
inline bool InPerspectiveWindow(double t, const PerspectiveWindow& window) {
    return window.cumulative ? t < window.end : (window.t0 < t && t < window.end);
}

// Pixel positions of a perspective series, worked out once per series.
struct PerspectiveFillWork {
    std::vector<double> columnU;  // U of each column i: uMin + i du
    std::vector<double> rowW;     // W of each row from the bottom: wMax - (height - 1 - j) dw
    bool columnsOrdered = false;  // U finite and never decreasing
    bool rowsOrdered = false;     // W finite and never decreasing from the bottom up
    DensityField field;           // the densities of the window in progress
};

// Works out the pixel positions of `frame`; call once per series, before the first fill.
void PreparePerspectiveFill(const PerspectiveFrame& frame, PerspectiveFillWork& work);

// work.field: the densities of the density area (row 0 at the bottom): for each pixel the sum of
// the weights of the window's kept events in its strict box of `radius` pixels, added in time
// order, as a scan of the kept events per pixel does, so the sums agree to the last bit.
void ComputePerspectiveDensities(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                                 PerspectiveFillWork& work);

}  // namespace korvane
