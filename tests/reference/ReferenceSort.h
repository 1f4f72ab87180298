#pragma once
// The selection sort, written out literally: the oracle for SortEventsByColumn.

#include "events/EventTable.h"

namespace korvane::reference {

void SelectionSortByColumn(EventTable& table, int column);

}  // namespace korvane::reference
