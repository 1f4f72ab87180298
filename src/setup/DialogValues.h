#pragma once
// The Options dialog's exchanged values: the box texts, the selected direction and the four
// check states. The Calculate command runs on this record, whoever filled it.

#include <optional>
#include <string>

#include "catalogue/CatalogueReader.h"
#include "setup/CalculationSetup.h"

namespace korvane {

struct DialogValues {
    std::string eventFilePath;
    std::string xMin, xMax;
    std::string yMin, yMax;
    std::string zMin, zMax;
    std::string timeStart, timeEnd;
    std::string width, height;
    std::string densityMaximum;
    std::string numberOfPictures;
    std::string radius;
    int direction = -1;      // 0 x, 1 y, 2 z, 3 perspective; -1 when none is selected
    int fixedSizeState = 0;  // check box states; 1 is checked
    int fixedDensityState = 0;
    int gaussianState = 0;
    int cumulativeState = 0;
    OutputOptions output;        // the "Output Options..." choices, carried along
    CatalogueOptions catalogue;  // how a catalogue is read, carried along

    bool operator==(const DialogValues&) const = default;
};

// The texts a setup shows in the boxes ("%.03f" ranges, "%.0lf" for the rest).
DialogValues DialogValuesFromSetup(const CalculationSetup& setup);

// The setup the boxes hold (numbers read as by atof, check states 0 or 1). A time box that
// holds a calendar time gives its seconds from `timeReference`, the catalogue's t = 0, when
// that is known.
CalculationSetup SetupFromDialogValues(const DialogValues& values,
                                       const std::optional<CalendarInstant>& timeReference = {});

}  // namespace korvane
