#pragma once
// The cross-section series: the events turned into the frame of a line A-A', then sliced
// across the line like a spatial series, with the distance along the line across the
// pictures and z up.

#include <string>

#include "catalogue/CatalogueReport.h"
#include "common/Status.h"
#include "density/SectionFrame.h"
#include "events/EventTable.h"
#include "series/SeriesContext.h"

namespace korvane {

// Whether the request draws a cross-section: a spatial series with the section on.
bool SectionAsked(const CalculationRequest& request);

// Why the request's section cannot be drawn (two equal ends, a half width or step that is not
// above 0, a count below 1), naming what to change; "" when it can.
std::string SectionRefusal(const SectionOptions& section);

// The section's line in the events' x and y: its ends as given, or a catalogue's latitudes
// and longitudes placed in the frame its events were placed in. Fails when the ends are
// latitude and longitude but the events' x and y were not made from them.
Status SectionLineOf(const SectionOptions& section, const CalculationRequest& request,
                     const CatalogueReport& catalogue, SectionLine& line);

// The view of a section along `line`: the distance along it (0 to its length) across, z up,
// the offsets across it as slice positions: `count` of them `step` apart, centred on the line.
ViewGeometry SectionGeometryOf(const CalculationRequest& request, const SectionLine& line);

}  // namespace korvane
