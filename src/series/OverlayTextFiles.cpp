// The plain-text overlay files: named points from CSV, and x,y[,z] polylines.

#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueColumns.h"
#include "catalogue/DelimitedText.h"
#include "common/NumberText.h"
#include "series/OverlayReaders.h"

namespace korvane {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

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
        if (IsOverlayNameColumn(name) && columns.name < 0) {
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
        return OverlayRefused(
            path, 1,
            "the header line names no latitude and longitude columns and no x and y "
            "columns (a points file starts with a line such as "
            "\"name,latitude,longitude,depth\").");
    }
    return Status::Ok();
}

}  // namespace

bool IsOverlayNameColumn(std::string_view name) {
    std::string lower;
    for (const char c : TrimmedField(name)) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return lower == "name" || lower == "station" || lower == "label" || lower == "id" ||
           lower == "code" || lower == "well";
}

Status ReadOverlayPoints(const std::string& path, const std::string& text, OverlayFile& out) {
    FieldSplitter splitter;
    std::vector<std::string_view> fields;
    PointColumns columns;
    bool headed = false;
    char separator = ',';
    out.layer.markers.clear();
    const Status read = ForEachOverlayLine(text, [&](std::string_view line, long long number) {
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
            return OverlayRefused(path, number,
                                  "the " + std::string(acrossName) + " \"" +
                                      std::string(field(columns.across)) + "\" is not a number.");
        }
        if (!ReadNumber(field(columns.up), false, &up) || !std::isfinite(up)) {
            return OverlayRefused(path, number,
                                  "the " + std::string(upName) + " \"" +
                                      std::string(field(columns.up)) + "\" is not a number.");
        }
        if (columns.geographic && !(std::fabs(up) <= 90.0)) {
            return OverlayRefused(
                path, number,
                "the latitude " + std::string(field(columns.up)) + " lies beyond 90 degrees.");
        }
        if (!field(columns.depth).empty() &&
            (!ReadNumber(field(columns.depth), false, &depth) || !std::isfinite(depth))) {
            return OverlayRefused(
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
        return OverlayRefused(path, 0, "it holds no header line and no point.");
    }
    out.geographic = columns.geographic;
    out.depth = columns.depthKind;
    return Status::Ok();
}

Status ReadOverlayPolylines(const std::string& path, const std::string& text, OverlayFile& out) {
    std::vector<OverlayPath>& paths = out.layer.paths;
    paths.clear();
    bool open = false;  // the last path takes the next point
    FieldSplitter splitter;
    std::vector<std::string_view> fields;
    const Status read = ForEachOverlayLine(text, [&](std::string_view line, long long number) {
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
                return OverlayRefused(
                    path, number,
                    "\"" + std::string(fields[i]) +
                        "\" is not a number (a line holds "
                        "x,y or x,y,z; a blank line or \">\" starts a new polyline).");
            }
        }
        if (!count) {
            return OverlayRefused(path, number,
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

}  // namespace korvane
