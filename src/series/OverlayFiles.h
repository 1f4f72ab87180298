#pragma once
// Reading overlay files: named points from a CSV file (stations, wells, a mainshock), lines
// and outlines from GeoJSON, and x,y[,z] polylines from plain text (the drifts of a mine),
// then placing them in the events' frame: latitude and longitude around the catalogue's
// origin, projected coordinates as they are.

#include <string>
#include <vector>

#include "catalogue/CatalogueReader.h"
#include "common/Status.h"
#include "picture/Overlays.h"

namespace korvane {

enum class OverlayKind { Points, Lines };

// The kind of an overlay file given without one: points for a ".csv" file or a first line
// that names a "name" column; lines otherwise (GeoJSON, or x,y[,z] polylines).
OverlayKind OverlayKindOf(const std::string& path);

// What the third coordinate of an overlay's points is.
enum class OverlayDepth {
    Z,                // the events' z, as it stands
    Depth,            // depth below the surface, positive down, in the events' unit
    Elevation,        // height above the surface, in the events' unit
    ElevationMetres,  // height in metres (GeoJSON)
};

// An overlay file as read, before it is placed among the events.
struct OverlayFile {
    std::string path;
    OverlayLayer layer;
    // x holds the longitude and y the latitude, in degrees, until the layer is placed.
    bool geographic = false;
    OverlayDepth depth = OverlayDepth::Z;
};

// Reads one overlay file of `kind`: points from a CSV file with a header line (a name column
// and latitude/longitude or x/y columns, and optionally depth, elevation or z), lines from
// GeoJSON (LineString, MultiLineString, Polygon and MultiPolygon; Point and MultiPoint become
// markers named by their "name" property) or from a polyline text file (x,y[,z] per line, a
// blank line or ">" between polylines, "#" comments). A GeoJSON file is in longitude and
// latitude unless it names a "crs" of its own. Fails naming the file and the line (for
// GeoJSON the feature) that cannot be read.
Status ReadOverlayFile(const std::string& path, OverlayKind kind, OverlayFile& out);

// Reads the points files and then the lines files, in their order.
Status ReadOverlayFiles(const std::vector<std::string>& points,
                        const std::vector<std::string>& lines, std::vector<OverlayFile>& out);

// Places the files' shapes in the events' frame: latitude and longitude on the local plane
// of the catalogue's origin in its unit (refused, naming the file, when the events were not
// read from latitude and longitude: `catalogue` null or not geographic), depths and heights
// turned into z the way the events' z runs (`depthDown`).
Status PlaceOverlays(std::vector<OverlayFile> files, const CatalogueReport* catalogue,
                     bool depthDown, Overlays& out);

}  // namespace korvane
