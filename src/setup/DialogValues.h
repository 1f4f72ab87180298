#pragma once
// The Options dialog's exchanged values: the box texts, the selected direction and the four
// check states. The Calculate command runs on this record, whoever filled it.

#include <string>

#include "setup/CalculationSetup.h"

namespace korvane {

struct DialogValues {
    std::string eventFilePath;       // 1006
    std::string xMin, xMax;          // 1011, 1012
    std::string yMin, yMax;          // 1013, 1014
    std::string zMin, zMax;          // 1025, 1026
    std::string timeStart, timeEnd;  // 1016, 1022
    std::string width, height;       // 1017, 1020
    std::string densityMaximum;      // 1019
    std::string numberOfPictures;    // 1024
    std::string radius;              // 1027
    int direction = -1;              // radio group 1054..1057, -1 when none is selected
    int fixedSizeState = 0;          // check box states; 1 is checked
    int fixedDensityState = 0;
    int gaussianState = 0;
    int cumulativeState = 0;
    OutputOptions output;  // the "Output Options..." choices, carried along

    bool operator==(const DialogValues&) const = default;
};

// The texts a setup shows in the boxes ("%.03f" ranges, "%.0lf" for the rest).
DialogValues DialogValuesFromSetup(const CalculationSetup& setup);

// The setup the boxes hold (numbers read as by atof, check states 0 or 1).
CalculationSetup SetupFromDialogValues(const DialogValues& values);

}  // namespace korvane
