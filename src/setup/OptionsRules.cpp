#include "setup/OptionsRules.h"

#include "setup/CalculateCommand.h"

namespace korvane {

OptionsEnables OptionsEnablesFor(const OptionsRuleInput& input) {
    OptionsEnables enables;
    // A perspective view is a time series only; the time scale only matters to one.
    enables.perspective = input.kind != CalculationKind::Spatial;
    enables.timeScale = input.kind == CalculationKind::Time;
    enables.pictureSize = input.fixedSizeState == 1;
    enables.densityMaximum = input.fixedDensityState == 1;

    if (input.direction >= 0 && input.direction <= 2) {
        // The viewing axis' range steps the slices of a spatial series; a time series
        // projects along it, so its range is not used.
        const bool viewingAxisUsed = input.kind == CalculationKind::Spatial;
        std::array<bool, 3> ranges{true, true, true};
        ranges[input.direction] = viewingAxisUsed;
        enables.ranges = ranges;
    } else if (input.direction == 3) {
        // The perspective view shows the whole box.
        enables.ranges = std::array<bool, 3>{true, true, true};
    }
    return enables;
}

int UsableDirection(CalculationKind kind, int direction) {
    if (kind == CalculationKind::Spatial && direction == 3) {
        return 0;
    }
    return direction;
}

}  // namespace korvane
