#pragma once
// The event table: every located event of the event file, in file order after reading.

#include <vector>

namespace korvane {

// The table never holds more events than this; a longer file is refused.
constexpr int MaxEvents = 50000;

// One located event. Column indices 0..3 are x, y, z, t (see Column()).
struct EventRecord {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double t = 0.0;  // time, seconds

    double Column(int column) const {
        switch (column) {
            case 0: return x;
            case 1: return y;
            case 2: return z;
            default: return t;
        }
    }
};

struct EventTable {
    // A fixed block of MaxEvents rows, allocated once and reused by every calculation.
    std::vector<EventRecord> rows = std::vector<EventRecord>(MaxEvents);
    int count = 0;  // rows in use, 0..MaxEvents
};

}  // namespace korvane
