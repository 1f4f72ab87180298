#pragma once
// The whole "Calculate!" command without a window: the input tests, the run, and the box a
// front end shows afterwards.

#include <optional>

#include "common/Status.h"
#include "common/UserMessage.h"
#include "series/RunCalculation.h"
#include "setup/DialogValues.h"
#include "setup/ParseCalculation.h"

namespace korvane {

struct CalculationOutcome {
    Status status;                       // Ok when the series ran to its end
    std::optional<UserMessage> message;  // the box to show; none after a cancel
};

// The box a calculation's status is shown in: "Calculation finished successfully."
// (Information); a run that had nothing to draw (no event inside its ranges, a range with
// no picture) under "No picture written" (Warning); an input test or an unusable event file
// under "Invalid input!"; any other failure under "Error"; nothing after a cancel.
std::optional<UserMessage> MessageOfCalculation(const Status& status);

// Parses `values` for a calculation of `kind` and runs the request. The caller clears its
// cancel flag before and closes its dialog after.
CalculationOutcome Calculate(const DialogValues& values, CalculationKind kind,
                             SeriesObserver& observer, CalculationWorkspace& workspace);
// The same for the menu's `calculationMode` (SpatialResolvedMode or TimeResolvedMode; any
// other mode has no calculation).
CalculationOutcome Calculate(const DialogValues& values, int calculationMode,
                             SeriesObserver& observer, CalculationWorkspace& workspace);
// The same for a setup whose numbers are as its boxes would show them (AsBoxesShowIt).
CalculationOutcome Calculate(const CalculationSetup& setup, CalculationKind kind,
                             SeriesObserver& observer, CalculationWorkspace& workspace);

// The calculation of the menu's `calculationMode`; none for another mode.
std::optional<CalculationKind> KindOfMode(int calculationMode);

}  // namespace korvane
