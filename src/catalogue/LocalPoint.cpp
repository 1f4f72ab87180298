#include "catalogue/LocalPoint.h"

#include <GeographicLib/LocalCartesian.hpp>

#include "catalogue/CatalogueBuilder.h"

namespace korvane {

std::array<double, 2> LocalPointOf(const CatalogueReport& report, LengthUnit unit, double latitude,
                                   double longitude) {
    const GeographicLib::LocalCartesian plane(report.originLatitude, report.originLongitude, 0.0);
    double east = 0.0;
    double north = 0.0;
    double up = 0.0;
    plane.Forward(latitude, longitude, 0.0, east, north, up);
    const LengthScale scale = ScaleBetween(LengthUnit::Metre, unit);
    return {scale(east), scale(north)};
}

}  // namespace korvane
