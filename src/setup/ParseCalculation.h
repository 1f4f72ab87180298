#pragma once
// The "Calculate!" command's front half: the input tests over the dialog's values, in their
// order, and the typed request they give. Shows nothing; the front end shows the result.

#include <optional>
#include <string>
#include <string_view>

#include "common/Status.h"
#include "series/CalculationRequest.h"
#include "setup/DialogValues.h"

namespace korvane {

// The process-wide run mode, set by the menu commands.
constexpr int SpatialResolvedMode = 1;
constexpr int TimeResolvedMode = 2;
constexpr int MovieConversionMode = 101;

// True when every character is a digit, a point or a minus sign (the empty text too).
bool IsNumberText(std::string_view text);

// The calendar time a time box holds ("2020-01-01", "2020-01-01T06:00Z", as ReadIsoTime
// reads it); none for seconds ("1.5", "-20") and for any other text.
std::optional<CalendarInstant> CalendarTimeInBox(const std::string& box);

// Runs the input tests on `values` in order. The first failure comes back as InvalidInput
// with its message (shown with the caption "Invalid input!"); otherwise `out` holds the
// request the boxes describe. `kind` is the calculation the menu chose.
Status ParseCalculation(const DialogValues& values, CalculationKind kind, CalculationRequest* out);

// The same tests on a setup's numbers, as its boxes hold them (see
// CalculationSetup::AsBoxesShowIt): a number fails its box's test only when it is not finite.
Status ParseCalculation(const CalculationSetup& setup, CalculationKind kind,
                        CalculationRequest* out);

}  // namespace korvane
