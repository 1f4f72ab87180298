#pragma once
// The event table: every located event of the event file, in file order after reading.

#include <vector>

namespace korvane {

// Room the table starts with; a longer event file makes it grow.
constexpr int InitialEventRows = 50000;

// One located event. Column indices 0..3 are x, y, z, t (see Column()).
struct EventRecord {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double t = 0.0;  // time, seconds

    double Column(int column) const {
        switch (column) {
            case 0:
                return x;
            case 1:
                return y;
            case 2:
                return z;
            default:
                return t;
        }
    }
};

struct EventTable {
    // The first `count` rows are in use. The rows are reused by every calculation; reading
    // a longer event file adds rows.
    std::vector<EventRecord> rows = std::vector<EventRecord>(InitialEventRows);
    int count = 0;
    // the per-event number a weighting reads (a plain file's fifth column, a catalogue's
    // weight or magnitude column), NaN for an event without it; empty when the file has none
    std::vector<double> weightSource;
    // The weight each row in use adds to a density, in row order (sorting moves it with its
    // row); empty when every event weighs 1. Set from `weightSource` by WeighEvents.
    std::vector<double> weights;
};

}  // namespace korvane
