#include "support/DialogInputs.h"

namespace korvane::testing {

DialogValues PassingValues(const std::string& eventFile) {
    DialogValues values;
    values.eventFilePath = eventFile;
    values.xMin = "0";
    values.xMax = "10";
    values.yMin = "0";
    values.yMax = "10";
    values.zMin = "0";
    values.zMax = "10";
    values.timeStart = "0";
    values.timeEnd = "10";
    values.width = "20";
    values.height = "16";
    values.densityMaximum = "2";
    values.numberOfPictures = "2";
    values.radius = "1";
    values.direction = 2;
    values.fixedSizeState = 1;
    values.fixedDensityState = 1;
    return values;
}

}  // namespace korvane::testing
