#pragma once
// One calculation as typed values: what the Options dialog's boxes mean once they passed
// the input tests. The engine runs on this, never on dialog text.

#include <optional>
#include <string>

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
