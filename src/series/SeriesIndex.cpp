#include "series/SeriesIndex.h"

#include <nlohmann/json.hpp>

#include "common/AtomicFile.h"
#include "series/SeriesLoop.h"
#include "series/TimeWindows.h"

namespace korvane {
namespace {

using nlohmann::ordered_json;

const char* SeriesName(const CalculationRequest& request) {
    if (request.kind == CalculationKind::Spatial && request.output.section.on) {
        return "section";
    }
    if (request.kind == CalculationKind::Spatial) {
        return "spatial";
    }
    return request.direction == ViewDirection::Perspective ? "perspective" : "time";
}

const char* DirectionName(ViewDirection direction) {
    switch (direction) {
        case ViewDirection::AlongX:
            return "x";
        case ViewDirection::AlongY:
            return "y";
        case ViewDirection::AlongZ:
            return "z";
        default:
            return "perspective";
    }
}

ordered_json Axis(const AxisRange& range, double scale) {
    return {{"min", range.min}, {"max", range.max}, {"scale", scale}};
}

ordered_json Bounds(const AxisRange& range) {
    return {{"min", range.min}, {"max", range.max}};
}

// The line of a section: its ends in x and y (and as given, when latitude and longitude),
// its length, the width of its slabs and the side its offsets grow to.
ordered_json SectionEntry(const SectionOptions& section, const SectionLine& line) {
    SectionFrame frame;
    (void)MakeSectionFrame(line, frame);
    ordered_json entry = {{"from", {line.fromX, line.fromY}}, {"to", {line.toX, line.toY}}};
    if (section.geographic) {
        entry["fromLatLon"] = {section.fromX, section.fromY};
        entry["toLatLon"] = {section.toX, section.toY};
    }
    entry["length"] = frame.length;
    entry["width"] = section.width;
    entry["count"] = static_cast<long long>(section.count);  // a whole number, 1 to 9999
    if (section.count > 1) {
        entry["step"] = section.step;
    }
    entry["offsetSide"] = "left";  // positive offsets, looking from A to B
    return entry;
}

std::string IndexFailureText(const std::string& path, const std::string& reason) {
    return "Cannot write the series index " + path + ": " + reason;
}

}  // namespace

std::string SeriesIndexText(const SeriesContext& ctx, const SeriesSteps& steps,
                            const std::vector<IndexedPicture>& pictures, bool complete) {
    const CalculationRequest& request = ctx.request;
    const bool spatial = request.kind == CalculationKind::Spatial;
    const bool section = ctx.section != nullptr;
    ordered_json list = ordered_json::array();
    for (const IndexedPicture& picture : pictures) {
        ordered_json entry = {{"number", picture.number}, {"file", picture.file}};
        if (!picture.densityFile.empty()) {
            entry["densities"] = picture.densityFile;
        }
        entry["caption"] = picture.captionValue;
        if (section) {
            entry["offset"] = picture.captionValue;
        }
        if (const std::string calendar = CalendarTimeOf(ctx, picture.captionValue);
            !spatial && !calendar.empty()) {
            entry["calendarTime"] = calendar;
        }
        entry["horizontal"] = Axis(steps.extent.horizontal, steps.scale.horizontal);
        entry["vertical"] = Axis(steps.extent.vertical, steps.scale.vertical);
        entry[section ? "slab" : spatial ? "slice" : "window"] = Bounds(picture.bounds);
        // A calendar or growing window's calendar start and end.
        if (!spatial && !ctx.windows.empty()) {
            if (const std::string start = CalendarTimeOf(ctx, picture.bounds.min); !start.empty()) {
                entry["calendarWindow"] = {{"start", start},
                                           {"end", CalendarTimeOf(ctx, picture.bounds.max)}};
            }
        }
        entry["events"] = picture.events;
        list.push_back(std::move(entry));
    }
    ordered_json index = {
        {"program", std::string("korvane ") + KORVANE_VERSION},
        {"series", SeriesName(request)},
        {"direction", section ? "section" : DirectionName(request.direction)},
        {"eventFile", request.eventFilePath},
        {"events", ctx.events.count},
        {"radius", request.weighting.radius},
        {"weighting", request.weighting.gaussian ? "gaussian" : "count"},
        {"cumulative", request.cumulative},
        {"densityMaximum", ctx.densityMaximum},
        {"densityMaximumFixed", request.fixedDensityMaximum.has_value()},
    };
    // The colour settings only when not at their defaults, so an index of default pictures
    // reads as it always did.
    const OutputOptions defaults;
    if (request.output.colourMap != defaults.colourMap) {
        index["colourMap"] = std::string(ColourMapName(request.output.colourMap));
    }
    if (request.output.scale != defaults.scale) {
        index["colourScale"] = std::string(DensityScaleName(request.output.scale));
    }
    // A fixed maximum wins over where an unfixed one would come from: the index names only
    // what made the pictures.
    if (request.output.maximum != defaults.maximum && !request.fixedDensityMaximum) {
        index["densityMaximumFrom"] = MaximumChoiceText(request.output.maximum);
    }
    if (request.output.eventWeights != defaults.eventWeights) {
        index["eventWeights"] = std::string(EventWeightingName(request.output.eventWeights));
    }
    if (request.output.radiusUnit != defaults.radiusUnit) {
        index["radiusUnit"] = std::string(RadiusUnitName(request.output.radiusUnit));
    }
    if (!ctx.windows.empty()) {
        index["windows"] = TimeWindowsText(request.output.windows);
        if (request.output.windows.offsetMinutes != 0) {
            index["windowsUtcOffset"] = UtcOffsetText(request.output.windows.offsetMinutes);
        }
    }
    if (const std::string unit = PictureUnitOf(request, ctx.catalogue); unit != "m") {
        index["unit"] = unit;
    }
    // The instant the times count from, for a catalogue of calendar time.
    if (const std::string reference = CalendarTimeOf(ctx, 0.0); !reference.empty()) {
        index["timeReference"] = reference;
    }
    if (section) {
        index["section"] = SectionEntry(request.output.section, *ctx.section);
    }
    // The frame the world files beside the density files are in: the catalogue's own plane,
    // which no standard coordinate system names.
    if (!steps.worldFile.empty() && ctx.catalogue != nullptr) {
        index["worldFiles"] = {
            {"files", "a .tfw beside each density file"},
            {"frame",
             "local: east and north of the origin on the plane touching the WGS84 "
             "ellipsoid there, not a standard (EPSG) coordinate system"},
            {"originLatitude", ctx.catalogue->originLatitude},
            {"originLongitude", ctx.catalogue->originLongitude},
            {"unit", ctx.catalogue->unit == LengthUnit::Metre ? "m" : "km"},
        };
    }
    index["complete"] = complete;
    index["pictures"] = std::move(list);
    // Invalid UTF-8 in a path is replaced rather than refused: the index stays readable.
    return index.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

Status WriteSeriesIndex(const std::string& path, const SeriesContext& ctx, const SeriesSteps& steps,
                        const std::vector<IndexedPicture>& pictures, bool complete) {
    AtomicFileOptions options;
    options.failureText = IndexFailureText;
    return WriteFileAtomically(path, SeriesIndexText(ctx, steps, pictures, complete), options);
}

}  // namespace korvane
