#pragma once
// The record of one calculation's settings, as the setup file stores it.

#include <string>

#include "series/CalculationRequest.h"

namespace korvane {

// One calculation as the user set it up. Every number is a double, the switches (0 or 1),
// counts and the direction too. A, B and C always stand for x, y and z.
struct CalculationSetup {
    std::string FilePath;  // full path of the event file
    double Direction = 0;  // direction of view: 0 x, 1 y, 2 z, 3 perspective
    double Amin = 0;       // x range, coordinate units
    double Amax = 0;
    double Bmin = 0;  // y range
    double Bmax = 0;
    double Timestart = 0;  // time scale, seconds
    double Timeend = 0;
    double Fixedsize = 0;  // switch: use Width and Height
    double Width = 0;      // picture size, pixels
    double Height = 0;
    double Fixeddensity = 0;      // switch: use Maxdensity as the top of the colour scale
    double Maxdensity = 0;        // fixed density maximum
    double Gaussiandistance = 0;  // switch: Gaussian distance weighting
    double NoOfPictures = 0;      // pictures of a series
    double Cmin = 0;              // z range
    double Cmax = 0;
    double Cumulative = 0;  // switch: cumulative time plot
    double Radius = 0;      // calculation radius, in pixel (and slice) steps
    // What the series writes besides the pictures' pixels (not one of the nineteen lines:
    // the setup file holds a key of it only when it differs from the default). The folder
    // is never stored.
    OutputOptions Output;
    // How the event file is read when it is a catalogue (its own keys after the nineteen
    // lines, each only when it differs from the default, like the output keys).
    CatalogueOptions Catalogue;

    bool operator==(const CalculationSetup&) const = default;
};

}  // namespace korvane
