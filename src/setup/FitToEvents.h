#pragma once
// "Fit to events": the x, y, z and time boxes set from the events themselves, so a new
// catalogue is not pictured through the ranges of an older one.

#include <array>
#include <string>

#include "catalogue/CatalogueReader.h"
#include "common/Ranges.h"
#include "common/RunObserver.h"
#include "setup/DialogValues.h"

namespace korvane {

// Sets the x, y, z and time boxes of `values` to the events' `extent` (as EventExtentOf gives
// it, with the `report` of their reading). Space gets a margin of 5 % on each side, rounded
// outward to the boxes' three decimals; time none: the first window starts just before the
// first event (at the hour or the day for a catalogue's calendar time spanning hours or
// days) and the last ends just after the last event, in whole seconds unless the events
// span less than a second. Each range's end is chosen so that the pictures asked for in the
// number-of-pictures box step through it in exactly that many pictures, with the steps added
// as the series adds them. Refused (the boxes as they were, the reason returned) when a
// space range would have no width, the events' coordinates being too large for its margin.
std::string FitRangesToExtent(DialogValues& values, const std::array<AxisRange, 4>& extent,
                              const CatalogueReport& report);

// Reads the events of `values` as a run would (a catalogue with its options) and fits the
// boxes to them as above. Returns what went wrong reading or fitting them (the boxes then
// stay as they were), empty when all is well or the reading was stopped. An `observer` follows the
// reading and may stop it; `report` (may be null) gets what the reading found.
std::string FitRangesToEvents(DialogValues& values, RunObserver* observer = nullptr,
                              CatalogueReport* report = nullptr);

// The texts the fitted boxes show: x, y, z and time, each its start and its end.
struct FittedRanges {
    std::array<std::string, 8> texts;
};

// The same for a setup: its ranges become the numbers of the fitted boxes, whose texts
// `fitted` gets. The setup's number of pictures is taken as its box shows it.
std::string FitRangesToEvents(CalculationSetup& setup, FittedRanges& fitted);

}  // namespace korvane
