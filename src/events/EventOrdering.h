#pragma once
// Ordering the event table on one column.

#include <functional>

#include "events/EventTable.h"

namespace korvane {

// Sorts the rows in use ascending on `column` (0 x, 1 y, 2 z, 3 t), leaving them in exactly
// the order a selection sort that always takes the first smallest row and swaps it forward
// gives (equal keys included), in O(N log N). `progress` (may be empty) hears now and then
// the share of the work done (0 to 1); when it answers true the sort ends early, the table
// as it was, and false comes back.
using SortProgress = std::function<bool(double done)>;
bool SortEventsByColumn(EventTable& table, int column, const SortProgress& progress = {});

}  // namespace korvane
