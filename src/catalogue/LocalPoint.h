#pragma once
// A point of the earth in the local frame a catalogue's events were placed in.

#include <array>

#include "catalogue/CatalogueReader.h"
#include "catalogue/CatalogueReport.h"

namespace korvane {

// x and y, east and north of the catalogue's origin in `unit`, of the point at `latitude` and
// `longitude` (degrees): the same place its events at that latitude and longitude took.
// Meaningful only for a report whose events were made from latitude and longitude.
std::array<double, 2> LocalPointOf(const CatalogueReport& report, LengthUnit unit, double latitude,
                                   double longitude);

}  // namespace korvane
