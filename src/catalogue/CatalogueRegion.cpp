#include "catalogue/CatalogueRegion.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/ReadableFile.h"

namespace korvane {
namespace {

// A region file is a few points; a larger file is no region.
constexpr std::size_t LargestRegionFile = 16u << 20;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// The numbers of `text` split by commas, none when one is not a number.
std::optional<std::vector<double>> NumbersOf(std::string_view text, char separator) {
    std::vector<double> numbers;
    while (true) {
        const std::size_t split = text.find(separator);
        const std::optional<double> number = NumberFillingText(Trimmed(text.substr(0, split)));
        if (!number || !std::isfinite(*number)) {
            return std::nullopt;
        }
        numbers.push_back(*number);
        if (split == std::string_view::npos) {
            return numbers;
        }
        text.remove_prefix(split + 1);
    }
}

// The longitude `lon` moved by whole turns to lie within half a turn of `near`.
double NearLongitude(double lon, double near) {
    return lon - 360.0 * std::round((lon - near) / 360.0);
}

bool OnSegment(const LatLon& a, const LatLon& b, double lat, double lon) {
    const double cross = (b.lon - a.lon) * (lat - a.lat) - (b.lat - a.lat) * (lon - a.lon);
    const double length = std::hypot(b.lon - a.lon, b.lat - a.lat);
    return std::fabs(cross) <= 1e-12 * std::max(1.0, length) && std::min(a.lon, b.lon) <= lon &&
           lon <= std::max(a.lon, b.lon) && std::min(a.lat, b.lat) <= lat &&
           lat <= std::max(a.lat, b.lat);
}

Status RegionRefusal(const std::string& path, const std::string& why) {
    return Status::InvalidInput("The region file \"" + path + "\" " + why);
}

// The rings of a GeoJSON geometry, positions [lon, lat].
bool GeoJsonRings(const nlohmann::json& json, std::vector<std::vector<LatLon>>& rings) {
    if (!json.is_object()) {
        return false;
    }
    const std::string type = json.value("type", "");
    if (type == "FeatureCollection") {
        const auto features = json.find("features");
        return features != json.end() && features->is_array() && !features->empty() &&
               GeoJsonRings((*features)[0], rings);
    }
    if (type == "Feature") {
        const auto geometry = json.find("geometry");
        return geometry != json.end() && GeoJsonRings(*geometry, rings);
    }
    const auto coordinates = json.find("coordinates");
    if ((type != "Polygon" && type != "MultiPolygon") || coordinates == json.end() ||
        !coordinates->is_array()) {
        return false;
    }
    std::vector<nlohmann::json> polygons;
    if (type == "Polygon") {
        polygons.push_back(*coordinates);
    } else {
        polygons.assign(coordinates->begin(), coordinates->end());
    }
    for (const nlohmann::json& polygon : polygons) {
        if (!polygon.is_array()) {
            return false;
        }
        for (const nlohmann::json& ring : polygon) {
            if (!ring.is_array()) {
                return false;
            }
            std::vector<LatLon> points;
            for (const nlohmann::json& position : ring) {
                if (!position.is_array() || position.size() < 2 || !position[0].is_number() ||
                    !position[1].is_number()) {
                    return false;
                }
                points.push_back({position[1].get<double>(), position[0].get<double>()});
            }
            rings.push_back(std::move(points));
        }
    }
    return true;
}

}  // namespace

bool IsRegionBoxText(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789.,+-eE ") == std::string_view::npos;
}

std::optional<CatalogueRegion> CatalogueRegion::FromBoxText(std::string_view text,
                                                            std::string* why) {
    const std::optional<std::vector<double>> numbers = NumbersOf(text, ',');
    const auto refuse = [&](const char* reason) -> std::optional<CatalogueRegion> {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    if (!numbers || numbers->size() != 4) {
        return refuse("a region box is four numbers: LATMIN,LATMAX,LONMIN,LONMAX");
    }
    const std::vector<double>& n = *numbers;
    if (n[0] < -90 || n[1] > 90 || n[0] > n[1]) {
        return refuse("the box's latitudes must run from LATMIN up to LATMAX within -90 to 90");
    }
    if (std::fabs(n[2]) > 360 || std::fabs(n[3]) > 360) {
        return refuse("the box's longitudes must lie within -360 to 360");
    }
    CatalogueRegion region;
    region.m_box = true;
    region.m_limits = {n[0], n[1], n[2], n[3]};
    return region;
}

Status CatalogueRegion::FromFile(const std::string& path, CatalogueRegion* out) {
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "region file", file); !opened.ok()) {
        return opened;
    }
    std::string text(LargestRegionFile + 1, '\0');
    int error = 0;
    text.resize(ReadUpTo(file.get(), text.data(), text.size(), &error));
    if (error != 0) {
        return Status::IoError("The region file \"" + path + "\" could not be read (" +
                               SystemReason(error) + ").");
    }
    if (text.size() > LargestRegionFile) {
        return RegionRefusal(path, "is larger than a region file can be (16 MiB).");
    }
    CatalogueRegion region;
    const std::string_view body = Trimmed(std::string_view(text).substr(ByteOrderMarkLength(text)));
    if (!body.empty() && body.front() == '{') {
        const nlohmann::json json = nlohmann::json::parse(body, nullptr, false);
        if (json.is_discarded() || !GeoJsonRings(json, region.m_rings)) {
            return RegionRefusal(path,
                                 "holds no GeoJSON Polygon or MultiPolygon of [longitude, "
                                 "latitude] positions.");
        }
    } else {
        std::vector<LatLon> ring;
        std::size_t lineNumber = 0;
        for (std::string_view rest = body; !rest.empty() || lineNumber == 0;) {
            ++lineNumber;
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            line = Trimmed(line.substr(0, line.find('#')));
            if (line.empty()) {
                continue;
            }
            const char separator = line.find(',') != std::string_view::npos    ? ','
                                   : line.find(';') != std::string_view::npos  ? ';'
                                   : line.find('\t') != std::string_view::npos ? '\t'
                                                                               : ' ';
            std::string joined(line);
            if (separator == ' ') {
                // Runs of blanks split once.
                joined.erase(std::unique(joined.begin(), joined.end(),
                                         [](char a, char b) { return a == ' ' && b == ' '; }),
                             joined.end());
            }
            const std::optional<std::vector<double>> numbers = NumbersOf(joined, separator);
            if (!numbers || numbers->size() != 2) {
                return RegionRefusal(path,
                                     "holds a line that is not \"latitude,longitude\" (line " +
                                         std::to_string(lineNumber) + ": \"" +
                                         std::string(line.substr(0, 60)) + "\").");
            }
            ring.push_back({(*numbers)[0], (*numbers)[1]});
        }
        region.m_rings.push_back(std::move(ring));
    }
    for (std::vector<LatLon>& ring : region.m_rings) {
        // A ring may repeat its first point at its end.
        if (ring.size() > 1 && ring.front().lat == ring.back().lat &&
            ring.front().lon == ring.back().lon) {
            ring.pop_back();
        }
        if (ring.size() < 3) {
            return RegionRefusal(path, "holds a polygon of " + std::to_string(ring.size()) +
                                           (ring.size() == 1 ? " point" : " points") +
                                           "; a region needs at least 3.");
        }
        for (std::size_t i = 0; i < ring.size(); ++i) {
            if (!(std::fabs(ring[i].lat) <= 90 && std::fabs(ring[i].lon) <= 360)) {
                return RegionRefusal(path,
                                     "holds a point beyond 90 degrees of latitude or 360 "
                                     "of longitude (" +
                                         FormatShortest(ring[i].lat) + ", " +
                                         FormatShortest(ring[i].lon) + ").");
            }
            // Each point within half a turn of the one before: a ring across the date line
            // stays in one piece.
            if (i > 0) {
                ring[i].lon = NearLongitude(ring[i].lon, ring[i - 1].lon);
            }
        }
    }
    *out = std::move(region);
    return Status::Ok();
}

bool CatalogueRegion::Contains(double lat, double lon) const {
    if (m_box) {
        if (lat < m_limits[0] || lat > m_limits[1]) {
            return false;
        }
        const double west = m_limits[2];
        double east = m_limits[3];
        while (east < west) {
            east += 360.0;
        }
        double at = lon;
        while (at < west) {
            at += 360.0;
        }
        while (at - 360.0 >= west) {
            at -= 360.0;
        }
        return at <= east;
    }
    // Even-odd over every ring, with the point's longitude tried a turn either way; a point
    // on an edge is inside.
    for (const double turn : {0.0, 360.0, -360.0}) {
        bool inside = false;
        const double x = lon + turn;
        for (const std::vector<LatLon>& ring : m_rings) {
            for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
                const LatLon& a = ring[i];
                const LatLon& b = ring[j];
                if (OnSegment(a, b, lat, x)) {
                    return true;
                }
                if ((a.lat > lat) != (b.lat > lat) &&
                    x < (b.lon - a.lon) * (lat - a.lat) / (b.lat - a.lat) + a.lon) {
                    inside = !inside;
                }
            }
        }
        if (inside) {
            return true;
        }
    }
    return false;
}

std::optional<std::array<double, 2>> DepthRangeOf(std::string_view text, std::string* why) {
    const std::size_t colon = text.find(':');
    const auto refuse = [&](const std::string& reason) -> std::optional<std::array<double, 2>> {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) {
        return refuse("a depth range is MIN:MAX (either may be left out: 5: or :20)");
    }
    std::array<double, 2> range{-HUGE_VAL, HUGE_VAL};
    const std::string_view parts[] = {Trimmed(text.substr(0, colon)),
                                      Trimmed(text.substr(colon + 1))};
    for (int i = 0; i < 2; ++i) {
        if (parts[i].empty()) {
            continue;
        }
        const std::optional<double> number = NumberFillingText(parts[i]);
        if (!number || !std::isfinite(*number)) {
            return refuse("\"" + std::string(parts[i]) + "\" in the depth range is no number");
        }
        range[static_cast<std::size_t>(i)] = *number;
    }
    if (range[0] > range[1]) {
        return refuse("the depth range's MIN, " + FormatShortest(range[0]) +
                      ", lies above its MAX, " + FormatShortest(range[1]));
    }
    return range;
}

std::string DepthRangeText(const std::array<double, 2>& range) {
    return (std::isfinite(range[0]) ? FormatShortest(range[0]) : "") + ":" +
           (std::isfinite(range[1]) ? FormatShortest(range[1]) : "");
}

}  // namespace korvane
