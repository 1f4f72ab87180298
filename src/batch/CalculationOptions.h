#pragma once
// The options of "korvane-batch spatial|time": another event file, another output folder,
// the picture format and colours, density data and the series index, before or after the
// setup file.

#include <optional>
#include <string>
#include <vector>

#include "SectionOptions.h"
#include "catalogue/CatalogueReader.h"
#include "picture/ColourScale.h"
#include "picture/PictureFileName.h"
#include "picture/ViewChoices.h"
#include "series/SeriesResults.h"
#include "setup/CalculationSetup.h"

namespace korvane::batch {

struct CalculationOptions {
    std::string setupPath;
    std::optional<std::string> eventFile;     // --events FILE: the setup runs on this file
    std::optional<std::string> outputFolder;  // --output-dir DIR: the files go there
    std::optional<PictureFormat> format;      // --format bmp|png
    std::optional<ColourMap> colourMap;       // --colour-map classic|viridis|...
    std::optional<DensityScale> scale;        // --scale linear|log|sqrt
    std::optional<EventWeighting> weights;    // --weights none|value|moment
    std::optional<MaximumChoice> maximum;     // --maximum catalogue|series|percentile[:P]
    std::optional<RadiusUnit> radiusUnit;     // --radius-unit pixels|coordinates
    std::optional<std::string> unit;          // --unit TEXT: the coordinates' unit
    std::optional<bool> gaussian;             // --gaussian (true) or --count (false)
    bool densities = false;                   // --densities
    bool noIndex = false;                     // --no-index
    std::optional<std::string> volume;        // --volume FILE.nc
    std::optional<TimeWindows> windows;       // --windows 1d|1mo|log:START,FIRST,FACTOR
    std::optional<int> utcOffset;             // --utc-offset +09:00: the windows' zone
    std::vector<std::string> overlays;        // --overlay FILE, repeated
    CatalogueOptions catalogue;               // --columns, --origin, --unit, ...
    bool catalogueGiven = false;              // any of them: they replace the setup's
    bool fitRanges = false;                   // --fit-ranges: x, y, z and time from the events
    SectionArguments section;                 // --from, --to, --width, ... (section only)
    std::string problem;                      // empty when the arguments make sense

    // The view: --depth-axis down|up, --true-scale, --exaggeration shown|hidden,
    // --ticks round|classic.
    std::optional<DepthAxis> depthAxis;
    bool trueScale = false;
    std::optional<ExaggerationNote> exaggeration;
    std::optional<TickStyle> ticks;
};

// Reads the words after the command word. Options may stand before or after the setup
// file; "--" ends the options (a setup file whose name starts with "-" follows it). A value
// may follow its option as the next word or after "=" (--format=png).
// `section`: the words of the section command, where "--count N" with a number is the number
// of sections (a --count without one still counts the events in the box).
CalculationOptions ParseCalculationOptions(const std::vector<std::string>& arguments,
                                           bool section = false);

// Puts the options into the setup, over the setup file's own choices, and makes the output
// folder if it does not exist. Returns what is wrong (an output folder that cannot be made
// or written), empty when all is well.
std::string ApplyCalculationOptions(const CalculationOptions& options, CalculationSetup& setup);

// "12 pictures written, 2000 events read, 35 outside every picture".
std::string SummaryText(const SeriesSummary& summary);

}  // namespace korvane::batch
