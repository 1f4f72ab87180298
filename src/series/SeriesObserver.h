#pragma once
// How a front end follows a calculation: the series' start, each picture as it is written,
// the user's cancel, a chance to handle window messages, and the engine's trace lines. The
// Options dialog, korvane-batch and the tests each implement it.

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
};

// One picture just written to disk.
struct WrittenPicture {
    int number = 0;           // 1 for the first picture of the series
    const std::string& path;  // the file written
    const cv::Mat& raster;    // its density raster as the picture shows it (the perspective:
                              // its whole density picture)
    const cv::Mat& canvas;    // the labelled picture as written
    PlaneRange ranges;        // world ranges across and up (zero for the perspective)
    double captionValue = 0;  // slice position or window end, as the caption shows it
    PictureColumns columns;   // what its axes and caption value stand for
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

class SeriesObserver {
  public:
    virtual ~SeriesObserver() = default;

    // The series is about to write its first picture. Progress runs from 0 to
    // `lastPosition` (the number of pictures plus one, truncated); after picture n it
    // stands at n + 1.
    virtual void SeriesStarted(int lastPosition) = 0;

    virtual void PictureWritten(const WrittenPicture& picture) = 0;

    // Asked after each picture: true once the user closed the window that runs the work.
    // The series then stops; the pictures written stay.
    virtual bool CancelRequested() = 0;

    // After each picture, unless the series stops there for a cancel: let the window handle every
    // pending message (repaint, a close request) and return at once.
    virtual void HandleWindowMessages() = 0;

    // A diagnostic line ("input[][] sorted by direction!"); the desktop program sends it to
    // its standard output.
    virtual void Trace(const std::string& line) = 0;

    // The series ended; what it wrote. Front ends that do not show it need not listen.
    virtual void SeriesFinished(const SeriesSummary& summary) { (void)summary; }
};

}  // namespace korvane
