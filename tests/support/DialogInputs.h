#pragma once
// The boxes every Calculate test starts from, and the texts of the messages the program gives
// for its input, written out once for the setup, catalogue and dialog tests.

#include <string>

#include "setup/DialogValues.h"

namespace korvane::testing {

inline constexpr const char* MissingFileMessage = "Input file does not exist! Check filepath!";
inline constexpr const char* PerspectiveInSpatialMessage =
    "Perspective view only possible for time resolved plots: \n\n  choose other direction "
    "\n\n  choose time resolved";
inline constexpr const char* NotNumbersMessage =
    "Check input boxes wether: \n\n  they contain nothing but numbers \n\n  decimal numbers "
    "are written with '.' not ',' ";
inline constexpr const char* OutOfRangeMessage =
    "Check input boxes wether: \n\n  x/y/z: minima <= maxima \n\n  0 < number of pictures < "
    "9999 \n\n  width and height > 0";
inline constexpr const char* RadiusMessage =
    "Check the radius: it must be greater than 0 (it is the half size of the box around a "
    "pixel, in pixel steps).";
inline constexpr const char* FinishedMessage = "Calculation finished successfully.";
// The start of the warning after a run whose range held no picture.
inline constexpr const char* NothingWrittenMessage =
    "No picture was written: the range the pictures step through";

// Boxes that pass every check: 0..10 on every axis, 0..10 s, two pictures of 20 x 16 pixels,
// radius 1, fixed density maximum 2, direction z, for the event file `eventFile`.
DialogValues PassingValues(const std::string& eventFile);

}  // namespace korvane::testing
