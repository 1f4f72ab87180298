#include "catalogue/GeographicFrame.h"

#include <GeographicLib/LocalCartesian.hpp>
#include <algorithm>
#include <cmath>

#include "common/NumberText.h"

namespace korvane {

double WrappedLongitude(double longitude) {
    if (!std::isfinite(longitude)) {
        return longitude;
    }
    double wrapped = std::fmod(longitude + 180.0, 360.0);
    if (wrapped < 0.0) {
        wrapped += 360.0;
    }
    wrapped -= 180.0;
    // fmod of a value just below a turn may round up to it.
    return wrapped >= 180.0 ? wrapped - 360.0 : wrapped;
}

void LongitudeSpan::Add(double longitude) {
    const double lon = WrappedLongitude(longitude);
    if (!std::isfinite(lon)) {
        return;
    }
    const auto bin = std::min(Bins - 1, static_cast<std::size_t>(std::max(0.0, lon + 180.0)));
    if (!m_used[bin]) {
        m_used[bin] = true;
        m_min[bin] = m_max[bin] = lon;
    } else {
        m_min[bin] = std::min(m_min[bin], lon);
        m_max[bin] = std::max(m_max[bin], lon);
    }
    ++m_count;
}

void LongitudeSpan::Arc(double* west, double* length) const {
    std::size_t first = Bins;
    std::size_t last = 0;
    for (std::size_t i = 0; i < Bins; ++i) {
        if (m_used[i]) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first == Bins) {
        *west = 0.0;
        *length = 0.0;
        return;
    }
    // The gap across the 180th meridian first: a catalogue that does not cross it keeps the
    // plain middle of its extent.
    double gap = m_min[first] + 360.0 - m_max[last];
    *west = m_min[first];
    std::size_t previous = first;
    for (std::size_t i = first + 1; i <= last; ++i) {
        if (!m_used[i]) {
            continue;
        }
        if (m_min[i] - m_max[previous] > gap) {
            gap = m_min[i] - m_max[previous];
            *west = m_min[i];
        }
        previous = i;
    }
    *length = 360.0 - gap;
}

double LongitudeSpan::Middle() const {
    double west = 0.0;
    double length = 0.0;
    Arc(&west, &length);
    return WrappedLongitude(west + 0.5 * length);
}

double LongitudeSpan::Length() const {
    double west = 0.0;
    double length = 0.0;
    Arc(&west, &length);
    return length;
}

double ArcDegrees(double latitude1, double longitude1, double latitude2, double longitude2) {
    constexpr double Radian = M_PI / 180.0;
    const double dLat = (latitude2 - latitude1) * Radian;
    const double dLon = (longitude2 - longitude1) * Radian;
    const double h = std::sin(0.5 * dLat) * std::sin(0.5 * dLat) +
                     std::cos(latitude1 * Radian) * std::cos(latitude2 * Radian) *
                         std::sin(0.5 * dLon) * std::sin(0.5 * dLon);
    return 2.0 * std::asin(std::min(1.0, std::sqrt(h))) / Radian;
}

double RoundedDegrees(double degrees) {
    if (!std::isfinite(degrees)) {
        return degrees;
    }
    const double rounded = ReadDecimal(FormatFixed(degrees, 7));
    return rounded == 0.0 ? 0.0 : rounded;  // never "-0"
}

void LocalEastNorth(double originLatitude, double originLongitude, double latitude,
                    double longitude, double* east, double* north) {
    const GeographicLib::LocalCartesian plane(originLatitude, originLongitude, 0.0);
    double up = 0.0;
    plane.Forward(latitude, longitude, 0.0, *east, *north, up);
}

void LocalLatitudeLongitude(double originLatitude, double originLongitude, double east,
                            double north, double* latitude, double* longitude) {
    const GeographicLib::LocalCartesian plane(originLatitude, originLongitude, 0.0);
    // The point lies below the plane by as much as the surface falls away from it: lowered
    // until it meets the ellipsoid, a few steps from the plane itself.
    double up = 0.0;
    for (int step = 0; step < 8; ++step) {
        double height = 0.0;
        plane.Reverse(east, north, up, *latitude, *longitude, height);
        if (std::fabs(height) < 1e-9) {
            break;
        }
        up -= height;
    }
}

}  // namespace korvane
