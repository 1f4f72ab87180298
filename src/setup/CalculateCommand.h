#pragma once
// The "Calculate!" command: checks the dialog's values, derives the run's values, reads the
// event file, fixes the density maximum and runs the series the mode and direction select.

#include <string_view>

#include "common/Host.h"
#include "series/SeriesContext.h"
#include "events/EventTable.h"
#include "setup/CalculationSetup.h"
#include "setup/DialogValues.h"

namespace korvane {

// The process-wide run mode, set by the menu commands.
constexpr int SpatialResolvedMode = 1;
constexpr int TimeResolvedMode = 2;
constexpr int MovieConversionMode = 101;

// What a calculation keeps for the life of the process: one instance in the application
// (or the batch front end, or a test), overwritten by each calculation.
struct CalculationWorkspace {
    EventTable events;
    RunParameters run;
    SeriesWorkspace series;
};

enum class CalculateOutcome {
    Finished,      // the series ran to its end
    Cancelled,     // the user closed the window during the series
    InvalidInput,  // a box failed a test; the "Invalid input!" box was shown
    Failed         // anything else (a picture not written, no memory); an error box was shown
};

// True when every character is a digit, a point or a minus sign (the empty text too).
bool IsNumberText(std::string_view text);

// Runs the input tests in order; on the first failure shows its message (caption
// "Invalid input!", stop icon) and returns false.
bool ValidateInput(const DialogValues& values, int calculationMode, Host& host);

// The whole command. The caller clears its cancel flag before and closes its dialog after.
CalculateOutcome Calculate(const DialogValues& values, int calculationMode, Host& host,
                           CalculationWorkspace& workspace);

}  // namespace korvane
