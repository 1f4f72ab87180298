#include "setup/OptionsRules.h"

#include <cmath>

#include "catalogue/CalendarTime.h"
#include "common/NumberText.h"
#include "setup/CalculateCommand.h"
#include "setup/ParseCalculation.h"
#include "setup/SectionChoice.h"

namespace korvane {

OptionsEnables OptionsEnablesFor(const OptionsRuleInput& input) {
    OptionsEnables enables;
    // A perspective view is a time series only; the time scale only matters to one.
    enables.perspective = input.kind != CalculationKind::Spatial;
    enables.timeScale = input.kind == CalculationKind::Time;
    // A cross-section is a spatial series only; it uses z's range, not x's or y's.
    enables.sectionRadio = input.kind == CalculationKind::Spatial;
    enables.section = enables.sectionRadio && input.direction == SectionDirection;
    enables.pictureSize = input.fixedSizeState == 1;
    enables.densityMaximum = input.fixedDensityState == 1;

    if (input.direction >= 0 && input.direction <= 2) {
        // The viewing axis' range steps the slices of a spatial series; a time series
        // projects along it, so its range is not used.
        const bool viewingAxisUsed = input.kind == CalculationKind::Spatial;
        std::array<bool, 3> ranges{true, true, true};
        ranges[input.direction] = viewingAxisUsed;
        enables.ranges = ranges;
    } else if (input.direction == SectionDirection && enables.sectionRadio) {
        enables.ranges = std::array<bool, 3>{false, false, true};
    } else if (input.direction == 3) {
        // The perspective view shows the whole box.
        enables.ranges = std::array<bool, 3>{true, true, true};
    }
    return enables;
}

int UsableDirection(CalculationKind kind, int direction) {
    if ((kind == CalculationKind::Spatial && direction == 3) ||
        (kind != CalculationKind::Spatial && direction == SectionDirection)) {
        return 0;
    }
    return direction;
}

namespace {

// "2020-01-01 06:00:00" of a box's text; "?" when it reads as neither seconds nor a date.
std::string CalendarTimeOfBox(const std::string& box, const CalendarInstant& reference) {
    std::string text;
    if (const std::optional<CalendarInstant> date = CalendarTimeInBox(box)) {
        text = FormatIsoTime(*date, 0.0);
    } else if (!box.empty() && IsNumberText(box) && std::isfinite(ReadDecimal(box))) {
        text = FormatIsoTime(reference, ReadDecimal(box));
    }
    if (text.size() < 19 || text[10] != 'T') {
        return "?";  // nothing read, or a year the calendar text cannot show
    }
    text = text.substr(0, 19);
    text[10] = ' ';
    return text;
}

}  // namespace

std::string CalendarTimeOfBoxes(const std::string& start, const std::string& end,
                                const std::optional<CalendarInstant>& reference) {
    if (!reference) {
        return "";
    }
    return "Calendar time (UTC):\nfrom " + CalendarTimeOfBox(start, *reference) + "\nto " +
           CalendarTimeOfBox(end, *reference);
}

}  // namespace korvane
