#pragma once
// What each event weighs in a density: 1, the number of its weight column, or its relative
// seismic moment.

#include <optional>
#include <string_view>

#include "common/Status.h"
#include "events/EventTable.h"

namespace korvane {

enum class EventWeighting {
    None,   // every event weighs 1: the densities are counts of events
    Value,  // the number of the weight column (a plain file's fifth column, a catalogue's
            // weight or magnitude column) as it stands
    Moment  // 10^(1.5 (M - Mmax)) of the magnitude M: relative seismic moment, the largest
            // event of the file weighing exactly 1
};

std::string_view EventWeightingName(EventWeighting weighting);  // "none", "value", "moment"
std::optional<EventWeighting> EventWeightingNamed(std::string_view name);

// Sets `table.weights` for the rows in use from `table.weightSource` (row order, before any
// sorting): emptied for None. Refused, naming `path`, when a weighting needs a weight column
// the file does not have, or a weight is negative or not finite (a density is a sum of
// weights of at least 0); the weights are then left empty.
Status WeighEvents(EventWeighting weighting, const std::string& path, EventTable& table);

}  // namespace korvane
