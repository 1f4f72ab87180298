#pragma once
// The region a catalogue is cut to: a latitude/longitude box, or a polygon read from a small
// file (lat,lon lines, or a GeoJSON Polygon), and the depth range it is cut to.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"

namespace korvane {

// Degrees north and east.
struct LatLon {
    double lat = 0;
    double lon = 0;
};

class CatalogueRegion {
  public:
    // The box from "LATMIN,LATMAX,LONMIN,LONMAX"; a LONMIN above LONMAX crosses the date
    // line (170,-170). None, with the reason in `why`, for another text.
    static std::optional<CatalogueRegion> FromBoxText(std::string_view text, std::string* why);
    // The polygon of the file at `path`: lines "lat,lon" (blanks, ';' or tabs may split them,
    // '#' starts a comment), or a GeoJSON Polygon or MultiPolygon (alone, as a Feature's
    // geometry, or the first of a FeatureCollection; its positions are [lon, lat]). Every
    // ring counts: a hole is outside. Refused, naming the file, when it cannot be read or a
    // ring has fewer than 3 points.
    static Status FromFile(const std::string& path, CatalogueRegion* out);

    // Whether the point lies inside or on the edge. Longitudes count modulo 360, so a
    // polygon may cross the date line.
    bool Contains(double lat, double lon) const;

  private:
    bool m_box = false;
    std::array<double, 4> m_limits{};            // the box: lat min, lat max, lon min, lon max
    std::vector<std::vector<LatLon>> m_rings{};  // the polygon, each ring's longitudes unwrapped
};

// The text a region is given by is a box (FromBoxText) when it is made of numbers and
// commas, else the path of a file.
bool IsRegionBoxText(std::string_view text);

// "MIN:MAX" (either may be left out: "5:", ":20"), in the table's unit, positive down; none
// with the reason in `why` for another text or a MIN above MAX.
std::optional<std::array<double, 2>> DepthRangeOf(std::string_view text, std::string* why);
// "5:20", "5:", ":20" back.
std::string DepthRangeText(const std::array<double, 2>& range);

}  // namespace korvane
