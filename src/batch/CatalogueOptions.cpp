#include "CatalogueOptions.h"

#include <cmath>

#include "OptionWords.h"
#include "catalogue/CatalogueRegion.h"
#include "common/NumberText.h"

namespace korvane::batch {
namespace {

bool WholeNumber(const std::string& text, double* value) {
    const std::optional<double> number = NumberFillingText(text);
    *value = number.value_or(*value);
    return number.has_value();
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
        const bool given = TakeValue(arguments, i, "--origin", value);
        const std::optional<std::array<double, 2>> origin = given ? OriginOf(value) : std::nullopt;
        if (!origin) {
            problem = "--origin takes latitude and longitude in degrees, e.g. --origin 37.2,37.0";
        }
        options.origin = origin;
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
    } else if (Names(word, "--xy-unit") || Names(word, "--depth-unit")) {
        const bool xy = Names(word, "--xy-unit");
        const char* name = xy ? "--xy-unit" : "--depth-unit";
        const bool given = TakeValue(arguments, i, name, value);
        if (!given || (value != "km" && value != "m")) {
            problem = std::string(name) + " takes km or m, e.g. " + name + " m";
        }
        (xy ? options.xyUnit : options.depthUnit) =
            value == "m" ? LengthUnit::Metre : LengthUnit::Kilometre;
    } else if (Names(word, "--date-order")) {
        const bool given = TakeValue(arguments, i, "--date-order", value);
        const std::optional<DateOrder> order = DateOrderNamed(value);
        if (!given || !order) {
            problem =
                "--date-order takes dmy (06.02.2023, 06/02/2023) or mdy (02/06/2023), e.g. "
                "--date-order mdy";
        }
        options.dateOrder = order.value_or(DateOrder::Automatic);
    } else if (Names(word, "--time-reference")) {
        CalendarInstant instant;
        if (!TakeValue(arguments, i, "--time-reference", value) || !ReadIsoTime(value, &instant)) {
            problem =
                "--time-reference takes an ISO 8601 time from 0001 to 9999 (UTC), e.g. "
                "--time-reference 2023-02-06T00:00:00Z";
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
    } else if (Names(word, "--drop-type")) {
        if (!TakeValue(arguments, i, "--drop-type", value) || value.empty() ||
            value.find(';') != std::string::npos) {
            problem = "--drop-type needs an event type, e.g. --drop-type \"quarry blast\"";
        }
        options.dropTypes.push_back(value);
    } else if (Names(word, "--region")) {
        std::string why = "no region given";
        const bool given = TakeValue(arguments, i, "--region", value) && !value.empty();
        // Numbers make a box; anything else names a polygon file, read with the catalogue.
        if (!given || (IsRegionBoxText(value) && !CatalogueRegion::FromBoxText(value, &why))) {
            problem =
                "--region takes LATMIN,LATMAX,LONMIN,LONMAX or a polygon file (lat,lon "
                "lines or GeoJSON), e.g. --region 36,38.5,35.5,39: " +
                why;
        }
        options.region = value;
    } else if (Names(word, "--depth-range")) {
        std::string why = "no range given";
        const bool given = TakeValue(arguments, i, "--depth-range", value);
        const std::optional<std::array<double, 2>> range =
            given ? DepthRangeOf(value, &why) : std::nullopt;
        if (!range) {
            problem =
                "--depth-range takes MIN:MAX, the depths below the surface to keep, e.g. "
                "--depth-range 0:30: " +
                why;
        }
        options.depthMin = range ? (*range)[0] : options.depthMin;
        options.depthMax = range ? (*range)[1] : options.depthMax;
    } else {
        return false;
    }
    return true;
}

}  // namespace korvane::batch
