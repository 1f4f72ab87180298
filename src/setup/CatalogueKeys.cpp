#include "setup/CatalogueKeys.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "common/NumberText.h"

namespace korvane {
namespace {

constexpr const char* ColumnsKey = "[Catalogue-Columns]";              // x=lon,y=lat,z=depth,t=time
constexpr const char* PresetKey = "[Catalogue-Preset]";                // hypodd, ..., quakeml
constexpr const char* SeparatorKey = "[Catalogue-Separator]";          // comma, tab, ..., blank
constexpr const char* OriginKey = "[Catalogue-Origin]";                // LAT,LON in degrees
constexpr const char* UnitKey = "[Catalogue-Unit]";                    // m (km is the default)
constexpr const char* XyUnitKey = "[Catalogue-Xyunit]";                // km or m (from the names)
constexpr const char* DepthUnitKey = "[Catalogue-Depthunit]";          // km or m (from the names)
constexpr const char* DepthKey = "[Catalogue-Depth]";                  // up (down is the default)
constexpr const char* DateOrderKey = "[Catalogue-Dateorder]";          // dmy or mdy
constexpr const char* TimeReferenceKey = "[Catalogue-Timereference]";  // ISO 8601
constexpr const char* MagnitudeKey = "[Catalogue-Magnitude]";  // MIN:MAX, a side may be empty
// MIN:MAX in seconds from the time reference (the file's own seconds without calendar time).
constexpr const char* TimeRangeKey = "[Catalogue-Timerange]";
// The same range as written by earlier versions: seconds since 1970 for calendar time.
constexpr const char* TimeRangeSince1970Key = "[Catalogue-Time]";
constexpr const char* DropTypesKey = "[Catalogue-Droptypes]";  // quarry blast;explosion
constexpr const char* RegionKey = "[Catalogue-Region]";  // LATMIN,LATMAX,LONMIN,LONMAX or a file
constexpr const char* DepthRangeKey = "[Catalogue-Depthrange]";  // MIN:MAX, a side may be empty

constexpr double Infinity = std::numeric_limits<double>::infinity();

struct SeparatorName {
    char separator;
    const char* name;
};
constexpr SeparatorName SeparatorNames[] = {
    {',', "comma"}, {'\t', "tab"}, {';', "semicolon"}, {'|', "bar"}, {' ', "blank"}};

void AppendLine(std::string& text, const char* key, std::string_view value) {
    text += key;
    text += '\t';
    text += value;
    text += "\r\n";
}

// "MIN:MAX", an open side left empty: ":5", "2.5:".
std::string RangeText(double min, double max) {
    return (std::isinf(min) ? std::string() : FormatShortest(min)) + ":" +
           (std::isinf(max) ? std::string() : FormatShortest(max));
}

// A finite number and nothing else; an empty text is `open`.
std::optional<double> NumberOrOpen(std::string_view text, double open) {
    return text.empty() ? std::optional<double>(open) : NumberFillingText(text);
}

bool ReadRange(std::string_view value, double* min, double* max) {
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const std::optional<double> low = NumberOrOpen(value.substr(0, colon), -Infinity);
    const std::optional<double> high = NumberOrOpen(value.substr(colon + 1), Infinity);
    if (!low || !high || *low > *high) {
        return false;
    }
    *min = *low;
    *max = *high;
    return true;
}

const char* UnitName(LengthUnit unit) {
    return unit == LengthUnit::Metre ? "m" : "km";
}

std::optional<LengthUnit> UnitNamed(std::string_view name) {
    if (name == "m") {
        return LengthUnit::Metre;
    }
    if (name == "km") {
        return LengthUnit::Kilometre;
    }
    return std::nullopt;
}

}  // namespace

void AppendCatalogueKeys(std::string& text, const CatalogueOptions& options) {
    const CatalogueOptions defaults;
    if (options.columns != defaults.columns) {
        AppendLine(text, ColumnsKey, options.columns);
    }
    if (options.preset != defaults.preset) {
        AppendLine(text, PresetKey, CataloguePresetName(options.preset));
    }
    if (options.separator != defaults.separator) {
        for (const SeparatorName& known : SeparatorNames) {
            if (known.separator == options.separator) {
                AppendLine(text, SeparatorKey, known.name);
            }
        }
    }
    if (options.origin) {
        AppendLine(
            text, OriginKey,
            FormatShortest((*options.origin)[0]) + "," + FormatShortest((*options.origin)[1]));
    }
    if (options.unit != defaults.unit) {
        AppendLine(text, UnitKey, UnitName(options.unit));
    }
    if (options.xyUnit) {
        AppendLine(text, XyUnitKey, UnitName(*options.xyUnit));
    }
    if (options.depthUnit) {
        AppendLine(text, DepthUnitKey, UnitName(*options.depthUnit));
    }
    if (options.depthDown != defaults.depthDown) {
        AppendLine(text, DepthKey, options.depthDown ? "down" : "up");
    }
    if (options.dateOrder != defaults.dateOrder) {
        AppendLine(text, DateOrderKey, DateOrderName(options.dateOrder));
    }
    if (options.timeReference) {
        AppendLine(text, TimeReferenceKey, FormatIsoInstant(*options.timeReference));
    }
    if (options.magnitudeMin != defaults.magnitudeMin ||
        options.magnitudeMax != defaults.magnitudeMax) {
        AppendLine(text, MagnitudeKey, RangeText(options.magnitudeMin, options.magnitudeMax));
    }
    if (options.timeMin != defaults.timeMin || options.timeMax != defaults.timeMax) {
        AppendLine(text, options.timeRangeSince1970 ? TimeRangeSince1970Key : TimeRangeKey,
                   RangeText(options.timeMin, options.timeMax));
    }
    if (!options.dropTypes.empty()) {
        std::string types;
        for (const std::string& type : options.dropTypes) {
            types += (types.empty() ? "" : ";") + type;
        }
        AppendLine(text, DropTypesKey, types);
    }
    if (!options.region.empty()) {
        AppendLine(text, RegionKey, options.region);
    }
    if (options.depthMin != defaults.depthMin || options.depthMax != defaults.depthMax) {
        AppendLine(text, DepthRangeKey, RangeText(options.depthMin, options.depthMax));
    }
}

std::string CatalogueKeysProblem(const CatalogueOptions& options) {
    if (options.timeReference && !RoundTripsAsText(*options.timeReference)) {
        return "The time reference " + FormatIsoInstant(*options.timeReference) +
               " cannot be kept in a setup file: choose one between 0001-01-01 and 9999-12-31 "
               "(UTC).";
    }
    return {};
}

bool ApplyCatalogueKey(CatalogueOptions& options, std::string_view key, std::string_view value) {
    if (key == ColumnsKey) {
        options.columns.assign(value);
    } else if (key == PresetKey) {
        options.preset = CataloguePresetNamed(value).value_or(options.preset);
    } else if (key == SeparatorKey) {
        for (const SeparatorName& known : SeparatorNames) {
            if (value == known.name) {
                options.separator = known.separator;
            }
        }
    } else if (key == OriginKey) {
        if (const std::optional<std::array<double, 2>> origin = OriginOf(value)) {
            options.origin = origin;
        }
    } else if (key == UnitKey) {
        options.unit = UnitNamed(value).value_or(options.unit);
    } else if (key == XyUnitKey) {
        options.xyUnit = UnitNamed(value) ? UnitNamed(value) : options.xyUnit;
    } else if (key == DepthUnitKey) {
        options.depthUnit = UnitNamed(value) ? UnitNamed(value) : options.depthUnit;
    } else if (key == DepthKey) {
        if (value == "down" || value == "up") {
            options.depthDown = value == "down";
        }
    } else if (key == DateOrderKey) {
        options.dateOrder = DateOrderNamed(value).value_or(options.dateOrder);
    } else if (key == TimeReferenceKey) {
        CalendarInstant instant;
        if (ReadIsoTime(value, &instant)) {
            options.timeReference = instant;
        }
    } else if (key == MagnitudeKey) {
        (void)ReadRange(value, &options.magnitudeMin, &options.magnitudeMax);
    } else if (key == DropTypesKey) {
        options.dropTypes.clear();
        for (std::size_t start = 0; start <= value.size();) {
            const std::size_t end = std::min(value.find(';', start), value.size());
            if (end > start) {
                options.dropTypes.emplace_back(value.substr(start, end - start));
            }
            start = end + 1;
        }
    } else if (key == RegionKey) {
        options.region.assign(value);
    } else if (key == DepthRangeKey) {
        (void)ReadRange(value, &options.depthMin, &options.depthMax);
    } else if (key == TimeRangeKey || key == TimeRangeSince1970Key) {
        if (ReadRange(value, &options.timeMin, &options.timeMax)) {
            options.timeRangeSince1970 = key == TimeRangeSince1970Key;
        }
    } else {
        return false;
    }
    return true;
}

}  // namespace korvane
