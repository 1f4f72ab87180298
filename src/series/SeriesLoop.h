#pragma once
// The loop every picture series shares: picture after picture along one axis (slice
// positions or window starts), each written, reported to the observer and followed by a
// look at the cancel flag and the window's messages.

#include <functional>
#include <string>

#include "common/Status.h"
#include "series/SeriesContext.h"

namespace korvane {

struct SeriesSteps {
    const char* prefix = "";         // picture file prefix: "space", "time", "perspective"
    double start = 0;                // first position (slice p or window start T)
    double end = 0;                  // the loop runs while the position is below this
    double step = 0;                 // added to the position after each picture
    const cv::Mat* shown = nullptr;  // what the observer is shown of each picture
    PlaneRange ranges;               // the world ranges of the pictures, for the observer
};

// Makes the picture at `position` and writes it to `path`.
using PictureMaker = std::function<Status(double position, const std::string& path)>;

// Runs the pictures of a series into the folder of the event file, numbered from 1. Stops
// at the first picture that cannot be made (its Status), when the user cancelled
// (Cancelled), or after trunc(N) + 1 pictures even if the position has not reached the end
// (a step below the position's precision); otherwise Ok.
Status RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps, const PictureMaker& make);

}  // namespace korvane
