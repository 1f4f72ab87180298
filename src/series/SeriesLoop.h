#pragma once
// The loop both picture series share: picture after picture along one axis, each saved,
// counted on the progress bar and followed by a look at the cancel flag and the window's
// messages.

#include <functional>
#include <string>

#include "series/SeriesContext.h"
#include "picture/DensityPicture.h"

namespace korvane {

// What distinguishes one series' loop from the other's.
struct SeriesSteps {
    std::string prefix;  // picture file prefix: "space" or "time"
    PictureKind kind;    // caption style of the pictures
    int direction = 0;   // direction of view, for the axis titles
    double start = 0;    // first position (slice p or window start T)
    double end = 0;      // the loop runs while the position is below this
    double step = 0;     // added to the position after each picture
    double hMin = 0, hMax = 0, vMin = 0, vMax = 0;  // axis labels of the pictures
};

// Runs the pictures: `fillPicture(position)` fills ctx.work.raster, then the picture is saved
// with the caption position + step. Stops when a picture cannot be saved (Failed, with the
// renderer's message), when the user cancelled (Cancelled), or after trunc(N) + 1 pictures
// even if the position has not reached the end (a step below the position's precision);
// otherwise shows "Calculation finished successfully." and returns Finished.
SeriesResult RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps,
                           const std::function<void(double position)>& fillPicture);

// Runs `body` and turns an OpenCV error or a failed allocation into a Failed result, so
// nothing thrown inside a series reaches the window's event loop.
SeriesResult GuardSeries(const std::function<SeriesResult()>& body);

// Failed with `message`.
SeriesResult SeriesFailure(std::string message);

}  // namespace korvane
