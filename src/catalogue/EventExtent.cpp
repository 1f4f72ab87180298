#include "catalogue/EventExtent.h"

#include <algorithm>
#include <cmath>

#include "common/AtomicFile.h"
#include "common/NumberText.h"

namespace korvane {

std::array<AxisRange, 4> EventExtentOf(const EventTable& table) {
    std::array<AxisRange, 4> extent{};
    for (int i = 0; i < table.count; ++i) {
        const EventRecord& row = table.rows[static_cast<std::size_t>(i)];
        for (int column = 0; column < 4; ++column) {
            const double value = row.Column(column);
            AxisRange& range = extent[static_cast<std::size_t>(column)];
            range.min = i == 0 ? value : std::min(range.min, value);
            range.max = i == 0 ? value : std::max(range.max, value);
        }
    }
    return extent;
}

AxisRange WithMargin(const AxisRange& range) {
    const double span = range.max - range.min;
    const double margin = span > 0 ? 0.05 * span : 1.0;
    return {range.min - margin, range.max + margin};
}

std::string ExtentText(const std::array<AxisRange, 4>& extent, const CatalogueReport& report) {
    static constexpr const char* names[] = {"x", "y", "z", "t"};
    std::string text;
    for (std::size_t column = 0; column < 4; ++column) {
        text += (column > 0 ? ", " : "") + std::string(names[column]) + " " +
                FormatFixed(extent[column].min, 3) + " to " + FormatFixed(extent[column].max, 3);
    }
    if (report.calendarTime) {
        text += " (" + FormatIsoTime(report.timeReference, extent[3].min) + " to " +
                FormatIsoTime(report.timeReference, extent[3].max) + ")";
    }
    return text;
}

Status WritePlainEventFile(const EventTable& table, const std::string& path) {
    AtomicFile file(path);
    if (Status created = file.Create(); !created.ok()) {
        return created;
    }
    std::string block;
    constexpr std::size_t BlockBytes = 1 << 16;
    for (int i = 0; i < table.count; ++i) {
        const EventRecord& row = table.rows[static_cast<std::size_t>(i)];
        block += FormatShortest(row.x) + '\t' + FormatShortest(row.y) + '\t' +
                 FormatShortest(row.z) + '\t' + FormatShortest(row.t);
        if (static_cast<std::size_t>(i) < table.weightSource.size() &&
            std::isfinite(table.weightSource[static_cast<std::size_t>(i)])) {
            block += '\t' + FormatShortest(table.weightSource[static_cast<std::size_t>(i)]);
        }
        block += '\n';
        if (block.size() >= BlockBytes) {
            if (Status written = file.Write(block); !written.ok()) {
                return written;
            }
            block.clear();
        }
    }
    if (Status written = file.Write(block); !written.ok()) {
        return written;
    }
    return file.Commit();
}

}  // namespace korvane
