#pragma once
// Ordering the event table on one column.

#include "events/EventTable.h"

namespace korvane {

// Sorts the rows in use ascending on `column` (0 x, 1 y, 2 z, 3 t), leaving them in exactly
// the order a selection sort that always takes the first smallest row and swaps it forward
// gives (equal keys included), in O(N log N).
void SortEventsByColumn(EventTable& table, int column);

}  // namespace korvane
