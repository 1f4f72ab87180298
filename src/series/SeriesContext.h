#pragma once
// What a picture series works with: the window (through Host), the event table, the run's
// values, and buffers reused from picture to picture.

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "common/Host.h"
#include "events/EventTable.h"
#include "setup/CalculationSetup.h"

namespace korvane {

// Buffers a series allocates once and reuses for every picture (a fresh page costs more to
// touch than a unit-weight picture costs to compute).
struct SeriesWorkspace {
    cv::Mat raster;                       // the picture raster, 8-bit BGR
    cv::Mat canvas;                       // the labelled picture written to disk
    std::vector<double> densities;        // per-pixel sums of the picture in progress
    std::vector<int> counts;              // per-pixel counts (unit weights)
    std::vector<cv::Vec3b> countColours;  // colour of each count, for the picture in progress
};

struct SeriesContext {
    Host& host;
    EventTable& events;
    const RunParameters& run;
    std::string eventFilePath;    // text of the event file box: pictures go beside it
    double numberOfPictures = 0;  // value of the number-of-pictures box (progress range);
                                  // a series writes at most trunc(value) + 1 pictures
    SeriesWorkspace& work;
};

enum class SeriesOutcome {
    Finished,   // every picture written, "Calculation finished successfully." shown
    Cancelled,  // the user closed the window; the pictures written stay on disk
    Failed      // a picture could not be written or a raster not allocated; see message
};

struct SeriesResult {
    SeriesOutcome outcome = SeriesOutcome::Finished;
    std::string message;  // for Failed: what went wrong, naming the file where there is one
};

}  // namespace korvane
