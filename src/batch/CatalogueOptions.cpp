#include "CatalogueOptions.h"

#include <cmath>
#include <filesystem>

#include "OptionWords.h"
#include "catalogue/EventExtent.h"
#include "common/NumberText.h"

namespace korvane::batch {
namespace {

bool WholeNumber(const std::string& text, double* value) {
    if (text.empty() || DecimalExtent(text) != text.size()) {
        return false;
    }
    *value = ReadDecimal(text);
    return std::isfinite(*value);
}

// The box text of a range end, rounded outward to the dialog's three decimals so that the
// outermost events stay inside.
std::string BoxText(double value, bool upper) {
    const double rounded =
        upper ? std::ceil(value * 1000.0) / 1000.0 : std::floor(value * 1000.0) / 1000.0;
    return FormatFixed(rounded, 3);
}

}  // namespace

bool TakeCatalogueOption(const std::vector<std::string>& arguments, std::size_t& i,
                         CatalogueOptions& options, std::string& problem) {
    const std::string& word = arguments[i];
    std::string value;
    if (word == "--depth-down" || word == "--depth-up") {
        options.depthDown = word == "--depth-down";
    } else if (Names(word, "--columns")) {
        if (!TakeValue(arguments, i, "--columns", value) || value.empty()) {
            problem = "--columns needs a column map, e.g. --columns x=lon,y=lat,z=depth,t=time";
        }
        options.columns = value;
    } else if (Names(word, "--origin")) {
        const std::size_t comma =
            TakeValue(arguments, i, "--origin", value) ? value.find(',') : std::string::npos;
        double lat = 0;
        double lon = 0;
        if (comma == std::string::npos || !WholeNumber(value.substr(0, comma), &lat) ||
            !WholeNumber(value.substr(comma + 1), &lon) || std::fabs(lat) > 90 ||
            std::fabs(lon) > 360) {
            problem = "--origin takes latitude and longitude in degrees, e.g. --origin 37.2,37.0";
        }
        options.origin = std::array<double, 2>{lat, lon};
    } else if (Names(word, "--format-preset")) {
        const bool given = TakeValue(arguments, i, "--format-preset", value);
        const std::optional<CataloguePreset> preset = CataloguePresetNamed(value);
        if (!given || !preset) {
            problem =
                "--format-preset takes hypodd, growclust, fdsn, nonlinloc or quakeml, e.g. "
                "--format-preset hypodd";
        }
        options.preset = preset.value_or(CataloguePreset::None);
    } else if (Names(word, "--unit")) {
        const bool given = TakeValue(arguments, i, "--unit", value);
        if (!given || (value != "km" && value != "m")) {
            problem = "--unit takes km or m, e.g. --unit km";
        }
        options.unit = value == "m" ? LengthUnit::Metre : LengthUnit::Kilometre;
    } else if (Names(word, "--time-reference")) {
        CalendarInstant instant;
        if (!TakeValue(arguments, i, "--time-reference", value) || !ReadIsoTime(value, &instant)) {
            problem =
                "--time-reference takes an ISO 8601 time, e.g. --time-reference "
                "2023-02-06T00:00:00Z";
        }
        options.timeReference = instant;
    } else if (Names(word, "--magnitude")) {
        const bool given = TakeValue(arguments, i, "--magnitude", value);
        const std::size_t colon = value.find(':');
        double min = 0;
        double max = std::numeric_limits<double>::infinity();
        if (!given || !WholeNumber(value.substr(0, colon), &min) ||
            (colon != std::string::npos && !WholeNumber(value.substr(colon + 1), &max)) ||
            max < min) {
            problem = "--magnitude takes MIN or MIN:MAX, e.g. --magnitude 2.5:7";
        }
        options.magnitudeMin = min;
        options.magnitudeMax = max;
    } else {
        return false;
    }
    return true;
}

std::string FitRangesToEvents(DialogValues& values) {
    EventTable table;
    CatalogueReport report;
    const Status read = ReadEvents(values.eventFilePath, values.catalogue, table, &report);
    if (!read.ok()) {
        return read.message();
    }
    const std::array<AxisRange, 4> extent = EventExtentOf(table);
    std::string* boxes[4][2] = {{&values.xMin, &values.xMax},
                                {&values.yMin, &values.yMax},
                                {&values.zMin, &values.zMax},
                                {&values.timeStart, &values.timeEnd}};
    for (std::size_t column = 0; column < 4; ++column) {
        const AxisRange range = WithMargin(extent[column]);
        *boxes[column][0] = BoxText(range.min, false);
        *boxes[column][1] = BoxText(range.max, true);
    }
    return {};
}

std::string EventPathBesideSetup(const std::string& eventPath, const std::string& setupPath) {
    namespace fs = std::filesystem;
    const fs::path event(eventPath);
    if (eventPath.empty() || event.is_absolute()) {
        return eventPath;
    }
    const fs::path beside = fs::path(setupPath).parent_path() / event;
    std::error_code error;
    return fs::exists(beside, error) ? beside.string() : eventPath;
}

}  // namespace korvane::batch
