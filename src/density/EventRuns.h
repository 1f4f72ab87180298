#pragma once
// The run of the sorted event table that one picture of a series draws from.

#include "events/EventTable.h"

namespace korvane {

// Rows [begin, end) of the table; empty when end <= begin.
struct EventRun {
    int begin = 0;
    int end = 0;
    int size() const { return end > begin ? end - begin : 0; }
};

// The slice of a table sorted on `column`: from the first row (scanning from the start)
// whose value is >= low, on to the last row from there whose value is <= high; both bounds
// belong to the slice.
// `previous`: the run of the picture before, whose bounds were not larger (none: from the
// first row).
EventRun SliceRun(const EventTable& table, int column, double low, double high,
                  EventRun previous = {});

// The window of a table sorted on time: not cumulative, from the first row whose time is
// > windowStart on to the last row from there whose time is < windowEnd (both bounds
// excluded); cumulative, from the first row of the table on, so every earlier event counts.
EventRun WindowRun(const EventTable& table, double windowStart, double windowEnd, bool cumulative,
                   EventRun previous = {});

}  // namespace korvane
