#include "series/SectionSeries.h"

#include <cmath>

#include "catalogue/LocalPoint.h"
#include "common/NumberText.h"

namespace korvane {

bool SectionAsked(const CalculationRequest& request) {
    return request.kind == CalculationKind::Spatial && request.output.section.on;
}

std::string SectionRefusal(const SectionOptions& section) {
    const SectionLine line{section.fromX, section.fromY, section.toX, section.toY};
    SectionFrame frame;
    // Latitudes and longitudes that differ are different points; their frame comes later.
    if (const Status made = MakeSectionFrame(line, frame); !made.ok()) {
        return made.message();
    }
    if (!(section.width > 0) || !std::isfinite(section.width)) {
        return "The width of the section must be a number greater than 0 (the events within "
               "half of it on either side of the line count); it is " +
               FormatShortest(section.width) + ".";
    }
    if (!(section.count >= 1) || section.count > 9999 ||
        section.count != std::floor(section.count)) {
        return "The number of sections must be a whole number from 1 to 9999; it is " +
               FormatShortest(section.count) + ".";
    }
    if (section.count > 1 && (!(section.step > 0) || !std::isfinite(section.step))) {
        return "The step between parallel sections must be a number greater than 0; it is " +
               FormatShortest(section.step) + ".";
    }
    return "";
}

Status SectionLineOf(const SectionOptions& section, const CalculationRequest& request,
                     const CatalogueReport& catalogue, SectionLine& line) {
    if (!section.geographic) {
        line = {section.fromX, section.fromY, section.toX, section.toY};
        return Status::Ok();
    }
    if (!catalogue.geographic) {
        return Status::InvalidInput(
            "The ends of the section are latitudes and longitudes, but the events of \"" +
            request.eventFilePath +
            "\" were not placed from latitude and longitude: give the ends in x and y.");
    }
    const LengthUnit unit = request.catalogue.unit;
    const auto from = LocalPointOf(catalogue, unit, section.fromX, section.fromY);
    const auto to = LocalPointOf(catalogue, unit, section.toX, section.toY);
    line = {from[0], from[1], to[0], to[1]};
    return Status::Ok();
}

ViewGeometry SectionGeometryOf(const CalculationRequest& request, const SectionLine& line) {
    const SectionOptions& section = request.output.section;
    const double halfWidth = 0.5 * section.width;
    SectionFrame frame;
    (void)MakeSectionFrame(line, frame);  // a line that makes no frame has length 0
    ViewGeometry view;
    // The table holds the distance along the line in x and across it in y.
    view.axes = {0, 2, 1};
    view.ranges = {{0.0, frame.length}, request.box.z};
    view.scale = {ScaleOrStep(view.ranges.horizontal, request.pictureWidth),
                  ScaleOrStep(view.ranges.vertical, request.pictureHeight)};
    const bool several = section.count > 1;
    // One section needs a step only to end the loop after it.
    view.step = several ? section.step : 1.0;
    // (1 - N) first: one section stands at +0, never -0.
    const double first = (1.0 - section.count) * 0.5 * view.step;
    view.positions = {first, first + (section.count - 0.5) * view.step};
    const RadiusUnit unit = request.output.radiusUnit;
    view.radiusStep = {RadiusStep(unit, view.scale.horizontal),
                       RadiusStep(unit, view.scale.vertical)};
    // In pixel steps the slab's edge lies `radius` steps across the line, as a slice's does.
    view.depthRadiusStep =
        unit == RadiusUnit::Coordinates ? 1.0 : halfWidth / request.weighting.radius;
    view.slabHalfWidth = halfWidth;
    return view;
}

}  // namespace korvane
