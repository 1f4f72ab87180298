#include "setup/ParseCalculation.h"

#include <cmath>
#include <string>

#include "common/NumberText.h"
#include "common/ReadableFile.h"

namespace korvane {
namespace {

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
const char* const RadiusMessage =
    "Check the radius: it must be greater than 0 (it is the half size of the box around a "
    "pixel, in pixel steps).";
const char* const CoordinateRadiusMessage =
    "Check the radius: it must be greater than 0 (it is the half size of the box around a "
    "pixel, in the units of the events).";

constexpr int HighestNumberOfPictures = 9999;
constexpr double UnfixedPictureSize = 800.0;

// Ok when the event file opens for reading as a regular file. A file that cannot be opened
// gets the dialog's own message, followed by the path tried; a folder, a pipe or a device is
// named as what it is (a pipe would otherwise hold the calculation until something writes
// into it).
Status EventFileOpens(const std::string& path) {
    FileDescriptor file;
    const Status opened = OpenRegularFile(path, "event file", file);
    if (opened.code() == Status::Code::IoError) {
        // The path tried stands on a line of its own, so a wrong folder shows at a glance.
        return Status::InvalidInput(path.empty() ? std::string(MissingFileMessage)
                                                 : MissingFileMessage + std::string("\n") + path);
    }
    return opened;
}

// A box passes when it holds only digits, points and minus signs and its value is a finite
// number (hundreds of digits read as infinity, which no range or scale survives).
bool BoxHoldsNumber(const std::string& text) {
    return IsNumberText(text) && std::isfinite(ReadDecimal(text));
}

bool Checked(int state) {
    return state == 1;
}

AxisRange RangeOfBoxes(const std::string& min, const std::string& max) {
    return {ReadDecimal(min), ReadDecimal(max)};
}

// The typed request of values that passed every test.
CalculationRequest RequestOf(const DialogValues& values, CalculationKind kind) {
    CalculationRequest request;
    request.kind = kind;
    request.direction = static_cast<ViewDirection>(values.direction);
    request.eventFilePath = values.eventFilePath;
    request.box = {RangeOfBoxes(values.xMin, values.xMax), RangeOfBoxes(values.yMin, values.yMax),
                   RangeOfBoxes(values.zMin, values.zMax)};
    request.time = RangeOfBoxes(values.timeStart, values.timeEnd);
    // The perspective's density area takes the width and height boxes whether or not
    // "Fixed image size" is checked.
    const bool givenSize =
        Checked(values.fixedSizeState) || request.direction == ViewDirection::Perspective;
    request.pictureWidth = givenSize ? ReadDecimal(values.width) : UnfixedPictureSize;
    request.pictureHeight = givenSize ? ReadDecimal(values.height) : UnfixedPictureSize;
    request.numberOfPictures = ReadDecimal(values.numberOfPictures);
    request.weighting = {ReadDecimal(values.radius), Checked(values.gaussianState)};
    // The spatial series has no time windows: its cumulative switch means nothing.
    request.cumulative = kind == CalculationKind::Time && Checked(values.cumulativeState);
    if (Checked(values.fixedDensityState)) {
        request.fixedDensityMaximum = ReadDecimal(values.densityMaximum);
    }
    request.output = values.output;
    request.catalogue = values.catalogue;
    return request;
}

// The first failed input test, in the order the dialog has always tested them.
Status FirstFailedTest(const DialogValues& values, CalculationKind kind) {
    if (Status opens = EventFileOpens(values.eventFilePath); !opens.ok()) {
        return opens;
    }
    if (kind == CalculationKind::Spatial && values.direction == 3) {
        return Status::InvalidInput(PerspectiveInSpatialMessage);
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
            return Status::InvalidInput(NotNumbersMessage);
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
        return Status::InvalidInput(OutOfRangeMessage);
    }

    // With no radio button selected (a setup file with a direction outside 0..3) there are
    // no picture axes to derive; running on would sort and label by a column that does not
    // exist.
    if (values.direction < 0 || values.direction > 3) {
        return Status::InvalidInput(NoDirectionMessage);
    }
    // A box of no size around a pixel counts nothing: every picture would be black.
    if (!(ReadDecimal(values.radius) > 0)) {
        return Status::InvalidInput(values.output.radiusUnit == RadiusUnit::Coordinates
                                        ? CoordinateRadiusMessage
                                        : RadiusMessage);
    }
    return Status::Ok();
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

Status ParseCalculation(const DialogValues& values, CalculationKind kind, CalculationRequest* out) {
    Status failed = FirstFailedTest(values, kind);
    if (!failed.ok()) {
        return failed;
    }
    *out = RequestOf(values, kind);
    return Status::Ok();
}

}  // namespace korvane
