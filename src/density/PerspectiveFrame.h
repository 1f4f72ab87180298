#pragma once
// The fixed slanted view of the perspective pictures: how a point of space lands on the
// picture plane, which events a series keeps, and the picture bounds they span.

#include <array>
#include <vector>

#include "common/Ranges.h"
#include "density/Kernel.h"
#include "events/EventTable.h"

namespace korvane {

// The box, window and picture size, as read from the dialog's boxes.
struct PerspectiveBox {
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
    double start = 0, end = 0;                   // time range
    int width = 0, height = 0;                   // density area, pixels (the boxes truncated)
    double windows = 0;                          // number of pictures N
    RadiusUnit radiusUnit = RadiusUnit::Pixels;  // what the radius is measured in
    bool depthDown = false;                      // z grows downward in the picture
};

// Where one point lands on the picture plane, in the units of the event file: u grows to
// the right, w upwards.
struct ProjectedPoint {
    double u = 0;
    double w = 0;
};

// A kept event: its place on the picture plane and its time.
struct ProjectedEvent {
    double u = 0;
    double w = 0;
    double t = 0;
    double weight = 1;  // what it adds to a density, times its kernel weight
};

// Sines and cosines of the three turning angles (about x, y and z). The angles are kept in
// single precision, as every perspective picture has been drawn with them.
struct PerspectiveView {
    double sinA = 0, cosA = 1;
    double sinB = 0, cosB = 1;
    double sinC = 0, cosC = 1;
};

// The view turned 30 degrees about x, 0 about y and -60 about z.
PerspectiveView FixedPerspectiveView();

// The first and third rows of the turned point (the second, depth, is not needed).
ProjectedPoint Project(const PerspectiveView& view, double x, double y, double z);

// Everything of a perspective series that does not change from window to window.
struct PerspectiveFrame {
    int width = 0;  // density area, pixels
    int height = 0;
    // The events inside the box and the time range (all bounds inclusive), in table order.
    std::vector<ProjectedEvent> kept;
    bool weighted = false;  // the events carry weights (the table has them)
    // The three box edges that meet at the minimum corner: x, y and z edge, each from the
    // corner to its far end.
    std::array<ProjectedPoint, 3> edgeStart{};
    std::array<ProjectedPoint, 3> edgeEnd{};
    // The smallest and largest u and w of the kept events and the edge points together,
    // held in single precision.
    float uMin = 0, uMax = 0, wMin = 0, wMax = 0;
    // Picture plane units per pixel column and row.
    double du = 0;
    double dw = 0;
    // Picture plane units per step of the radius: du and dw, or 1 and 1 with a radius in
    // coordinates (the turn keeps lengths, so u and w are in the events' units).
    PlaneScale radiusStep;
};

// Keeps and projects the events of `events` (in their table order; the series sorts them
// on time first) and works out the bounds. `frame` keeps its buffers between calls.
void BuildPerspectiveFrame(const EventTable& events, const PerspectiveBox& box,
                           PerspectiveFrame& frame);

// A pixel coordinate from a value computed in doubles, truncated toward zero as a C cast
// does, but clamped first: NaN gives 0 and huge values stay far outside any picture, so
// the conversion is always defined.
int TruncatePixel(double value);

// The picture column and row (frame included) of a point of the picture plane.
int PictureColumnOf(const PerspectiveFrame& frame, double u);
int PictureRowOf(const PerspectiveFrame& frame, double w);

}  // namespace korvane
