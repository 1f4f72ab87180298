#include "series/OverlayFiles.h"

#include <string_view>
#include <utility>

#include "catalogue/CatalogueBuilder.h"
#include "catalogue/CatalogueColumns.h"
#include "catalogue/DelimitedText.h"
#include "catalogue/GeographicFrame.h"
#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/ReadableFile.h"
#include "series/OverlayReaders.h"

namespace korvane {

namespace {

// An overlay file larger than this is refused before it is read (a coastline of a region is
// a few megabytes).
constexpr std::size_t MostOverlayBytes = 256u << 20;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
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
            return OverlayRefused(path, 0, "it is larger than 256 MB.");
        }
        text.append(block, got);
        if (got < sizeof block) {
            break;
        }
    }
    if (const std::string reason = NotPlainTextReason(std::string_view(text).substr(0, 1024));
        !reason.empty()) {
        return OverlayRefused(path, 0, reason + ".");
    }
    text.erase(0, ByteOrderMarkLength(text));
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

Status OverlayRefused(const std::string& path, long long line, const std::string& reason) {
    return Status::InvalidInput(
        "The overlay file " + Quoted(path) +
        (line > 0 ? ", line " + FormatInteger(static_cast<double>(line)) : std::string()) + ": " +
        reason);
}

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
        if (IsOverlayNameColumn(field)) {
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
        return ReadOverlayPoints(path, text, out);
    }
    if (LooksLikeJson(text)) {
        return ReadOverlayGeoJson(path, text, out);
    }
    return ReadOverlayPolylines(path, text, out);
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
