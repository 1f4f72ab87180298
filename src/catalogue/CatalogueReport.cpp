#include "catalogue/CatalogueReport.h"

#include "common/NumberText.h"

namespace korvane {
namespace {

const char* UnitText(LengthUnit unit) {
    return unit == LengthUnit::Metre ? "m" : "km";
}

}  // namespace

std::string CatalogueReport::SkippedText() const {
    if (rowsSkipped == 0) {
        return "";
    }
    std::string text =
        std::to_string(rowsSkipped) + (rowsSkipped == 1 ? " row" : " rows") + " skipped: ";
    for (std::size_t i = 0; i < skipReasons.size(); ++i) {
        text += (i > 0 ? ", " : "") + skipReasons[i];
    }
    text += skippedLines.size() == 1 ? " (line " : " (lines ";
    for (std::size_t i = 0; i < skippedLines.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(skippedLines[i]);
    }
    text += static_cast<long long>(skippedLines.size()) < rowsSkipped ? ", ...)" : ")";
    if (!firstUnreadTime.empty()) {
        text += "; the first time not read is \"" + firstUnreadTime + "\" (times are read as " +
                CalendarForms + ")";
    }
    return text;
}

std::string CatalogueReport::Summary() const {
    std::string text = std::to_string(rowsKept) + (rowsKept == 1 ? " event" : " events") + " read";
    const std::pair<long long, const char*> leftOut[] = {
        {RowsOutsideRanges(), " outside the magnitude or time range"},
        {rowsOutsideRegion, " outside the region"},
        {rowsOutsideDepths, " outside the depth range"},
        {rowsOfDroppedTypes, " of the types left out"}};
    for (const auto& [rows, why] : leftOut) {
        if (rows > 0) {
            text += ", " + std::to_string(rows) + why;
        }
    }
    if (!typeCounts.empty()) {
        text += "; event types: " + TypesText();
    }
    const std::string skipped = SkippedText();
    text += skipped.empty() ? "" : "; " + skipped;
    for (const std::string& note : notes) {
        text += "; " + note;
    }
    return text + ".";
}

std::string CatalogueReport::TypesText() const {
    std::string text;
    for (const TypeCount& count : typeCounts) {
        text += (text.empty() ? "" : ", ") + (count.type.empty() ? "(none)" : count.type) + " " +
                std::to_string(count.rows) + (count.dropped ? " (left out)" : "");
    }
    return text;
}

std::string CatalogueReport::FrameText() const {
    std::string text;
    if (geographic) {
        text = "origin " + FormatShortest(originLatitude) + ", " + FormatShortest(originLongitude) +
               " (x and y in " + UnitText(unit) + " east and north of it)";
    }
    if (calendarTime) {
        text += (text.empty() ? "" : "; ") + std::string("t in seconds from ") +
                FormatIsoInstant(timeReference);
    }
    return text;
}

}  // namespace korvane
