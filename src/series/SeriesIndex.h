#pragma once
// The series index beside the pictures (space.json, time.json, perspective.json): what the
// series was and, for each picture on disk, what it shows and what it was made from.

#include <string>
#include <vector>

#include "common/Ranges.h"
#include "common/Status.h"

namespace korvane {

struct SeriesContext;
struct SeriesSteps;

// One picture on disk.
struct IndexedPicture {
    int number = 0;
    std::string file;         // its name in the output folder
    std::string densityFile;  // the name of its density file; empty when none was written
    double captionValue = 0;  // slice position or window end
    AxisRange bounds;         // the slice or window it draws from
    long long events = 0;     // the events it counted
};

// The index as JSON text. `complete`: the series ran to its end (false after a cancel or a
// failure: the index then lists the pictures that were written).
std::string SeriesIndexText(const SeriesContext& ctx, const SeriesSteps& steps,
                            const std::vector<IndexedPicture>& pictures, bool complete);

// Writes the index to `path` whole or not at all; fails naming the file and the reason.
Status WriteSeriesIndex(const std::string& path, const SeriesContext& ctx, const SeriesSteps& steps,
                        const std::vector<IndexedPicture>& pictures, bool complete);

}  // namespace korvane
