#pragma once
// The extent of the events read, for "Fit to events" and for the message of a run whose
// ranges hold no event; and the plain event file a catalogue converts into.

#include <array>
#include <string>

#include "catalogue/CatalogueReader.h"
#include "common/Ranges.h"
#include "common/Status.h"
#include "events/EventTable.h"

namespace korvane {

// The smallest and largest x, y, z and t of the table's events (all zero for no event).
std::array<AxisRange, 4> EventExtentOf(const EventTable& table);

// The range widened by 5 % of its span on each side (by 1 when the span is 0), so that the
// outermost events do not sit on a picture's edge.
AxisRange WithMargin(const AxisRange& range);

// "x 1.500 to 20.000, y ..., z ..., t ..."; a catalogue with calendar time gives its times
// as ISO text besides.
std::string ExtentText(const std::array<AxisRange, 4>& extent, const CatalogueReport& report);

// Writes the table as a plain event file (x TAB y TAB z TAB t, one event a line, every
// number with the digits it needs to read back exactly) at `path`, in one piece. The
// table's weight source (a catalogue's weight column, else its magnitude) becomes the fifth
// field of each event that has one.
Status WritePlainEventFile(const EventTable& table, const std::string& path);

}  // namespace korvane
