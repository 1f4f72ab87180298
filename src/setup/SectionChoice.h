#pragma once
// The Options dialog's fourth direction, "Section": how the section's radio button and boxes
// stand for the section of the setup. The setup keeps its direction along an axis and the
// section's own keys; the dialog shows a spatial calculation with the section on as the
// Section direction.

#include <string>

#include "setup/DialogValues.h"

namespace korvane {

// The id of the "Section" radio button among the directions (x 0, y 1, z 2, perspective 3).
constexpr int SectionDirection = 4;

// The direction the dialog selects for `values` shown for a calculation of `kind`: Section
// for a spatial calculation whose section is on, else values.direction (none, -1, for a
// direction whose number is the section's: a setup stores an axis beside its section).
int DirectionShown(const DialogValues& values, CalculationKind kind);

// The values a spatial calculation runs on or saves: with Section selected, the section on
// and the direction z (which a section does not use); with an axis selected, the section
// off. A time calculation's values stay as they are (it has no Section).
DialogValues WithSectionFromDirection(DialogValues values, CalculationKind kind);

// The texts of the section's boxes.
struct SectionBoxTexts {
    std::string from, to;  // "x,y" (or "lat,lon")
    std::string width, step, count;
    int latLonState = 0;  // "Latitude, longitude" checked: 1
};

// What the boxes show of `section`: every number with the digits it takes to read back.
SectionBoxTexts SectionBoxTextsOf(const SectionOptions& section);

// Reads the boxes into `section`; an empty number box gives 0, a box that does not hold its
// number (two for an end) NaN, which the calculation refuses naming the value.
void TakeSectionBoxTexts(const SectionBoxTexts& texts, SectionOptions& section);

// `section` along a line drawn on a map picture from A to B (x, y in the events' units), where
// one picture pixel stands for `resolution` units: the ends rounded to the digits a pixel can
// tell, as x, y; the width, when it is not a positive number yet, a tenth of the line's length
// on a 1-2-5 step; the count at least 1. The other choices stay.
SectionOptions SectionAlongDrawnLine(SectionOptions section, double ax, double ay, double bx,
                                     double by, double resolution);

}  // namespace korvane
