#pragma once
// The local frame of a catalogue of latitudes and longitudes: the middle of the shortest arc
// that holds every longitude (however the file writes them: -180..180, 0..360), the angle of
// an event from the origin, and an origin rounded so that its text reads back as itself.

#include <array>
#include <cstddef>

namespace korvane {

// A longitude in degrees, any number of turns, as -180 <= lon < 180.
double WrappedLongitude(double longitude);

// The longitudes of a catalogue, taken one by one in constant memory, and the middle of the
// shortest arc of the circle that holds them all: across the 180th meridian, across
// Greenwich in 0..360 alike.
class LongitudeSpan {
  public:
    void Add(double longitude);
    bool empty() const { return m_count == 0; }
    // The middle of the arc, -180 <= middle < 180; 0 when no longitude was added.
    double Middle() const;
    // The length of the arc in degrees (0 to just under 360).
    double Length() const;

  private:
    // The arc's western end and length: it runs east from the end of the largest gap.
    void Arc(double* west, double* length) const;

    // A bin per degree: the smallest and largest longitude in it. A gap between points of
    // one bin is under a degree, so the largest gap of the circle is found between bins.
    static constexpr std::size_t Bins = 360;
    std::array<double, Bins> m_min{};
    std::array<double, Bins> m_max{};
    std::array<bool, Bins> m_used{};
    long long m_count = 0;
};

// The angle in degrees, at the earth's centre (a sphere), between two points.
double ArcDegrees(double latitude1, double longitude1, double latitude2, double longitude2);

// East and north, in metres, of the point at `latitude`, `longitude` (degrees) on the plane
// that touches the earth's ellipsoid at the origin: the local frame a catalogue's events are
// placed in.
void LocalEastNorth(double originLatitude, double originLongitude, double latitude,
                    double longitude, double* east, double* north);

// The latitude and longitude (degrees) of the point of the ellipsoid that LocalEastNorth
// places at `east`, `north` (metres): its inverse.
void LocalLatitudeLongitude(double originLatitude, double originLongitude, double east,
                            double north, double* latitude, double* longitude);

// Degrees rounded to the seventh decimal (about a centimetre), so that an origin is written
// with the fewest digits and reads back as exactly the origin the events were placed around.
double RoundedDegrees(double degrees);

}  // namespace korvane
