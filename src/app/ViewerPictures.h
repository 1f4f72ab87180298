#pragma once
// What the viewer knows of each picture it can show, and the texts it gives the status bar:
// the world position under the mouse, the picture's name and caption value, and the summary
// of a finished series. No Qt: the texts are worked out from numbers alone.

#include <optional>
#include <string>

#include "common/Ranges.h"
#include "series/SeriesResults.h"

namespace korvane {

// The names a series gives its axes and its caption value; empty names: unknown.
struct ViewerAxes {
    std::string horizontal;   // "x"
    std::string vertical;     // "y"
    std::string caption;      // "z" for a slice, "t" for a time window
    int captionDecimals = 4;  // as the picture's caption writes the value
    std::string captionUnit;  // " s" for times
};

// The names of the columns a series' pictures show: times with one decimal in seconds,
// depths with four.
ViewerAxes AxesOfPictures(const PictureColumns& columns);

// One picture of the series on show. Pictures opened from a folder know only their file.
struct ViewerPicture {
    std::string path;
    int number = 0;
    bool hasRaster = false;  // the fields below are known (a picture of the run just made)
    PlaneRange ranges;       // world ranges across and up; zero for the perspective
    int rasterLeft = 0;      // where the density raster stands on the picture, in pixels
    int rasterTop = 0;
    int rasterWidth = 0;
    int rasterHeight = 0;
    double captionValue = 0;
};

struct WorldPoint {
    double horizontal = 0;
    double vertical = 0;
};

// The world position of picture pixel (x, y), when it lies on the density raster of a picture
// with known, non-empty ranges. Column k stands at min + k * scale, row k from the bottom at
// min + k * scale, where the raster holds trunc(range / scale) + 2 pixels.
std::optional<WorldPoint> WorldPositionAt(const ViewerPicture& picture, int x, int y);

// A line drawn on a map picture (x across, y up), its ends in world units, and the world
// units one raster pixel stands for (the finer of the two axes).
struct DrawnLine {
    WorldPoint from;
    WorldPoint to;
    double resolution = 0;
};

// The line from picture pixel `from` to `to` on a map picture of known ranges, each end
// moved onto the raster when it lies beside it; none when the picture is no map, its
// ranges are unknown or the ends fall on the same raster pixel.
std::optional<DrawnLine> LineOnMap(const ViewerPicture& picture, const ViewerAxes& axes, int fromX,
                                   int fromY, int toX, int toY);

// True when pictures with `axes` are maps: x across and y up.
bool ShowsMap(const ViewerAxes& axes);

// "x = 1.250, y = 3.500   space0003.bmp   z = 25.0000": the position (when there is one),
// the file name and the caption value (when known).
std::string PointerText(const ViewerPicture& picture, const ViewerAxes& axes,
                        const std::optional<WorldPoint>& position);

// 3550 as "3,550".
std::string GroupedInteger(long long value);

// "40 pictures from 3,550 events in /path".
std::string SeriesSummaryText(int pictures, int events, const std::string& folder);

}  // namespace korvane
