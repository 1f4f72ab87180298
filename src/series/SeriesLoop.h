#pragma once
// The loop every picture series shares: picture after picture along one axis (slice
// positions or window starts), each composed on the series' canvas, written on the writer's
// thread while the next one is computed, reported to the observer and followed by a look at
// the cancel flag and the window's messages.

#include <functional>
#include <string>

#include "common/Status.h"
#include "picture/DensityPicture.h"
#include "series/SeriesContext.h"

namespace korvane {

struct SeriesSteps {
    const char* prefix = "";          // picture file prefix: "space", "time", "perspective"
    double start = 0;                 // first position (slice p or window start T)
    double end = 0;                   // the loop runs while the position is below this
    double step = 0;                  // added to the position after each picture
    const cv::Mat* raster = nullptr;  // what `compute` fills, the same size for every picture
    PictureLabels labels;             // the frame of the pictures; the caption is the
                                      // position plus the step
};

// Computes the raster of the picture at `position`.
using PictureComputer = std::function<Status(double position)>;

// Runs the pictures of a series into the folder of the event file, numbered from 1. Stops
// at the first picture that cannot be computed or written (its Status), when the user
// cancelled (Cancelled: the picture computed ahead is dropped, never written), or after
// trunc(N) + 1 pictures even if the position has not reached the end (a step below the
// position's precision); otherwise Ok.
Status RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps, const PictureComputer& compute);

}  // namespace korvane
