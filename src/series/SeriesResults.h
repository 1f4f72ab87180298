#pragma once
// What a series tells its front end (through RunObserver) about each picture it writes and
// about the whole series once it ended.

#include <opencv2/core.hpp>
#include <string>

#include "common/Ranges.h"
#include "events/ViewAxes.h"

namespace korvane {

// The event columns a series' pictures put across and up, and the one their caption value
// stands on (a slice's depth column, or time); none (-1) across and up for the perspective.
struct PictureColumns {
    int horizontal = -1;
    int vertical = -1;
    int caption = TimeColumn;
    // A section's pictures: across the distance along its line, the caption its offset.
    bool section = false;
};

// One picture just written to disk.
struct WrittenPicture {
    int number = 0;           // 1 for the first picture of the series
    const std::string& path;  // the file written
    const cv::Mat& raster;    // its density raster as the picture shows it (the perspective:
                              // its whole density picture)
    const cv::Mat& canvas;    // the labelled picture as written
    // World ranges across and up, from the bottom row's value to the top row's (depth down:
    // max before min); zero for the perspective.
    PlaneRange ranges;
    double captionValue = 0;  // slice position or window end, as the caption shows it
    PictureColumns columns;   // what its axes and caption value stand for
    long long events = 0;     // the events it counted (as the series index lists them)
};

// What a series did, once it ended (finished, cancelled or failed).
struct SeriesSummary {
    int picturesWritten = 0;
    long long eventsRead = 0;     // the events of the table
    long long eventsOutside = 0;  // events in no picture: in no slice or window, or outside
                                  // the plane the pictures show (the perspective: the box)
    // The last picture file this run put on disk, also one whose density file then failed
    // (0 and empty when none): pictures of the series beyond it are older ones.
    int lastNumberOnDisk = 0;
    std::string lastPathOnDisk;
};

}  // namespace korvane
