#include "series/OverlayFiles.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "catalogue/CatalogueBuilder.h"
#include "catalogue/CatalogueColumns.h"
#include "catalogue/DelimitedText.h"
#include "catalogue/GeographicFrame.h"
#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/ReadableFile.h"

namespace korvane {

namespace {

// An overlay file larger than this is refused before it is read (a coastline of a region is
// a few megabytes).
constexpr std::size_t MostOverlayBytes = 256u << 20;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

Status Refused(const std::string& path, long long line, const std::string& reason) {
    return Status::InvalidInput(
        "The overlay file " + Quoted(path) +
        (line > 0 ? ", line " + FormatInteger(static_cast<double>(line)) : std::string()) + ": " +
        reason);
}

Status ReadWholeFile(const std::string& path, std::string& text) {
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "overlay file", file); !opened.ok()) {
        return opened;
    }
    text.clear();
    char block[1 << 16];
    for (;;) {
        int error = 0;
        const std::size_t got = ReadUpTo(file.get(), block, sizeof block, &error);
        if (error != 0) {
            return Status::IoError("The overlay file " + Quoted(path) +
                                   " could not be read: " + SystemReason(error));
        }
        if (text.size() + got > MostOverlayBytes) {
            return Refused(path, 0, "it is larger than 256 MB.");
        }
        text.append(block, got);
        if (got < sizeof block) {
            break;
        }
    }
    if (const std::string reason = NotPlainTextReason(std::string_view(text).substr(0, 1024));
        !reason.empty()) {
        return Refused(path, 0, reason + ".");
    }
    text.erase(0, ByteOrderMarkLength(text));
    return Status::Ok();
}

// Calls `take` with each line of `text` and its number from 1, until it returns a failure.
template <typename Take>
Status ForEachLine(std::string_view text, Take take) {
    long long number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (Status taken = take(line, ++number); !taken.ok()) {
            return taken;
        }
    }
    return Status::Ok();
}

bool IsNameColumn(std::string_view name) {
    std::string lower;
    for (const char c : TrimmedField(name)) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return lower == "name" || lower == "station" || lower == "label" || lower == "id" ||
           lower == "code" || lower == "well";
}

// The CSV columns of a points file.
struct PointColumns {
    int name = -1;
    int across = -1;  // longitude or x
    int up = -1;      // latitude or y
    int depth = -1;
    bool geographic = false;
    OverlayDepth depthKind = OverlayDepth::Z;
};

Status PointColumnsOf(const std::string& path, const std::vector<std::string_view>& header,
                      PointColumns& columns) {
    int x = -1;
    int y = -1;
    int lat = -1;
    int lon = -1;
    for (int i = 0; i < static_cast<int>(header.size()); ++i) {
        const std::string_view name = header[static_cast<std::size_t>(i)];
        if (IsNameColumn(name) && columns.name < 0) {
            columns.name = i;
            continue;
        }
        const int role = RoleOfColumnName(TrimmedField(name));
        int* slot = role == static_cast<int>(ColumnRole::X)           ? &x
                    : role == static_cast<int>(ColumnRole::Y)         ? &y
                    : role == static_cast<int>(ColumnRole::Latitude)  ? &lat
                    : role == static_cast<int>(ColumnRole::Longitude) ? &lon
                                                                      : nullptr;
        if (slot != nullptr && *slot < 0) {
            *slot = i;
        }
        const OverlayDepth depths[] = {OverlayDepth::Z, OverlayDepth::Depth,
                                       OverlayDepth::Elevation};
        const ColumnRole roles[] = {ColumnRole::Z, ColumnRole::Depth, ColumnRole::Elevation};
        for (int k = 0; k < 3; ++k) {
            if (role == static_cast<int>(roles[k]) && columns.depth < 0) {
                columns.depth = i;
                columns.depthKind = depths[k];
            }
        }
    }
    columns.geographic = lat >= 0 && lon >= 0;
    columns.across = columns.geographic ? lon : x;
    columns.up = columns.geographic ? lat : y;
    if (columns.across < 0 || columns.up < 0) {
        return Refused(path, 1,
                       "the header line names no latitude and longitude columns and no x and y "
                       "columns (a points file starts with a line such as "
                       "\"name,latitude,longitude,depth\").");
    }
    return Status::Ok();
}

Status ReadPointsFile(const std::string& path, const std::string& text, OverlayFile& out) {
    FieldSplitter splitter;
    std::vector<std::string_view> fields;
    PointColumns columns;
    bool headed = false;
    char separator = ',';
    out.layer.markers.clear();
    const Status read = ForEachLine(text, [&](std::string_view line, long long number) {
        if (IsCommentOrBlank(line)) {
            return Status::Ok();
        }
        if (!headed) {
            separator = DetectSeparator(line);
            splitter.Split(line, separator, fields);
            headed = true;
            return PointColumnsOf(path, fields, columns);
        }
        splitter.Split(line, separator, fields);
        const auto field = [&](int column) {
            return column >= 0 && column < static_cast<int>(fields.size())
                       ? TrimmedField(fields[static_cast<std::size_t>(column)])
                       : std::string_view();
        };
        double across = 0.0;
        double up = 0.0;
        double depth = NaN;
        const char* acrossName = columns.geographic ? "longitude" : "x";
        const char* upName = columns.geographic ? "latitude" : "y";
        if (!ReadNumber(field(columns.across), false, &across) || !std::isfinite(across)) {
            return Refused(path, number,
                           "the " + std::string(acrossName) + " \"" +
                               std::string(field(columns.across)) + "\" is not a number.");
        }
        if (!ReadNumber(field(columns.up), false, &up) || !std::isfinite(up)) {
            return Refused(path, number,
                           "the " + std::string(upName) + " \"" + std::string(field(columns.up)) +
                               "\" is not a number.");
        }
        if (columns.geographic && !(std::fabs(up) <= 90.0)) {
            return Refused(
                path, number,
                "the latitude " + std::string(field(columns.up)) + " lies beyond 90 degrees.");
        }
        if (!field(columns.depth).empty() &&
            (!ReadNumber(field(columns.depth), false, &depth) || !std::isfinite(depth))) {
            return Refused(
                path, number,
                "the depth \"" + std::string(field(columns.depth)) + "\" is not a number.");
        }
        out.layer.markers.push_back({std::string(field(columns.name)), {across, up, depth}});
        return Status::Ok();
    });
    if (!read.ok()) {
        return read;
    }
    if (!headed) {
        return Refused(path, 0, "it holds no header line and no point.");
    }
    out.geographic = columns.geographic;
    out.depth = columns.depthKind;
    return Status::Ok();
}

Status ReadPolylineFile(const std::string& path, const std::string& text, OverlayFile& out) {
    std::vector<OverlayPath>& paths = out.layer.paths;
    paths.clear();
    bool open = false;  // the last path takes the next point
    FieldSplitter splitter;
    std::vector<std::string_view> fields;
    const Status read = ForEachLine(text, [&](std::string_view line, long long number) {
        const std::string_view trimmed = TrimmedField(line);
        if (trimmed.empty() || trimmed.front() == '>') {
            open = false;
            return Status::Ok();
        }
        if (trimmed.front() == '#') {
            return Status::Ok();
        }
        const char separator = trimmed.find_first_of(",;\t") != std::string_view::npos
                                   ? DetectSeparator(trimmed)
                                   : ' ';
        splitter.Split(trimmed, separator, fields);
        double values[3] = {NaN, NaN, NaN};
        const bool count = fields.size() == 2 || fields.size() == 3;
        for (std::size_t i = 0; count && i < fields.size(); ++i) {
            if (!ReadNumber(fields[i], false, &values[i]) || !std::isfinite(values[i])) {
                return Refused(path, number,
                               "\"" + std::string(fields[i]) +
                                   "\" is not a number (a line holds "
                                   "x,y or x,y,z; a blank line or \">\" starts a new polyline).");
            }
        }
        if (!count) {
            return Refused(path, number,
                           "a line holds x,y or x,y,z (a blank line or \">\" starts a new "
                           "polyline), not \"" +
                               std::string(trimmed) + "\".");
        }
        if (!open) {
            paths.emplace_back();
            open = true;
        }
        paths.back().points.emplace_back(values[0], values[1], values[2]);
        return Status::Ok();
    });
    out.geographic = false;
    out.depth = OverlayDepth::Z;
    return read;
}

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

Status ReadGeoJsonFile(const std::string& path, const std::string& text, OverlayFile& out) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& error) {
        long long line = 1;
        for (std::size_t i = 0; i < error.byte && i < text.size(); ++i) {
            line += text[i] == '\n' ? 1 : 0;
        }
        return Refused(path, line, "it is not valid JSON.");
    }
    out.layer.paths.clear();
    out.layer.markers.clear();
    if (!document.is_object() || !document.contains("type") || !document["type"].is_string()) {
        return Refused(path, 0, "it is not GeoJSON: no \"type\" at its top.");
    }
    const std::string type = document["type"].get<std::string>();
    std::vector<const json*> features;
    if (type == "FeatureCollection") {
        if (!document.contains("features") || !document["features"].is_array()) {
            return Refused(path, 0, "the FeatureCollection holds no \"features\" list.");
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
            return Refused(path, 0,
                           "feature " + FormatInteger(static_cast<double>(i + 1)) +
                               " is no Point, LineString, Polygon or their Multi forms with "
                               "coordinates of two or three numbers.");
        }
    }
    out.geographic = !document.contains("crs");
    out.depth = out.geographic ? OverlayDepth::ElevationMetres : OverlayDepth::Z;
    return Status::Ok();
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWith(const std::string& text, std::string_view end) {
    if (text.size() < end.size()) {
        return false;
    }
    for (std::size_t i = 0; i < end.size(); ++i) {
        char c = text[text.size() - end.size() + i];
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (c != end[i]) {
            return false;
        }
    }
    return true;
}

// Whether `text` starts as JSON does.
bool LooksLikeJson(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && text[first] == '{';
}

}  // namespace

OverlayKind OverlayKindOf(const std::string& path) {
    if (EndsWith(path, ".csv")) {
        return OverlayKind::Points;
    }
    if (EndsWith(path, ".json") || EndsWith(path, ".geojson")) {
        return OverlayKind::Lines;
    }
    FileDescriptor file;
    if (!OpenRegularFile(path, "overlay file", file).ok()) {
        return OverlayKind::Lines;  // the reading names what is wrong
    }
    char head[4096];
    const std::size_t got = ReadUpTo(file.get(), head, sizeof head);
    std::string_view text(head, got);
    text = text.substr(0, text.find('\n'));
    FieldSplitter splitter;
    std::vector<std::string_view> fields;
    splitter.Split(text, DetectSeparator(text), fields);
    for (const std::string_view field : fields) {
        if (IsNameColumn(field)) {
            return OverlayKind::Points;
        }
    }
    return OverlayKind::Lines;
}

Status ReadOverlayFile(const std::string& path, OverlayKind kind, OverlayFile& out) {
    out = OverlayFile();
    out.path = path;
    out.layer.label = FileName(path);
    std::string text;
    if (Status read = ReadWholeFile(path, text); !read.ok()) {
        return read;
    }
    if (kind == OverlayKind::Points) {
        return ReadPointsFile(path, text, out);
    }
    if (LooksLikeJson(text)) {
        return ReadGeoJsonFile(path, text, out);
    }
    return ReadPolylineFile(path, text, out);
}

Status ReadOverlayFiles(const std::vector<std::string>& points,
                        const std::vector<std::string>& lines, std::vector<OverlayFile>& out) {
    out.clear();
    for (const auto& [files, kind] :
         {std::pair{&points, OverlayKind::Points}, std::pair{&lines, OverlayKind::Lines}}) {
        for (const std::string& path : *files) {
            OverlayFile file;
            if (Status read = ReadOverlayFile(path, kind, file); !read.ok()) {
                return read;
            }
            out.push_back(std::move(file));
        }
    }
    return Status::Ok();
}

Status PlaceOverlays(std::vector<OverlayFile> files, const CatalogueReport* catalogue,
                     bool depthDown, Overlays& out) {
    out.clear();
    const bool geographic = catalogue != nullptr && catalogue->geographic;
    const LengthUnit unit = geographic ? catalogue->unit : LengthUnit::Metre;
    const LengthScale fromMetres = ScaleBetween(LengthUnit::Metre, unit);
    for (OverlayFile& file : files) {
        if (file.geographic && !geographic) {
            return Status::InvalidInput(
                "The overlay file " + Quoted(file.path) +
                " gives latitude and longitude, but the events were not read from latitude and "
                "longitude, so there is no origin to place it around. Give it in the events' x "
                "and y (a GeoJSON file with a \"crs\" member is taken as projected).");
        }
        const auto place = [&](OverlayPoint& p) {
            if (file.geographic) {
                double east = 0.0;
                double north = 0.0;
                LocalEastNorth(catalogue->originLatitude, catalogue->originLongitude, p.y, p.x,
                               &east, &north);
                p.x = fromMetres(east);
                p.y = fromMetres(north);
            }
            const double sign = depthDown ? 1.0 : -1.0;
            switch (file.depth) {
                case OverlayDepth::Z:
                    break;
                case OverlayDepth::Depth:
                    p.z = sign * p.z;
                    break;
                case OverlayDepth::Elevation:
                    p.z = -sign * p.z;
                    break;
                case OverlayDepth::ElevationMetres:
                    p.z = -sign * fromMetres(p.z);
                    break;
            }
        };
        for (OverlayMarker& marker : file.layer.markers) {
            place(marker.at);
        }
        for (OverlayPath& path : file.layer.paths) {
            for (OverlayPoint& p : path.points) {
                place(p);
            }
        }
        out.push_back(std::move(file.layer));
    }
    return Status::Ok();
}

}  // namespace korvane
