#pragma once
// The engine's edge: one calculation from a typed request to pictures on disk.

#include "common/Status.h"
#include "series/CalculationRequest.h"
#include "series/SeriesContext.h"
#include "series/SeriesObserver.h"
#include "series/SeriesResults.h"

namespace korvane {

// The seconds from a catalogue's time reference (its t = 0) to an instant of calendar time.
double SecondsFrom(const CalendarInstant& reference, const CalendarInstant& instant);

// Reads the event file, fixes the top of the colour scale (the request's fixed value, or 0.8
// times the estimate) and runs the series the request selects, reporting to `observer`.
// Ok when the series ran to its end; Cancelled when the observer asked to stop (in any
// phase: while the file is read, the events sorted, the maximum estimated, or after a
// picture; no picture is written after that); otherwise
// the first failure: InvalidInput when the event file cannot be used, IoError when a
// picture cannot be written, NoMemory when a picture or the table does not fit. Nothing is
// thrown past this function.
Status RunCalculation(const CalculationRequest& request, SeriesObserver& observer,
                      CalculationWorkspace& workspace);

}  // namespace korvane
