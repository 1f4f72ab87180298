#include "setup/CalculateCommand.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <new>
#include <opencv2/core.hpp>
#include <string>

#include "common/NumberText.h"
#include "density/DensityEstimate.h"
#include "series/SpatialSeries.h"
#include "series/TimeSeries.h"
#include "events/EventFile.h"
#include "density/PerspectiveMaximum.h"
#include "series/PerspectiveSeries.h"
#include "events/ViewAxes.h"

namespace korvane {
namespace {

const char* const InvalidInputCaption = "Invalid input!";
const char* const ErrorCaption = "Error";

const char* const MissingFileMessage = "Input file does not exist! Check filepath!";
const char* const PerspectiveInSpatialMessage =
    "Perspective view only possible for time resolved plots: \n\n  choose other direction "
    "\n\n  choose time resolved";
const char* const NotNumbersMessage =
    "Check input boxes wether: \n\n  they contain nothing but numbers \n\n  decimal numbers "
    "are written with '.' not ',' ";
const char* const OutOfRangeMessage =
    "Check input boxes wether: \n\n  x/y/z: minima <= maxima \n\n  0 < number of pictures < "
    "9999 \n\n  width and height > 0";
const char* const NoDirectionMessage = "Choose a direction of view: x, y, z or Perspective.";

constexpr int HighestNumberOfPictures = 9999;
constexpr double UnfixedPictureSize = 800.0;
constexpr double EstimateShare = 0.8;

// True when the event file can be opened for reading as a file. A folder opens for reading
// on this system, but there are no events in it.
bool EventFileOpens(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    struct stat info {};
    const bool isFolder = fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode);
    std::fclose(file);
    return !isFolder;
}

// A box passes when it holds only digits, points and minus signs and its value is a finite
// number (hundreds of digits read as infinity, which no range or scale survives).
bool BoxHoldsNumber(const std::string& text) {
    return IsNumberText(text) && std::isfinite(ReadDecimal(text));
}

bool Checked(int state) {
    return state == 1;
}

void ShowInvalidInput(Host& host, const std::string& message) {
    host.MessageBoxA(message, InvalidInputCaption, MessageIcon::Stop);
}

// The range boxes of one event column (0 x, 1 y, 2 z), read as numbers.
struct BoxRange {
    double min;
    double max;
};

BoxRange RangeOfColumn(const DialogValues& values, int column) {
    switch (column) {
        case 0:
            return {ReadDecimal(values.xMin), ReadDecimal(values.xMax)};
        case 1:
            return {ReadDecimal(values.yMin), ReadDecimal(values.yMax)};
        default:
            return {ReadDecimal(values.zMin), ReadDecimal(values.zMax)};
    }
}

bool IsAxisDirection(int direction) {
    return direction >= 0 && direction <= 2;
}

void SetPictureSize(const DialogValues& values, RunParameters& run) {
    if (Checked(values.fixedSizeState)) {
        run.pictureWidth = ReadDecimal(values.width);
        run.pictureHeight = ReadDecimal(values.height);
    } else {
        run.pictureWidth = UnfixedPictureSize;
        run.pictureHeight = UnfixedPictureSize;
    }
}

// Reads the event file; a file that vanished since the test or does not fit the table is
// reported here, and no series runs on a table that does not hold the file.
bool ReadEvents(const DialogValues& values, Host& host, CalculationWorkspace& workspace) {
    const Status status = ReadEventFile(values.eventFilePath, workspace.events);
    if (!status.ok()) {
        ShowInvalidInput(host, status.message());
        return false;
    }
    return true;
}

CalculateOutcome OutcomeOfSeries(const SeriesResult& result, Host& host) {
    switch (result.outcome) {
        case SeriesOutcome::Finished:
            return CalculateOutcome::Finished;
        case SeriesOutcome::Cancelled:
            return CalculateOutcome::Cancelled;
        case SeriesOutcome::Failed:
            break;
    }
    host.MessageBoxA(result.message, ErrorCaption, MessageIcon::Stop);
    return CalculateOutcome::Failed;
}

CalculateOutcome CalculateSpatial(const DialogValues& values, Host& host,
                                  CalculationWorkspace& workspace) {
    RunParameters& run = workspace.run;
    run.Direction = values.direction;
    if (IsAxisDirection(run.Direction)) {
        const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(run.Direction));
        const BoxRange vertical = RangeOfColumn(values, axes.vertical);
        const BoxRange horizontal = RangeOfColumn(values, axes.horizontal);
        const BoxRange depth = RangeOfColumn(values, axes.depth);
        run.vMax = vertical.max;
        run.vMin = vertical.min;
        run.hMin = horizontal.min;
        run.hMax = horizontal.max;
        run.depthMin = depth.min;
        run.depthMax = depth.max;
    }
    SetPictureSize(values, run);
    const double numberOfPictures = ReadDecimal(values.numberOfPictures);
    run.Radius = ReadDecimal(values.radius);
    run.Gaussiandistance = Checked(values.gaussianState);

    run.hScale = ScaleOrStep(run.hMin, run.hMax, run.pictureWidth);
    run.vScale = ScaleOrStep(run.vMin, run.vMax, run.pictureHeight);
    run.depthStep = ScaleOrStep(run.depthMin, run.depthMax, numberOfPictures);

    if (!ReadEvents(values, host, workspace)) {
        return CalculateOutcome::InvalidInput;
    }
    run.DensityMaximum = SelectDensityMaximum(
        Checked(values.fixedDensityState), ReadDecimal(values.densityMaximum), [&] {
            return EstimateSpatialMaximum(workspace.events, run.Radius, run.hScale, run.vScale,
                                          run.depthStep, run.Direction, run.Gaussiandistance);
        });

    SeriesContext context{
        host, workspace.events, run, values.eventFilePath, numberOfPictures, workspace.series};
    return OutcomeOfSeries(
        RunSpatialSeries(context, run.Direction, run.vMax, run.vMin, run.hMin, run.hMax,
                         run.depthMin, run.depthMax, run.hScale, run.vScale, run.depthStep),
        host);
}

// The perspective series reads the box, the time range and the picture size from the boxes
// itself; the picture size is used whether or not "Fixed image size" is checked.
PerspectiveBox PerspectiveBoxFromValues(const DialogValues& values) {
    PerspectiveBox box;
    box.xmin = ReadDecimal(values.xMin);
    box.xmax = ReadDecimal(values.xMax);
    box.ymin = ReadDecimal(values.yMin);
    box.ymax = ReadDecimal(values.yMax);
    box.zmin = ReadDecimal(values.zMin);
    box.zmax = ReadDecimal(values.zMax);
    box.start = ReadDecimal(values.timeStart);
    box.end = ReadDecimal(values.timeEnd);
    box.width = TruncateToInt(ReadDecimal(values.width));
    box.height = TruncateToInt(ReadDecimal(values.height));
    box.windows = ReadDecimal(values.numberOfPictures);
    return box;
}

CalculateOutcome CalculateTime(const DialogValues& values, Host& host,
                               CalculationWorkspace& workspace) {
    RunParameters& run = workspace.run;
    run.Direction = values.direction;
    if (IsAxisDirection(run.Direction)) {
        const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(run.Direction));
        const BoxRange horizontal = RangeOfColumn(values, axes.horizontal);
        const BoxRange vertical = RangeOfColumn(values, axes.vertical);
        run.hMin = horizontal.min;
        run.hMax = horizontal.max;
        run.vMin = vertical.min;
        run.vMax = vertical.max;
    }
    run.Timestart = ReadDecimal(values.timeStart);
    run.Timeend = ReadDecimal(values.timeEnd);
    SetPictureSize(values, run);
    const double numberOfPictures = ReadDecimal(values.numberOfPictures);

    run.hScale = ScaleOrStep(run.hMin, run.hMax, run.pictureWidth);
    run.vScale = ScaleOrStep(run.vMin, run.vMax, run.pictureHeight);
    run.timeStep = ScaleOrStep(run.Timestart, run.Timeend, numberOfPictures);

    run.Radius = ReadDecimal(values.radius);
    run.Gaussiandistance = Checked(values.gaussianState);
    run.Cumulative = Checked(values.cumulativeState);

    if (!ReadEvents(values, host, workspace)) {
        return CalculateOutcome::InvalidInput;
    }
    const bool perspective = run.Direction == 3;
    const PerspectiveBox box = PerspectiveBoxFromValues(values);
    run.DensityMaximum = SelectDensityMaximum(
        Checked(values.fixedDensityState), ReadDecimal(values.densityMaximum), [&] {
            if (perspective) {
                return EstimatePerspectiveMaximum(workspace.events, box, run.Radius, run.Cumulative,
                                                  run.Gaussiandistance);
            }
            return EstimateTimeMaximum(workspace.events, run.Radius, run.hScale, run.vScale,
                                       run.timeStep, run.Direction, run.Cumulative,
                                       run.Gaussiandistance);
        });

    SeriesContext context{
        host, workspace.events, run, values.eventFilePath, numberOfPictures, workspace.series};
    if (perspective) {
        return OutcomeOfSeries(WritePerspectiveSeries(context, box), host);
    }
    return OutcomeOfSeries(
        RunTimeSeries(context, run.Direction, run.hMin, run.hMax, run.vMin, run.vMax, run.timeStep,
                      run.hScale, run.vScale, run.Timestart, run.Timeend),
        host);
}

}  // namespace

bool IsNumberText(std::string_view text) {
    for (const char c : text) {
        const bool fits = (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!fits) {
            return false;
        }
    }
    return true;
}

bool ValidateInput(const DialogValues& values, int calculationMode, Host& host) {
    if (!EventFileOpens(values.eventFilePath)) {
        ShowInvalidInput(host, MissingFileMessage);
        return false;
    }
    if (calculationMode == SpatialResolvedMode && values.direction == 3) {
        ShowInvalidInput(host, PerspectiveInSpatialMessage);
        return false;
    }

    // Every box is tested, also the greyed ones, in the order of the dialog's tab stops.
    const std::string* const boxes[] = {
        &values.xMin,      &values.xMax,    &values.yMin,
        &values.yMax,      &values.zMin,    &values.zMax,
        &values.timeStart, &values.timeEnd, &values.numberOfPictures,
        &values.height,    &values.width,   &values.densityMaximum,
        &values.radius};
    for (const std::string* box : boxes) {
        if (!BoxHoldsNumber(*box)) {
            ShowInvalidInput(host, NotNumbersMessage);
            return false;
        }
    }

    const double numberOfPictures = ReadDecimal(values.numberOfPictures);
    const bool inRange = ReadDecimal(values.xMax) >= ReadDecimal(values.xMin) &&
                         ReadDecimal(values.yMax) >= ReadDecimal(values.yMin) &&
                         ReadDecimal(values.zMax) >= ReadDecimal(values.zMin) &&
                         ReadDecimal(values.timeEnd) >= ReadDecimal(values.timeStart) &&
                         numberOfPictures > 0 && numberOfPictures <= HighestNumberOfPictures &&
                         ReadDecimal(values.width) > 0 && ReadDecimal(values.height) > 0;
    if (!inRange) {
        ShowInvalidInput(host, OutOfRangeMessage);
        return false;
    }

    // With no radio button selected (a setup file with a direction outside 0..3) there are
    // no picture axes to derive; running on would sort and label by a column that does not
    // exist.
    if (values.direction < 0 || values.direction > 3) {
        ShowInvalidInput(host, NoDirectionMessage);
        return false;
    }
    return true;
}

CalculateOutcome Calculate(const DialogValues& values, int calculationMode, Host& host,
                           CalculationWorkspace& workspace) {
    if (calculationMode != SpatialResolvedMode && calculationMode != TimeResolvedMode) {
        host.MessageBoxA("There is no calculation in this mode.", ErrorCaption, MessageIcon::Stop);
        return CalculateOutcome::Failed;
    }
    if (!ValidateInput(values, calculationMode, host)) {
        return CalculateOutcome::InvalidInput;
    }
    // Nothing the engine raises may reach the window's event loop: a raster too large for
    // the memory ends the calculation with an error box.
    try {
        if (calculationMode == SpatialResolvedMode) {
            return CalculateSpatial(values, host, workspace);
        }
        return CalculateTime(values, host, workspace);
    } catch (const std::bad_alloc&) {
        host.MessageBoxA(
            "Not enough memory for this calculation. Choose a smaller picture size or fewer "
            "events.",
            ErrorCaption, MessageIcon::Stop);
    } catch (const cv::Exception& error) {
        host.MessageBoxA("The calculation stopped: " + error.msg, ErrorCaption, MessageIcon::Stop);
    }
    return CalculateOutcome::Failed;
}

}  // namespace korvane
