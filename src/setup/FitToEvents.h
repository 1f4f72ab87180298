#pragma once
// "Fit to events": the x, y, z and time boxes set from the events themselves, so a new
// catalogue is not pictured through the ranges of an older one.

#include <string>

#include "common/RunObserver.h"
#include "setup/DialogValues.h"

namespace korvane {

// Reads the events of `values` as a run would (a catalogue with its options) and sets the x,
// y, z and time boxes to their extent with a margin, each end rounded outward to the boxes'
// three decimals so the outermost events stay inside. Returns what went wrong reading them
// (the boxes then stay as they were), empty when all is well. An `observer` follows the
// reading and may stop it.
std::string FitRangesToEvents(DialogValues& values, RunObserver* observer = nullptr);

}  // namespace korvane
