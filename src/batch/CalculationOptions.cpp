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

namespace korvane::batch {
namespace {

// One option at arguments[i]; sets `problem` when it is wrong.
void TakeOption(const std::vector<std::string>& arguments, std::size_t& i,
                CalculationOptions& options) {
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
    } else {
        options.problem = "unknown option " + word;
    }
}

}  // namespace

CalculationOptions ParseCalculationOptions(const std::vector<std::string>& arguments) {
    CalculationOptions options;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size() && options.problem.empty(); ++i) {
        const std::string& word = arguments[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            TakeOption(arguments, i, options);
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

std::string ApplyCalculationOptions(const CalculationOptions& options, DialogValues& values) {
    if (options.eventFile) {
        values.eventFilePath = *options.eventFile;
    }
    // Catalogue options on the command line replace the setup file's catalogue keys.
    if (options.catalogueGiven) {
        values.catalogue = options.catalogue;
    }
    // --unit km or m also sets the unit latitude and longitude become, over the setup's.
    if (options.unit == "km" || options.unit == "m") {
        values.catalogue.unit = *options.unit == "m" ? LengthUnit::Metre : LengthUnit::Kilometre;
    }
    if (options.format) {
        values.output.format = *options.format;
    }
    if (options.colourMap) {
        values.output.colourMap = *options.colourMap;
    }
    if (options.scale) {
        values.output.scale = *options.scale;
    }
    if (options.weights) {
        values.output.eventWeights = *options.weights;
    }
    if (options.maximum) {
        // Where the top of the colour scale comes from, asked on the command line, wins
        // over a maximum the setup file fixes.
        values.output.maximum = *options.maximum;
        values.fixedDensityState = 0;
    }
    if (options.radiusUnit) {
        values.output.radiusUnit = *options.radiusUnit;
    }
    if (options.unit) {
        values.output.unit = *options.unit;
    }
    if (options.depthAxis) {
        values.output.view.depthAxis = *options.depthAxis;
    }
    if (options.trueScale) {
        values.output.view.trueScale = true;
    }
    if (options.exaggeration) {
        values.output.view.exaggeration = *options.exaggeration;
    }
    if (options.ticks) {
        values.output.view.ticks = *options.ticks;
    }
    if (options.gaussian) {
        values.gaussianState = *options.gaussian ? 1 : 0;
    }
    if (options.densities) {
        values.output.densities = true;
    }
    if (options.noIndex) {
        values.output.index = false;
    }
    if (options.volume) {
        values.output.volume = true;
        values.output.volumePath = *options.volume;
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
    values.output.folder = folder;
    return {};
}

std::string SummaryText(const SeriesSummary& summary) {
    return FormatInteger(summary.picturesWritten) +
           (summary.picturesWritten == 1 ? " picture" : " pictures") + " written, " +
           FormatInteger(static_cast<double>(summary.eventsRead)) + " events read, " +
           FormatInteger(static_cast<double>(summary.eventsOutside)) + " outside every picture";
}

}  // namespace korvane::batch
