#include "series/SeriesVolume.h"

#include "catalogue/CatalogueBuilder.h"
#include "catalogue/GeographicFrame.h"
#include "common/Paths.h"
#include "events/EventWeights.h"
#include "picture/PictureFiles.h"

namespace korvane {

namespace {

const char* const AxisNames[] = {"x", "y", "z"};

VolumeAxis PlaneAxis(int column, const std::vector<double>& positions, const std::string& unit) {
    return {AxisNames[column], unit,
            std::string(AxisNames[column]) + " at which the densities are taken", positions};
}

std::string DensityWords(const CalculationRequest& request) {
    std::string words = request.weighting.gaussian ? "events around the cell, each weighed by "
                                                     "a Gaussian of its distance"
                                                   : "events in the box around the cell";
    if (request.output.eventWeights != EventWeighting::None) {
        words += ", times the event's " +
                 std::string(EventWeightingName(request.output.eventWeights)) + " weight";
    }
    return "sum of the " + words;
}

// CF time units: "seconds since 2023-02-07 00:00:00.000000" (UTC), or plain seconds.
std::string TimeUnits(const SeriesContext& ctx) {
    std::string reference = CalendarTimeOf(ctx, 0.0);
    if (reference.empty()) {
        return "s";
    }
    for (char& c : reference) {
        c = c == 'T' ? ' ' : c;
    }
    if (!reference.empty() && reference.back() == 'Z') {
        reference.pop_back();
    }
    return "seconds since " + reference;
}

// The latitude and longitude of each cell of a map of the catalogue, back from its east and
// north on the catalogue's plane.
void CellLatitudesAndLongitudes(const CatalogueReport& catalogue, const DensityGrid& grid,
                                VolumeLayout& layout) {
    const LengthScale toMetres = ScaleBetween(catalogue.unit, LengthUnit::Metre);
    const std::size_t cells = grid.rowPositions.size() * grid.columnPositions.size();
    layout.latitudes.reserve(cells);
    layout.longitudes.reserve(cells);
    for (const double north : grid.rowPositions) {
        for (const double east : grid.columnPositions) {
            double latitude = 0.0;
            double longitude = 0.0;
            LocalLatitudeLongitude(catalogue.originLatitude, catalogue.originLongitude,
                                   toMetres(east), toMetres(north), &latitude, &longitude);
            layout.latitudes.push_back(latitude);
            layout.longitudes.push_back(longitude);
        }
    }
}

VolumeLayout LayoutOf(const SeriesContext& ctx, const DensityGrid& grid) {
    const CalculationRequest& request = ctx.request;
    const AxisMap axes = ctx.geometry.axes;
    const std::string unit = PictureUnitOf(request, ctx.catalogue);
    const bool spatial = request.kind == CalculationKind::Spatial;
    VolumeLayout layout;
    layout.columns = PlaneAxis(axes.horizontal, grid.columnPositions, unit);
    layout.rows = PlaneAxis(axes.vertical, grid.rowPositions, unit);
    if (spatial) {
        layout.stack = {
            AxisNames[axes.depth], unit, std::string(AxisNames[axes.depth]) + " of the slice", {}};
    } else {
        layout.stack = {"time",
                        TimeUnits(ctx),
                        request.cumulative ? "end of the time up to which events count"
                                           : "end of the time window",
                        {}};
        layout.stackIsTime = true;
    }
    layout.densityName = DensityWords(request);
    layout.textAttributes = {
        {"title", "Korvane density volume"},
        {"source", std::string("korvane ") + KORVANE_VERSION},
        {"series", spatial              ? "spatial"
                   : request.cumulative ? "time, cumulative"
                                        : "time"},
        {"event_file", request.eventFilePath},
        {"radius_unit", std::string(RadiusUnitName(request.output.radiusUnit))},
    };
    layout.numberAttributes = {{"radius", request.weighting.radius}};
    if (ctx.catalogue != nullptr && ctx.catalogue->geographic) {
        layout.numberAttributes.emplace_back("origin_latitude", ctx.catalogue->originLatitude);
        layout.numberAttributes.emplace_back("origin_longitude", ctx.catalogue->originLongitude);
        layout.textAttributes.emplace_back(
            "frame",
            "x and y in " + unit + " east and north of the origin, on a local tangent plane");
    }
    if (const std::string reference = CalendarTimeOf(ctx, 0.0); !reference.empty()) {
        layout.textAttributes.emplace_back("time_reference", reference);
    }
    if (ctx.catalogue != nullptr && ctx.catalogue->geographic && axes.horizontal == 0 &&
        axes.vertical == 1) {
        CellLatitudesAndLongitudes(*ctx.catalogue, grid, layout);
    }
    return layout;
}

}  // namespace

std::string VolumePathOf(const OutputOptions& output, CalculationKind kind,
                         const std::string& folder) {
    if (!output.volume) {
        return "";
    }
    if (!output.volumePath.empty()) {
        return output.volumePath;
    }
    return JoinPath(folder, kind == CalculationKind::Spatial ? "space.nc" : "time.nc");
}

std::string VolumeRefusal(const CalculationRequest& request) {
    if (request.output.volume && request.kind == CalculationKind::Time &&
        request.direction == ViewDirection::Perspective) {
        return "A density volume is made of the planes of a spatial or time series; the "
               "perspective view has none. Turn the volume off or choose a direction.";
    }
    return "";
}

Status SeriesVolume::Begin(const SeriesContext& ctx, const DensityGrid& grid,
                           const std::string& path) {
    m_file.emplace(path);
    Status begun = m_file->Begin(LayoutOf(ctx, grid));
    if (!begun.ok()) {
        m_file.reset();
    }
    return begun;
}

Status SeriesVolume::Add(const DensityField& field, cv::Size area, double position,
                         const AxisRange& bounds) {
    CopyDensities(field, area, m_plane);
    Status added = m_file->Append(m_plane, position, bounds);
    if (!added.ok()) {
        m_file.reset();
    }
    return added;
}

Status SeriesVolume::Finish() {
    Status finished = m_file->Finish();
    m_file.reset();
    return finished;
}

}  // namespace korvane
