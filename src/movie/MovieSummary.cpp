#include "movie/MovieSummary.h"

#include <iterator>

#include "common/NumberText.h"

namespace korvane {

std::string FileSizeText(std::uintmax_t bytes) {
    if (bytes < 1000) {
        return FormatInteger(static_cast<double>(bytes)) + (bytes == 1 ? " byte" : " bytes");
    }
    // The unit is the largest that keeps the rounded value below 1000, so 999,960 bytes read
    // "1.0 MB", not "1000.0 kB".
    const char* const units[] = {"kB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1000.0;
    std::size_t unit = 0;
    while (value >= 999.95 && unit + 1 < std::size(units)) {
        value /= 1000.0;
        ++unit;
    }
    return FormatFixed(value, 1) + " " + units[unit];
}

std::string MovieWrittenText(const std::string& moviePath, int frames, std::uintmax_t bytes) {
    return "Movie written: " + moviePath + ", " + FormatInteger(frames) +
           (frames == 1 ? " frame, " : " frames, ") + FileSizeText(bytes);
}

}  // namespace korvane
