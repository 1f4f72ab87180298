#pragma once
// The three readers of overlay files and what they share: each turns a file's text into an
// OverlayFile, or fails naming the file and the line (for GeoJSON, the feature).

#include <string>
#include <string_view>

#include "common/Status.h"
#include "series/OverlayFiles.h"

namespace korvane {

// "The overlay file "PATH", line N: REASON" (no line for 0).
Status OverlayRefused(const std::string& path, long long line, const std::string& reason);

// Calls `take` with each line of `text` (its line end cut) and its number from 1, until it
// returns a failure.
template <typename Take>
Status ForEachOverlayLine(std::string_view text, Take take) {
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

// Whether a CSV column of this name holds the points' names ("name", "station", ...).
bool IsOverlayNameColumn(std::string_view name);

// Named points from a CSV file with a header line.
Status ReadOverlayPoints(const std::string& path, const std::string& text, OverlayFile& out);
// x,y[,z] polylines, a blank line or ">" between them.
Status ReadOverlayPolylines(const std::string& path, const std::string& text, OverlayFile& out);
// Lines, outlines and named markers from GeoJSON.
Status ReadOverlayGeoJson(const std::string& path, const std::string& text, OverlayFile& out);

}  // namespace korvane
