#include "setup/ParseCalculation.h"

#include <cmath>
#include <optional>
#include <string>

#include "catalogue/CalendarTime.h"
#include "catalogue/CatalogueReader.h"
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

// Whether the event file is read as a catalogue, whose times may be calendar time.
bool ReadAsCatalogue(const DialogValues& values) {
    const CatalogueOptions& chosen = values.catalogue;
    return chosen.preset != CataloguePreset::None || !chosen.columns.empty() ||
           chosen.separator != 0 || StartsWithHeader(values.eventFilePath);
}

// The test of a time box ("Start:" or "End:"): seconds as ever, or a calendar time, which
// the run turns into seconds once it has read the catalogue's time reference (and refuses
// for an event file whose times are plain seconds). Text of neither kind in a catalogue's
// box is named with the forms it takes.
std::optional<Status> TimeBoxFailure(const DialogValues& values, const std::string& box,
                                     const char* name) {
    if (CalendarTimeInBox(box) || BoxHoldsNumber(box)) {
        return std::nullopt;
    }
    if (!ReadAsCatalogue(values)) {
        return Status::InvalidInput(NotNumbersMessage);
    }
    return Status::InvalidInput("The box \"" + std::string(name) + "\" cannot be read: \"" + box +
                                "\". Type seconds from the catalogue's time reference, or a "
                                "calendar time such as 2020-01-01 or 2020-01-01T06:00Z.");
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
    request.timeStartInstant = CalendarTimeInBox(values.timeStart);
    request.timeEndInstant = CalendarTimeInBox(values.timeEnd);
    // A calendar time counts once the catalogue's time reference is known; until then the
    // range holds no number of it.
    request.time.min = request.timeStartInstant ? 0.0 : request.time.min;
    request.time.max = request.timeEndInstant ? 0.0 : request.time.max;
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
        if (box == &values.timeStart || box == &values.timeEnd) {
            if (std::optional<Status> failed =
                    TimeBoxFailure(values, *box, box == &values.timeStart ? "Start:" : "End:")) {
                return *failed;
            }
        } else if (!BoxHoldsNumber(*box)) {
            return Status::InvalidInput(NotNumbersMessage);
        }
    }

    // Two calendar times compare as instants; one beside seconds once the catalogue's time
    // reference is known (the run checks it then).
    const std::optional<CalendarInstant> start = CalendarTimeInBox(values.timeStart);
    const std::optional<CalendarInstant> end = CalendarTimeInBox(values.timeEnd);
    bool timeInOrder = ReadDecimal(values.timeEnd) >= ReadDecimal(values.timeStart);
    if (start && end) {
        timeInOrder =
            end->day > start->day || (end->day == start->day && end->second >= start->second);
    } else if (start || end) {
        timeInOrder = true;
    }
    const double numberOfPictures = ReadDecimal(values.numberOfPictures);
    const bool inRange = ReadDecimal(values.xMax) >= ReadDecimal(values.xMin) &&
                         ReadDecimal(values.yMax) >= ReadDecimal(values.yMin) &&
                         ReadDecimal(values.zMax) >= ReadDecimal(values.zMin) && timeInOrder &&
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

std::optional<CalendarInstant> CalendarTimeInBox(const std::string& box) {
    CalendarInstant instant;
    if (box.find_first_not_of("0123456789.- ") == std::string::npos &&
        box.find('-', box.find_first_not_of(" -")) == std::string::npos) {
        return std::nullopt;  // "1.5", "-20": seconds, as the boxes have always read them
    }
    return ReadIsoTime(box, &instant) ? std::optional<CalendarInstant>(instant) : std::nullopt;
}

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
