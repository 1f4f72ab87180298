#pragma once
// The frame of a cross-section: the vertical plane through a line from A to B in x/y. An
// event's coordinates in it are its distance along the line from A (towards B), its distance
// across the line (positive on the left looking from A to B) and its z, unchanged.

#include "common/Status.h"
#include "events/EventTable.h"

namespace korvane {

// A and B in x/y, in the events' units.
struct SectionLine {
    double fromX = 0;
    double fromY = 0;
    double toX = 0;
    double toY = 0;
};

// The line's start and its unit vector: the rotation of the plane that puts the line on the
// first axis.
struct SectionFrame {
    double originX = 0;
    double originY = 0;
    double alongX = 1;  // (B - A) / |B - A|
    double alongY = 0;
    double length = 0;  // |B - A|

    // The distance from A along the line (0 at A, `length` at B).
    double Along(double x, double y) const {
        return (x - originX) * alongX + (y - originY) * alongY;
    }
    // The distance from the line, positive on its left.
    double Across(double x, double y) const {
        return (y - originY) * alongX - (x - originX) * alongY;
    }
};

// The frame of `line`. Fails, naming the ends, when an end is not a finite number or A and
// B are the same point (or so close that no direction follows from them).
Status MakeSectionFrame(const SectionLine& line, SectionFrame& frame);

// Turns rows [0, table.count) into the frame: x becomes the distance along the line, y the
// distance across it; z, t and the weights stay. The table keeps no trace of the old x and y.
void PlaceInSectionFrame(const SectionFrame& frame, EventTable& table);

}  // namespace korvane
