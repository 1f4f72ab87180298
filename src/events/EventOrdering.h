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
//
// With `EqualKeys::InAnyOrder` the rows of equal keys may end in any order (here the order
// they stood in), which spares the slowest step at millions of rows: for callers to whom the
// order of equal keys makes no difference, such as counts of events.
using SortProgress = std::function<bool(double done)>;
enum class EqualKeys { AsSelectionSort, InAnyOrder };
bool SortEventsByColumn(EventTable& table, int column, const SortProgress& progress = {},
                        EqualKeys equalKeys = EqualKeys::AsSelectionSort);

}  // namespace korvane
