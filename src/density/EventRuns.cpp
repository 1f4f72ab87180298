#include "density/EventRuns.h"

namespace korvane {

// Both runs are found by a plain scan: it costs microseconds next to a picture, and it gives
// the same run as the scan the series has always done, even for a table whose values do not
// sort cleanly.

EventRun SliceRun(const EventTable& table, int column, double low, double high) {
    EventRun run;
    int i = 0;
    while (i < table.count && !(table.rows[i].Column(column) >= low)) {
        ++i;
    }
    run.begin = i;
    while (i < table.count && table.rows[i].Column(column) <= high) {
        ++i;
    }
    run.end = i;
    return run;
}

EventRun WindowRun(const EventTable& table, double windowStart, double windowEnd, bool cumulative) {
    EventRun run;
    int i = 0;
    if (!cumulative) {
        while (i < table.count && !(table.rows[i].t > windowStart)) {
            ++i;
        }
    }
    run.begin = i;
    while (i < table.count && table.rows[i].t < windowEnd) {
        ++i;
    }
    run.end = i;
    return run;
}

}  // namespace korvane
