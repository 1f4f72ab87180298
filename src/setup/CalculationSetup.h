#pragma once
// The record of one calculation's settings, each in its own type: what a setup file stores,
// what the Options dialog's boxes show and what both front ends hand to the calculation.

#include <optional>
#include <string>

#include "events/ViewAxes.h"
#include "series/CalculationRequest.h"

namespace korvane {

// One calculation as the user set it up. A, B and C always stand for x, y and z. The
// numbers are doubles as the file keeps them: the boxes show the whole ones rounded (see
// AsBoxesShowIt), and a fraction of a picture count or a radius is the user's to type.
struct CalculationSetup {
    std::string FilePath;  // full path of the event file
    // Direction of view; none when a setup file names a direction outside x, y, z and
    // perspective (the dialog then selects no radio button).
    std::optional<ViewDirection> Direction = ViewDirection::AlongX;
    double Amin = 0;  // x range, coordinate units
    double Amax = 0;
    double Bmin = 0;  // y range
    double Bmax = 0;
    double Timestart = 0;  // time scale, seconds
    double Timeend = 0;
    bool Fixedsize = false;  // use Width and Height
    double Width = 0;        // picture size, pixels
    double Height = 0;
    bool Fixeddensity = false;      // use Maxdensity as the top of the colour scale
    double Maxdensity = 0;          // fixed density maximum
    bool Gaussiandistance = false;  // Gaussian distance weighting, else a plain count
    double NoOfPictures = 0;        // pictures of a series
    double Cmin = 0;                // z range
    double Cmax = 0;
    bool Cumulative = false;  // cumulative time plot
    double Radius = 0;        // calculation radius, in pixel (and slice) steps
    // What the series writes besides the pictures' pixels (not one of the nineteen lines:
    // the setup file holds a key of it only when it differs from the default). The folder
    // is never stored.
    OutputOptions Output;
    // How the event file is read when it is a catalogue (its own keys after the nineteen
    // lines, each only when it differs from the default, like the output keys).
    CatalogueOptions Catalogue;

    // The setup as the dialog's boxes show it and a calculation then reads it back: ranges
    // to three decimals, times, sizes, the density maximum, the number of pictures and a
    // radius in pixel steps to whole numbers (a radius of 2.5 is shown, and used, as 2; one
    // in coordinates keeps its fraction). Rounds as the boxes' texts do, half to even; a
    // number that is not finite stays, for the input test to refuse.
    CalculationSetup AsBoxesShowIt() const;

    bool operator==(const CalculationSetup&) const = default;
};

}  // namespace korvane
