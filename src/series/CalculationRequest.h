#pragma once
// One calculation as typed values: what the Options dialog's boxes mean once they passed
// the input tests. The engine runs on this, never on dialog text.

#include <optional>
#include <string>
#include <vector>

#include "catalogue/CatalogueReader.h"
#include "common/Ranges.h"
#include "density/Kernel.h"
#include "events/EventWeights.h"
#include "events/ViewAxes.h"
#include "picture/ColourScale.h"
#include "picture/PictureFileName.h"
#include "picture/ViewChoices.h"
#include "series/MaximumMode.h"

namespace korvane {

enum class CalculationKind {
    Spatial,  // slices along the direction of view
    Time      // time windows; perspective pictures when the direction is Perspective
};

// The event box: the x, y and z ranges.
struct SpaceBox {
    AxisRange x;
    AxisRange y;
    AxisRange z;

    const AxisRange& Column(int column) const { return column == 0 ? x : column == 1 ? y : z; }
};

// A cross-section in place of slices along an axis: pictures of the vertical plane through
// the line from A to B, the distance along the line from A across and z up, each from the
// events within half the `width` on either side of its plane. `count` parallel sections, `step`
// apart, are centred on the line (the middle one on it for an odd count); offsets grow to the left
// looking from A to B. Off by default: the series slice along the direction of view.
struct SectionOptions {
    bool on = false;
    // A and B: x, y in the events' units; or latitude, longitude in degrees when
    // `geographic` (a catalogue's ends, placed in its local frame once it is read).
    double fromX = 0, fromY = 0;
    double toX = 0, toY = 0;
    bool geographic = false;
    double width = 0;  // the slab's thickness across the line, events' units
    double step = 0;   // between parallel sections (unused for one)
    double count = 1;  // number of parallel sections, at least 1

    bool operator==(const SectionOptions&) const = default;
};

// How a time series cuts its time range into windows. By default into N equal steps (the
// number of pictures); a calendar unit gives windows that begin on that unit's boundaries
// (midnight, Monday, the first of the month, ...) in UTC or at a fixed offset from it, and
// growing windows begin at an instant and last each `factor` times longer than the one
// before. Calendar and growing windows hold the events from their start (included) to their
// end (excluded); the first and last are cut to the time range.
enum class WindowUnit { Steps, Hour, Day, Week, Month, Year, Growing };

struct TimeWindows {
    WindowUnit unit = WindowUnit::Steps;
    int count = 1;  // units per window: 6 for six-hour windows
    // The boundaries' offset from UTC in minutes (+540: windows from midnight at UTC+09:00).
    int offsetMinutes = 0;
    // Growing windows: the first starts at `start` (calendar time, else seconds of the
    // table) and lasts `first` seconds; each next one lasts `factor` times longer.
    std::optional<CalendarInstant> startInstant;
    double start = 0;
    double first = 0;
    double factor = 1;

    bool operator==(const TimeWindows&) const = default;
};

// What a series writes besides the pictures' pixels, and where. The defaults write exactly
// the files the program has always written, plus the series index.
struct OutputOptions {
    PictureFormat format = PictureFormat::Bmp;  // the pictures' file format
    bool densities = false;  // each picture's densities as a 32-bit float TIFF beside it
    bool index = true;       // space.json, time.json or perspective.json beside the pictures
    // The densities of all the pictures of a spatial or time series as one NetCDF volume:
    // at `volumePath`, or (empty) space.nc or time.nc beside the pictures.
    bool volume = false;
    std::string volumePath;  // set for one run, never kept in a setup file
    std::string folder;      // where the files go; empty: the folder of the event file
                             // (set for one run, never kept in a setup file)
    // The pictures' colours: the classic black-blue-green-red map on a linear scale by
    // default. The density data and the index keep the raw densities whatever these are.
    ColourMap colourMap = ColourMap::Classic;
    DensityScale scale = DensityScale::Linear;
    // What each event adds to a density: 1 (counts, as always), its weight column's number,
    // or its relative seismic moment from its magnitude. The estimated maximum, the pictures,
    // the density data and the index all use the weighted sums.
    EventWeighting eventWeights = EventWeighting::None;
    // The top of the colour scale when the maximum is not fixed: the whole file's estimate,
    // or taken from this series' own pixel densities (a first pass computes them all before
    // the first picture is coloured).
    MaximumChoice maximum;
    // What the dialog's radius is measured in: pixel (and slice) steps, as always, or the
    // events' own units on every axis, so that the densities do not depend on the picture
    // size or the number of slices.
    RadiusUnit radiusUnit = RadiusUnit::Pixels;
    // The unit of the coordinates in the axis titles, the slice caption and (with a colour-bar
    // title) the pictures; empty: "m", or "km" or "m" for a catalogue whose latitude and
    // longitude were turned into coordinates in that unit.
    std::string unit;
    // A cross-section along a line instead of slices (spatial series only).
    SectionOptions section;
    // How a time series cuts its time range: equal steps as always, or calendar windows.
    TimeWindows windows;
    // Files drawn over the plane pictures, each in a colour of its own with a legend entry:
    // named points (CSV: name, latitude and longitude or x and y, optionally depth), and
    // lines and outlines (GeoJSON, or x,y[,z] polylines). Empty: none, as always.
    std::vector<std::string> overlayPoints;
    std::vector<std::string> overlayLines;
    // Which way depth runs up the side views, true scale, the vertical exaggeration note and
    // the ticks; automatic: as a plain event file has always been drawn, and for a catalogue
    // depth down, the note and round ticks.
    ViewChoices view;

    bool operator==(const OutputOptions&) const = default;
};

struct CalculationRequest {
    CalculationKind kind = CalculationKind::Spatial;
    ViewDirection direction = ViewDirection::AlongZ;
    std::string eventFilePath;  // the pictures go into its folder (unless output.folder)
    SpaceBox box;               // x, y and z ranges
    AxisRange time;             // time range, seconds (time series)
    // An end of the time range typed as calendar time (ISO 8601): it becomes seconds from the
    // catalogue's time reference once the catalogue is read, in place of that end of `time`.
    std::optional<CalendarInstant> timeStartInstant;
    std::optional<CalendarInstant> timeEndInstant;
    // Picture size in pixels: 800 x 800 unless fixed; the perspective's density area takes
    // the width and height as given, whether fixed or not.
    double pictureWidth = 800;
    double pictureHeight = 800;
    // N: slices or windows. A fraction is allowed: the step is range / N and a series
    // writes at most trunc(N) + 1 pictures.
    double numberOfPictures = 1;
    Weighting weighting;
    bool cumulative = false;                    // windows from the first event on
    std::optional<double> fixedDensityMaximum;  // top of the colour scale, else estimated
    OutputOptions output;                       // file format, density data, index, folder
    // How a catalogue is read (columns, origin, units, time reference, filters); the
    // defaults read a plain event file as always and find a catalogue's columns by name.
    CatalogueOptions catalogue;
};

}  // namespace korvane
