#include "setup/DialogValues.h"

#include "common/NumberText.h"
#include "series/RunCalculation.h"
#include "setup/ParseCalculation.h"

namespace korvane {
namespace {

// A check box holds the state it is given; only state 1 counts as checked when read back.
double SwitchFromState(int state) {
    return state == 1 ? 1.0 : 0.0;
}

// The radio group has four buttons; any other value selects none of them, and reading the
// group back then gives -1.
int SelectableDirection(double direction) {
    const int index = TruncateToInt(direction);
    return (index >= 0 && index <= 3) ? index : -1;
}

// The seconds a time box stands for: its number, or its calendar time counted from the
// reference (the file keeps seconds).
double TimeOfBox(const std::string& box, const std::optional<CalendarInstant>& reference) {
    const std::optional<CalendarInstant> date = CalendarTimeInBox(box);
    if (date && reference) {
        return SecondsFrom(*reference, *date);
    }
    return ReadDecimal(box);
}

}  // namespace

DialogValues DialogValuesFromSetup(const CalculationSetup& setup) {
    DialogValues values;
    values.eventFilePath = setup.FilePath;
    values.direction = SelectableDirection(setup.Direction);

    values.xMin = FormatFixed(setup.Amin, 3);
    values.xMax = FormatFixed(setup.Amax, 3);
    values.yMin = FormatFixed(setup.Bmin, 3);
    values.yMax = FormatFixed(setup.Bmax, 3);
    values.zMin = FormatFixed(setup.Cmin, 3);
    values.zMax = FormatFixed(setup.Cmax, 3);

    // Whole numbers only: a radius of 2.5 is shown, and then used, as 2.
    values.timeStart = FormatFixed(setup.Timestart, 0);
    values.timeEnd = FormatFixed(setup.Timeend, 0);
    values.numberOfPictures = FormatFixed(setup.NoOfPictures, 0);
    // A radius in coordinates keeps its fraction: 0.25 km is a box, 0 none.
    values.radius = setup.Output.radiusUnit == RadiusUnit::Coordinates
                        ? FormatShortest(setup.Radius)
                        : FormatFixed(setup.Radius, 0);
    values.width = FormatFixed(setup.Width, 0);
    values.height = FormatFixed(setup.Height, 0);
    values.densityMaximum = FormatFixed(setup.Maxdensity, 0);

    values.fixedSizeState = TruncateToInt(setup.Fixedsize);
    values.fixedDensityState = TruncateToInt(setup.Fixeddensity);
    values.gaussianState = TruncateToInt(setup.Gaussiandistance);
    values.cumulativeState = TruncateToInt(setup.Cumulative);
    values.output = setup.Output;
    values.catalogue = setup.Catalogue;
    return values;
}

CalculationSetup SetupFromDialogValues(const DialogValues& values,
                                       const std::optional<CalendarInstant>& timeReference) {
    CalculationSetup setup;
    setup.FilePath = values.eventFilePath;
    setup.Direction = values.direction;
    setup.Amin = ReadDecimal(values.xMin);
    setup.Amax = ReadDecimal(values.xMax);
    setup.Bmin = ReadDecimal(values.yMin);
    setup.Bmax = ReadDecimal(values.yMax);
    setup.Cmin = ReadDecimal(values.zMin);
    setup.Cmax = ReadDecimal(values.zMax);
    setup.Timestart = TimeOfBox(values.timeStart, timeReference);
    setup.Timeend = TimeOfBox(values.timeEnd, timeReference);
    setup.Width = ReadDecimal(values.width);
    setup.Height = ReadDecimal(values.height);
    setup.Maxdensity = ReadDecimal(values.densityMaximum);
    setup.NoOfPictures = ReadDecimal(values.numberOfPictures);
    setup.Radius = ReadDecimal(values.radius);
    setup.Fixedsize = SwitchFromState(values.fixedSizeState);
    setup.Fixeddensity = SwitchFromState(values.fixedDensityState);
    setup.Gaussiandistance = SwitchFromState(values.gaussianState);
    setup.Cumulative = SwitchFromState(values.cumulativeState);
    setup.Output = values.output;
    setup.Catalogue = values.catalogue;
    return setup;
}

}  // namespace korvane
