#include "setup/ParseCalculation.h"

#include <cmath>
#include <optional>
#include <string>

#include "catalogue/CalendarTime.h"
#include "catalogue/CatalogueReader.h"
#include "common/NumberText.h"
#include "common/ReadableFile.h"
#include "setup/ClassicFields.h"

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

// Whether the event file is read as a catalogue, whose times may be calendar time.
bool ReadAsCatalogue(const CalculationSetup& setup) {
    const CatalogueOptions& chosen = setup.Catalogue;
    return chosen.preset != CataloguePreset::None || !chosen.columns.empty() ||
           chosen.separator != 0 || StartsWithHeader(setup.FilePath);
}

// The test of a time box ("Start:" or "End:"): seconds as ever, or a calendar time, which
// the run turns into seconds once it has read the catalogue's time reference (and refuses
// for an event file whose times are plain seconds). Text of neither kind in a catalogue's
// box is named with the forms it takes.
std::optional<Status> TimeBoxFailure(const CalculationSetup& setup, const std::string& box,
                                     const char* name) {
    if (CalendarTimeInBox(box) || BoxHoldsNumber(box)) {
        return std::nullopt;
    }
    if (!ReadAsCatalogue(setup)) {
        return Status::InvalidInput(NotNumbersMessage);
    }
    return Status::InvalidInput("The box \"" + std::string(name) + "\" cannot be read: \"" + box +
                                "\". Type seconds from the catalogue's time reference, or a "
                                "calendar time such as 2020-01-01 or 2020-01-01T06:00Z.");
}

// The ends of the time range typed as calendar time, none for seconds.
struct TimeInstants {
    std::optional<CalendarInstant> start;
    std::optional<CalendarInstant> end;
};

// The typed request of a setup that passed every test.
CalculationRequest RequestOf(const CalculationSetup& setup, const TimeInstants& instants,
                             CalculationKind kind) {
    CalculationRequest request;
    request.kind = kind;
    request.direction = *setup.Direction;
    request.eventFilePath = setup.FilePath;
    request.box = {{setup.Amin, setup.Amax}, {setup.Bmin, setup.Bmax}, {setup.Cmin, setup.Cmax}};
    request.timeStartInstant = instants.start;
    request.timeEndInstant = instants.end;
    // A calendar time counts once the catalogue's time reference is known; until then the
    // range holds no number of it.
    request.time = {instants.start ? 0.0 : setup.Timestart, instants.end ? 0.0 : setup.Timeend};
    // The perspective's density area takes the width and height boxes whether or not
    // "Fixed image size" is checked.
    const bool givenSize = setup.Fixedsize || request.direction == ViewDirection::Perspective;
    request.pictureWidth = givenSize ? setup.Width : UnfixedPictureSize;
    request.pictureHeight = givenSize ? setup.Height : UnfixedPictureSize;
    request.numberOfPictures = setup.NoOfPictures;
    request.weighting = {setup.Radius, setup.Gaussiandistance};
    // The spatial series has no time windows: its cumulative switch means nothing.
    request.cumulative = kind == CalculationKind::Time && setup.Cumulative;
    if (setup.Fixeddensity) {
        request.fixedDensityMaximum = setup.Maxdensity;
    }
    request.output = setup.Output;
    request.catalogue = setup.Catalogue;
    return request;
}

// The tests that come before the boxes': the event file, and a perspective asked of a
// spatial series.
Status FirstTests(const CalculationSetup& setup, CalculationKind kind) {
    if (Status opens = EventFileOpens(setup.FilePath); !opens.ok()) {
        return opens;
    }
    if (kind == CalculationKind::Spatial && setup.Direction == ViewDirection::Perspective) {
        return Status::InvalidInput(PerspectiveInSpatialMessage);
    }
    return Status::Ok();
}

// The test of one box's text (every box is tested, also the greyed ones).
Status TestBox(const ClassicField& field, const CalculationSetup& setup, const std::string& box) {
    if (field.test == BoxTest::Time) {
        if (std::optional<Status> failed = TimeBoxFailure(setup, box, field.label)) {
            return *failed;
        }
    } else if (field.test == BoxTest::Number && !BoxHoldsNumber(box)) {
        return Status::InvalidInput(NotNumbersMessage);
    }
    return Status::Ok();
}

// The tests of the numbers the boxes held, in the order the dialog has always made them.
Status ValueTests(const CalculationSetup& setup, const TimeInstants& instants) {
    // Two calendar times compare as instants; one beside seconds once the catalogue's time
    // reference is known (the run checks it then).
    bool timeInOrder = setup.Timeend >= setup.Timestart;
    if (instants.start && instants.end) {
        const CalendarInstant& start = *instants.start;
        const CalendarInstant& end = *instants.end;
        timeInOrder = end.day > start.day || (end.day == start.day && end.second >= start.second);
    } else if (instants.start || instants.end) {
        timeInOrder = true;
    }
    const bool inRange = setup.Amax >= setup.Amin && setup.Bmax >= setup.Bmin &&
                         setup.Cmax >= setup.Cmin && timeInOrder && setup.NoOfPictures > 0 &&
                         setup.NoOfPictures <= HighestNumberOfPictures && setup.Width > 0 &&
                         setup.Height > 0;
    if (!inRange) {
        return Status::InvalidInput(OutOfRangeMessage);
    }

    // With no radio button selected (a setup file with a direction outside 0..3) there are
    // no picture axes to derive; running on would sort and label by a column that does not
    // exist.
    if (!setup.Direction) {
        return Status::InvalidInput(NoDirectionMessage);
    }
    // A box of no size around a pixel counts nothing: every picture would be black.
    if (!(setup.Radius > 0)) {
        return Status::InvalidInput(setup.Output.radiusUnit == RadiusUnit::Coordinates
                                        ? CoordinateRadiusMessage
                                        : RadiusMessage);
    }
    return Status::Ok();
}

// Runs the box tests over every tested field, the box texts given by `textOf`.
template <typename TextOf>
Status BoxTests(const CalculationSetup& setup, TextOf textOf) {
    for (const ClassicField& field : ClassicFields()) {
        if (field.test == BoxTest::None) {
            continue;
        }
        if (Status passed = TestBox(field, setup, textOf(field)); !passed.ok()) {
            return passed;
        }
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
    const CalculationSetup setup = SetupFromDialogValues(values);
    if (Status first = FirstTests(setup, kind); !first.ok()) {
        return first;
    }
    if (Status boxes = BoxTests(
            setup,
            [&](const ClassicField& field) -> const std::string& { return values.*field.text; });
        !boxes.ok()) {
        return boxes;
    }
    const TimeInstants instants{CalendarTimeInBox(values.timeStart),
                                CalendarTimeInBox(values.timeEnd)};
    if (Status tested = ValueTests(setup, instants); !tested.ok()) {
        return tested;
    }
    *out = RequestOf(setup, instants, kind);
    return Status::Ok();
}

Status ParseCalculation(const CalculationSetup& setup, CalculationKind kind,
                        CalculationRequest* out) {
    if (Status first = FirstTests(setup, kind); !first.ok()) {
        return first;
    }
    // A number is its box's text as the dialog would show it: the test then fails only for
    // a number that is not finite.
    if (Status boxes =
            BoxTests(setup, [&](const ClassicField& field) { return BoxText(field, setup); });
        !boxes.ok()) {
        return boxes;
    }
    // Text that is no number may still read as a calendar time ("nan" does), as it would
    // in the box.
    const TimeInstants instants{CalendarTimeInBox(FormatFixed(setup.Timestart, 0)),
                                CalendarTimeInBox(FormatFixed(setup.Timeend, 0))};
    if (Status values = ValueTests(setup, instants); !values.ok()) {
        return values;
    }
    *out = RequestOf(setup, instants, kind);
    return Status::Ok();
}

}  // namespace korvane
