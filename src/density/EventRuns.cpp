#include "density/EventRuns.h"

#include <algorithm>

namespace korvane {

// Both runs are found by a plain scan, which gives the same run as the scan the series has
// always done, even for a table whose values do not sort cleanly. A series' bounds never
// decrease from picture to picture, so each scan goes on from where the last one stopped:
// the rows it passes over failed (or passed) the same test against a smaller bound.

EventRun SliceRun(const EventTable& table, int column, double low, double high, EventRun previous) {
    EventRun run;
    int i = previous.begin;
    while (i < table.count && !(table.rows[i].Column(column) >= low)) {
        ++i;
    }
    run.begin = i;
    i = std::max(i, previous.end);
    while (i < table.count && table.rows[i].Column(column) <= high) {
        ++i;
    }
    run.end = i;
    return run;
}

EventRun WindowRun(const EventTable& table, double windowStart, double windowEnd, bool cumulative,
                   EventRun previous) {
    EventRun run;
    int i = previous.begin;
    if (!cumulative) {
        while (i < table.count && !(table.rows[i].t > windowStart)) {
            ++i;
        }
    }
    run.begin = i;
    i = std::max(i, previous.end);
    while (i < table.count && table.rows[i].t < windowEnd) {
        ++i;
    }
    run.end = i;
    return run;
}

}  // namespace korvane
