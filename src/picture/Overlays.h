#pragma once
// Overlays: stations, wells, fault traces, outlines and the drifts of a mine drawn over the
// density raster, placed in the picture's own frame, with a legend entry per overlay file.
// The drawer knows nothing of slices, windows or sections: a view hands it an OverlayFrame
// that says where a point of the events' space lands on its raster.

#include <functional>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "common/Ranges.h"
#include "density/SectionFrame.h"
#include "events/ViewAxes.h"

namespace korvane {

// A point in the events' coordinates (x, y, z). A coordinate the file did not give (the
// depth of a point or line given by its map position alone) is NaN.
using OverlayPoint = cv::Point3d;

// A named symbol: a station, a well, a mainshock.
struct OverlayMarker {
    std::string name;
    OverlayPoint at;
};

// A polyline; a closed one (a polygon's ring) joins its last point to its first.
struct OverlayPath {
    std::vector<OverlayPoint> points;
    bool closed = false;
};

// The shapes of one overlay file, drawn in one colour under one legend entry.
struct OverlayLayer {
    std::string label;  // the legend's text: the file's name
    std::vector<OverlayMarker> markers;
    std::vector<OverlayPath> paths;
};

using Overlays = std::vector<OverlayLayer>;

// Where a point of the events' space lands on a raster.
struct OverlayFrame {
    // The point's coordinates in the picture plane: x across, y up, z along the direction
    // of view (NaN where the point lacks a coordinate they need).
    std::function<cv::Point3d(const OverlayPoint&)> toPlane;
    PlaneRange ranges;  // what the raster shows across and up
    PlaneScale scale;   // units per pixel column and row
    cv::Size raster;
    // The depths along the direction of view the picture draws from (a slice's slab);
    // none: every depth (a time window shows the events of all depths).
    std::optional<AxisRange> slab;
    // The vertical axis runs downward (depth down): the raster's first row shows the
    // vertical minimum.
    bool depthDown = false;
};

// The frame of a view along an axis: the event columns across, up and in depth.
OverlayFrame AxisOverlayFrame(const AxisMap& axes, const PlaneRange& ranges,
                              const PlaneScale& scale, cv::Size raster);

// The frame of a cross-section: the distance along its line across, z up, the distance from
// the line in depth (its slab).
OverlayFrame SectionOverlayFrame(const SectionFrame& section, const PlaneRange& ranges,
                                 const PlaneScale& scale, cv::Size raster);

// Where a point of the picture plane (x across, y up) lands on the raster, in pixels: the
// column from the left and the row from the top (the raster's first row shows the top of
// the vertical range, or its bottom when depth runs down), fractions kept.
cv::Point2d OverlayPixel(const OverlayFrame& frame, cv::Point2d plane);

// Draws every layer over `area` (the raster, 8-bit BGR), clipped to it: a path where it
// lies inside the frame's slab (a segment cut where it leaves it; a path without depths in
// every slab), a marker with its name when it lies in the slab (one without a depth in every
// slab). A shape that lacks a coordinate the plane needs (a map trace in a side view) is not
// drawn. Each layer has a dark colour of its own with a thin light outline, so that it
// reads on every colour map.
void DrawOverlays(cv::Mat& area, const Overlays& overlays, const OverlayFrame& frame);

// The legend in the band above a raster of `rasterSize` on `canvas`: an entry per layer
// (its symbol or line and its file name), left of the caption's column; the layers that do
// not fit are counted in the last entry.
void DrawOverlayLegend(cv::Mat& canvas, cv::Size rasterSize, const Overlays& overlays);

}  // namespace korvane
