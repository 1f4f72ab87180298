// GeoJSON overlay files: LineString, MultiLineString, Polygon and MultiPolygon as lines and
// outlines, Point and MultiPoint as markers named by their "name" property.

#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "common/NumberText.h"
#include "series/OverlayReaders.h"

namespace korvane {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

using nlohmann::json;

// GeoJSON positions into points; false for a position that is not two or three numbers.
bool Positions(const json& list, std::vector<OverlayPoint>& points) {
    if (!list.is_array()) {
        return false;
    }
    for (const json& position : list) {
        if (!position.is_array() || position.size() < 2 || !position[0].is_number() ||
            !position[1].is_number() || (position.size() > 2 && !position[2].is_number())) {
            return false;
        }
        points.emplace_back(position[0].get<double>(), position[1].get<double>(),
                            position.size() > 2 ? position[2].get<double>() : NaN);
    }
    return true;
}

// The shapes of one geometry into `layer`; false when its coordinates are not GeoJSON's.
bool AddGeometry(const json& geometry, const std::string& name, OverlayLayer& layer) {
    if (geometry.is_null()) {
        return true;  // a feature without a place
    }
    if (!geometry.is_object() || !geometry.contains("type") || !geometry["type"].is_string()) {
        return false;
    }
    const std::string type = geometry["type"].get<std::string>();
    if (type == "GeometryCollection") {
        if (!geometry.contains("geometries") || !geometry["geometries"].is_array()) {
            return false;
        }
        for (const json& part : geometry["geometries"]) {
            if (!AddGeometry(part, name, layer)) {
                return false;
            }
        }
        return true;
    }
    if (!geometry.contains("coordinates")) {
        return false;
    }
    const json& coordinates = geometry["coordinates"];
    // Each type as a list of lists of positions: a point is one list of one position.
    const bool point = type == "Point";
    const bool points = type == "MultiPoint";
    const bool line = type == "LineString";
    const bool lines = type == "MultiLineString" || type == "Polygon";
    const bool polygons = type == "MultiPolygon";
    if (!point && !points && !line && !lines && !polygons) {
        return false;
    }
    std::vector<json> parts;
    if (point) {
        parts.push_back(json::array({json::array({coordinates})}));
    } else if (points || line) {
        parts.push_back(json::array({coordinates}));
    } else if (lines) {
        parts.push_back(coordinates);
    } else if (coordinates.is_array()) {
        parts.assign(coordinates.begin(), coordinates.end());
    } else {
        return false;
    }
    for (const json& part : parts) {
        if (!part.is_array()) {
            return false;
        }
        for (const json& list : part) {
            std::vector<OverlayPoint> at;
            if (!Positions(list, at)) {
                return false;
            }
            if (point || points) {
                for (const OverlayPoint& p : at) {
                    layer.markers.push_back({name, p});
                }
            } else {
                layer.paths.push_back({std::move(at), type == "Polygon" || polygons});
            }
        }
    }
    return true;
}

}  // namespace

Status ReadOverlayGeoJson(const std::string& path, const std::string& text, OverlayFile& out) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& error) {
        long long line = 1;
        for (std::size_t i = 0; i < error.byte && i < text.size(); ++i) {
            line += text[i] == '\n' ? 1 : 0;
        }
        return OverlayRefused(path, line, "it is not valid JSON.");
    }
    out.layer.paths.clear();
    out.layer.markers.clear();
    if (!document.is_object() || !document.contains("type") || !document["type"].is_string()) {
        return OverlayRefused(path, 0, "it is not GeoJSON: no \"type\" at its top.");
    }
    const std::string type = document["type"].get<std::string>();
    std::vector<const json*> features;
    if (type == "FeatureCollection") {
        if (!document.contains("features") || !document["features"].is_array()) {
            return OverlayRefused(path, 0, "the FeatureCollection holds no \"features\" list.");
        }
        for (const json& feature : document["features"]) {
            features.push_back(&feature);
        }
    } else {
        features.push_back(&document);
    }
    for (std::size_t i = 0; i < features.size(); ++i) {
        const json& feature = *features[i];
        const bool isFeature = feature.is_object() && feature.value("type", "") == "Feature";
        std::string name;
        if (isFeature && feature.contains("properties") && feature["properties"].is_object()) {
            const json& properties = feature["properties"];
            if (properties.contains("name") && properties["name"].is_string()) {
                name = properties["name"].get<std::string>();
            }
        }
        const json& geometry =
            isFeature ? (feature.contains("geometry") ? feature["geometry"] : json()) : feature;
        if (!AddGeometry(geometry, name, out.layer)) {
            return OverlayRefused(path, 0,
                                  "feature " + FormatInteger(static_cast<double>(i + 1)) +
                                      " is no Point, LineString, Polygon or their Multi forms with "
                                      "coordinates of two or three numbers.");
        }
    }
    out.geographic = !document.contains("crs");
    out.depth = out.geographic ? OverlayDepth::ElevationMetres : OverlayDepth::Z;
    return Status::Ok();
}

}  // namespace korvane
