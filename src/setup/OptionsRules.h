#pragma once
// Which controls of the Options dialog are enabled: a function of the run mode, the selected
// direction of view and the two switches that unlock boxes.

#include <array>
#include <optional>
#include <string>

#include "series/CalculationRequest.h"

namespace korvane {

// What the enable rules look at.
struct OptionsRuleInput {
    CalculationKind kind = CalculationKind::Spatial;  // the menu command's calculation
    int direction = -1;         // selected direction 0..3, 4 a section, -1 when none is
    int fixedSizeState = 0;     // state of "Fixed image size"; 1 is checked
    int fixedDensityState = 0;  // state of "Fixed Density Maximum"; 1 is checked
};

// Enabled (true) or greyed (false), per group of controls.
struct OptionsEnables {
    bool perspective = true;      // the "Perspective" radio button
    bool sectionRadio = false;    // the "Section" radio button
    bool section = false;         // the section's boxes (its ends, width, step and count)
    bool timeScale = false;       // "Time scale [sec]:", "Start:", "End:", their boxes and
                                  // "Cumulative time plot"
    bool pictureSize = false;     // "Width [px]:", "Height [px]:" and their boxes
    bool densityMaximum = false;  // the density maximum box
    // The x, y and z range groups (two labels and two boxes each); none when no direction is
    // selected: the groups then keep the state they had.
    std::optional<std::array<bool, 3>> ranges;

    bool operator==(const OptionsEnables&) const = default;
};

OptionsEnables OptionsEnablesFor(const OptionsRuleInput& input);

// The direction the dialog shows for a calculation of `kind`: `direction` itself where that
// calculation can use it, else the first it can (a spatial series has no perspective view,
// so it looks along x). No selection (-1) stays, to be reported when "Calculate!" is pressed.
int UsableDirection(CalculationKind kind, int direction);

// What the dialog says beside the time boxes of a catalogue whose times count from
// `reference`: the calendar time (UTC) of the start and end typed, as seconds from the
// reference or as calendar time ("Calendar time (UTC):", "from 2020-01-01 06:00:00", "to
// ..."); "?" for a box that reads as neither. Empty without a reference (a plain event
// file, or a catalogue not read yet).
std::string CalendarTimeOfBoxes(const std::string& start, const std::string& end,
                                const std::optional<CalendarInstant>& reference);

}  // namespace korvane
