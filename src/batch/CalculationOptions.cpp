#include "CalculationOptions.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <opencv2/core/utils/logger.hpp>
#include <system_error>

#include "CatalogueOptions.h"
#include "OptionWords.h"
#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "movie/VideoWriter.h"
#include "picture/DensityPicture.h"
#include "series/OverlayFiles.h"
#include "series/TimeWindows.h"

namespace korvane::batch {
namespace {

// One option at arguments[i]; sets `problem` when it is wrong.
void TakeOption(const std::vector<std::string>& arguments, std::size_t& i,
                CalculationOptions& options, bool section) {
    const std::string& word = arguments[i];
    std::string value;
    // The unit of the coordinates; km or m is also the unit a catalogue's latitude and
    // longitude become, so that the pictures name the unit the numbers are in.
    if (Names(word, "--unit")) {
        const bool given = TakeValue(arguments, i, "--unit", value);
        if (!given || !IsUnitText(value)) {
            options.problem =
                "--unit takes the unit of the coordinates, up to 16 plain characters, e.g. "
                "--unit km";
        }
        options.unit = value;
        if (value == "km" || value == "m") {
            options.catalogue.unit = value == "m" ? LengthUnit::Metre : LengthUnit::Kilometre;
        }
        return;
    }
    if (TakeSectionOption(arguments, i, options.section, options.problem, section)) {
        return;
    }
    if (TakeCatalogueOption(arguments, i, options.catalogue, options.problem)) {
        options.catalogueGiven = true;
        return;
    }
    if (word == "--fit-ranges") {
        options.fitRanges = true;
    } else if (word == "--densities") {
        options.densities = true;
    } else if (word == "--no-index") {
        options.noIndex = true;
    } else if (word == "--gaussian" || word == "--count") {
        options.gaussian = word == "--gaussian";
    } else if (Names(word, "--volume")) {
        if (!TakeValue(arguments, i, "--volume", value) || value.empty()) {
            options.problem = "--volume needs a file for the densities, e.g. --volume slices.nc";
        }
        options.volume = value;
    } else if (Names(word, "--overlay")) {
        if (!TakeValue(arguments, i, "--overlay", value) || value.empty()) {
            options.problem =
                "--overlay needs a file of points (CSV) or lines (GeoJSON, x,y[,z] text), e.g. "
                "--overlay stations.csv";
        }
        options.overlays.push_back(value);
    } else if (Names(word, "--events")) {
        if (!TakeValue(arguments, i, "--events", value) || value.empty()) {
            options.problem = "--events needs an event file, e.g. --events other.dat";
        }
        options.eventFile = value;
    } else if (Names(word, "--output-dir")) {
        if (!TakeValue(arguments, i, "--output-dir", value) || value.empty()) {
            options.problem = "--output-dir needs a folder, e.g. --output-dir pictures";
        }
        options.outputFolder = value;
    } else if (Names(word, "--format")) {
        const bool given = TakeValue(arguments, i, "--format", value);
        options.format = PictureFormatNamed(value);
        if (!given || !options.format) {
            options.problem = "--format takes bmp or png, e.g. --format png";
        }
    } else if (Names(word, "--colour-map")) {
        const bool given = TakeValue(arguments, i, "--colour-map", value);
        options.colourMap = ColourMapNamed(value);
        if (!given || !options.colourMap) {
            options.problem =
                "--colour-map takes classic, viridis, inferno, cividis or grey, e.g. "
                "--colour-map viridis";
        }
    } else if (Names(word, "--scale")) {
        const bool given = TakeValue(arguments, i, "--scale", value);
        options.scale = DensityScaleNamed(value);
        if (!given || !options.scale) {
            options.problem = "--scale takes linear, log or sqrt, e.g. --scale log";
        }
    } else if (Names(word, "--weights")) {
        const bool given = TakeValue(arguments, i, "--weights", value);
        options.weights = EventWeightingNamed(value);
        if (!given || !options.weights) {
            options.problem = "--weights takes none, value or moment, e.g. --weights moment";
        }
    } else if (Names(word, "--radius-unit")) {
        const bool given = TakeValue(arguments, i, "--radius-unit", value);
        options.radiusUnit = RadiusUnitNamed(value);
        if (!given || !options.radiusUnit) {
            options.problem =
                "--radius-unit takes pixels or coordinates, e.g. --radius-unit coordinates";
        }
    } else if (word == "--true-scale") {
        options.trueScale = true;
    } else if (Names(word, "--depth-axis")) {
        const bool given = TakeValue(arguments, i, "--depth-axis", value);
        options.depthAxis = DepthAxisNamed(value);
        if (!given || !options.depthAxis) {
            options.problem = "--depth-axis takes down or up, e.g. --depth-axis down";
        }
    } else if (Names(word, "--ticks")) {
        const bool given = TakeValue(arguments, i, "--ticks", value);
        options.ticks = TickStyleNamed(value);
        if (!given || !options.ticks) {
            options.problem = "--ticks takes round or classic, e.g. --ticks round";
        }
    } else if (Names(word, "--exaggeration")) {
        const bool given = TakeValue(arguments, i, "--exaggeration", value);
        options.exaggeration = ExaggerationNoteNamed(value);
        if (!given || !options.exaggeration) {
            options.problem = "--exaggeration takes shown or hidden, e.g. --exaggeration shown";
        }
    } else if (Names(word, "--maximum")) {
        const bool given = TakeValue(arguments, i, "--maximum", value);
        options.maximum = MaximumChoiceNamed(value);
        if (!given || !options.maximum) {
            options.problem =
                "--maximum takes catalogue, series or percentile[:P] with 0 < P <= 100, e.g. "
                "--maximum percentile:99.5";
        }
    } else if (Names(word, "--windows")) {
        std::string why = "no windows named";
        const bool given = TakeValue(arguments, i, "--windows", value);
        options.windows = given ? TimeWindowsNamed(value, &why) : std::nullopt;
        if (!options.windows) {
            options.problem =
                "--windows takes 1h, 1d, 1w, 1mo, 1y (or a count: 6h) or "
                "log:START,FIRST,FACTOR, e.g. --windows 1d: " +
                why;
        }
    } else if (Names(word, "--utc-offset")) {
        const bool given = TakeValue(arguments, i, "--utc-offset", value);
        options.utcOffset = UtcOffsetNamed(value);
        if (!given || !options.utcOffset) {
            options.problem =
                "--utc-offset takes the windows' offset from UTC, up to 14 hours, e.g. "
                "--utc-offset +09:00";
        }
    } else {
        options.problem = "unknown option " + word;
    }
}

}  // namespace

CalculationOptions ParseCalculationOptions(const std::vector<std::string>& arguments,
                                           bool section) {
    CalculationOptions options;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size() && options.problem.empty(); ++i) {
        const std::string& word = arguments[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            TakeOption(arguments, i, options, section);
        } else {
            files.push_back(word);
        }
    }
    if (options.problem.empty() && files.size() != 1) {
        options.problem = files.empty() ? "which setup file?" : "one setup file only";
    }
    if (options.problem.empty()) {
        options.setupPath = files.front();
    }
    return options;
}

std::string ApplyCalculationOptions(const CalculationOptions& options, CalculationSetup& setup) {
    if (options.eventFile) {
        setup.FilePath = *options.eventFile;
    }
    // Catalogue options on the command line replace the setup file's catalogue keys.
    if (options.catalogueGiven) {
        setup.Catalogue = options.catalogue;
    }
    // --unit km or m also sets the unit latitude and longitude become, over the setup's.
    if (options.unit == "km" || options.unit == "m") {
        setup.Catalogue.unit = *options.unit == "m" ? LengthUnit::Metre : LengthUnit::Kilometre;
    }
    if (options.format) {
        setup.Output.format = *options.format;
    }
    if (options.colourMap) {
        setup.Output.colourMap = *options.colourMap;
    }
    if (options.scale) {
        setup.Output.scale = *options.scale;
    }
    if (options.weights) {
        setup.Output.eventWeights = *options.weights;
    }
    if (options.maximum) {
        // Where the top of the colour scale comes from, asked on the command line, wins
        // over a maximum the setup file fixes.
        setup.Output.maximum = *options.maximum;
        setup.Fixeddensity = false;
    }
    if (options.radiusUnit) {
        setup.Output.radiusUnit = *options.radiusUnit;
    }
    if (options.unit) {
        setup.Output.unit = *options.unit;
    }
    if (options.depthAxis) {
        setup.Output.view.depthAxis = *options.depthAxis;
    }
    if (options.trueScale) {
        setup.Output.view.trueScale = true;
    }
    if (options.exaggeration) {
        setup.Output.view.exaggeration = *options.exaggeration;
    }
    if (options.ticks) {
        setup.Output.view.ticks = *options.ticks;
    }
    if (options.gaussian) {
        setup.Gaussiandistance = *options.gaussian;
    }
    if (options.densities) {
        setup.Output.densities = true;
    }
    if (options.noIndex) {
        setup.Output.index = false;
    }
    if (options.windows) {
        const int offset = setup.Output.windows.offsetMinutes;
        setup.Output.windows = *options.windows;
        setup.Output.windows.offsetMinutes = offset;
    }
    if (options.utcOffset) {
        setup.Output.windows.offsetMinutes = *options.utcOffset;
    }
    if (options.volume) {
        setup.Output.volume = true;
        setup.Output.volumePath = *options.volume;
    }
    // Overlays on the command line replace the setup file's.
    if (!options.overlays.empty()) {
        setup.Output.overlayPoints.clear();
        setup.Output.overlayLines.clear();
        for (const std::string& file : options.overlays) {
            (OverlayKindOf(file) == OverlayKind::Points ? setup.Output.overlayPoints
                                                        : setup.Output.overlayLines)
                .push_back(file);
        }
    }
    if (!options.outputFolder) {
        return {};
    }
    const std::string& folder = *options.outputFolder;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) {
        return "cannot make the output folder \"" + folder + "\"" +
               (error ? ": " + SystemReason(error.value()) : std::string(": not a folder"));
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return "cannot write into the output folder \"" + folder + "\": " + SystemReason(errno);
    }
    setup.Output.folder = folder;
    return {};
}

std::string SummaryText(const SeriesSummary& summary) {
    return FormatInteger(summary.picturesWritten) +
           (summary.picturesWritten == 1 ? " picture" : " pictures") + " written, " +
           FormatInteger(static_cast<double>(summary.eventsRead)) + " events read, " +
           FormatInteger(static_cast<double>(summary.eventsOutside)) + " outside every picture";
}

}  // namespace korvane::batch
