#include "setup/FitToEvents.h"

#include <cmath>

#include "catalogue/EventExtent.h"
#include "common/NumberText.h"
#include "series/SeriesLoop.h"

namespace korvane {
namespace {

constexpr double SecondsPerHour = 3600.0;
constexpr double SecondsPerDay = 86400.0;

// The box text of a value on a grid of `decimals` decimals: `value` rounded down, or up.
std::string GridText(double value, int decimals, bool up) {
    const double scale = std::pow(10.0, decimals);
    const double rounded =
        up ? std::ceil(value * scale) / scale : std::floor(value * scale) / scale;
    return FormatFixed(rounded, decimals);
}

// The decimals a time box gets: whole seconds, which the box keeps when the setup is shown
// again, unless the events span less than a second.
int TimeDecimals(const AxisRange& times) {
    return times.max - times.min >= 1.0 ? 0 : 3;
}

// The text of the largest value of the grid below `value` (strictly: a window holds no
// event on its start), the grid's step being `unit`; times of a calendar start at the hour
// or the day, counted from midnight UTC of the reference's day.
std::string TimeStartText(double first, double unit, int decimals, double referenceSecond) {
    const double grid = std::pow(10.0, -decimals);
    const double step = std::max(unit, grid);
    double start = std::floor((referenceSecond + first) / step) * step - referenceSecond;
    std::string text = GridText(start, decimals, false);
    if (!(ReadDecimal(text) < first)) {
        start -= step;
        text = GridText(start, decimals, false);
    }
    return text;
}

// The end of the range: the first value of the grid above `last`, moved up the grid until
// the series' steps, added as the series adds them, give exactly `pictures` pictures (the
// sums may otherwise stop a rounding short of the end and add a picture).
std::string ExactEndText(const std::string& startText, double last, int decimals, bool strictly,
                         double pictures) {
    const double grid = std::pow(10.0, -decimals);
    std::string text = GridText(last, decimals, true);
    if (strictly && !(ReadDecimal(text) > last)) {
        text = GridText(ReadDecimal(text) + grid, decimals, true);
    }
    if (!(pictures >= 1) || !(pictures <= 9999)) {
        return text;  // the input test will name the number of pictures
    }
    const long long asked = static_cast<long long>(std::ceil(pictures));
    const double start = ReadDecimal(startText);
    const double end = ReadDecimal(text);
    constexpr int Tries = 64;
    for (int k = 0; k < Tries; ++k) {
        const std::string tried = FormatFixed(end + k * grid, decimals);
        if (SeriesPictureCount({start, ReadDecimal(tried)}, pictures) == asked) {
            return tried;
        }
    }
    return text;  // values too large for the grid's steps to tell apart
}

// The fitted texts of the boxes, or what keeps the ranges from being fitted.
std::string FitTexts(double pictures, const std::array<AxisRange, 4>& extent,
                     const CatalogueReport& report, FittedRanges& fitted) {
    static constexpr const char* names[] = {"x", "y", "z"};
    for (std::size_t column = 0; column < 3; ++column) {
        std::string& min = fitted.texts[2 * column];
        std::string& max = fitted.texts[2 * column + 1];
        // Space gets a margin, so the outermost events do not sit on a picture's edge.
        const AxisRange range = WithMargin(extent[column]);
        min = GridText(range.min, 3, false);
        max = ExactEndText(min, range.max, 3, false, pictures);
        // Beyond about 1e15 the margin is lost in the number's precision: a range of no
        // width has no pixel to show the events in.
        if (!(ReadDecimal(max) > ReadDecimal(min))) {
            return "The events' " + std::string(names[column]) + " values (" +
                   FormatShortest(extent[column].min) + " to " +
                   FormatShortest(extent[column].max) +
                   ") are too large for a range around them to have any width: no picture "
                   "could show them. Move the events' coordinates nearer to 0.";
        }
    }
    // Time gets none: the first window starts just before the first event (at the hour or
    // the day for calendar time), the last ends just after the last event.
    const AxisRange& times = extent[3];
    const int decimals = TimeDecimals(times);
    double unit = 0.0;
    double referenceSecond = 0.0;
    if (report.calendarTime) {
        const double span = times.max - times.min;
        unit = span >= 2 * SecondsPerDay    ? SecondsPerDay
               : span >= 2 * SecondsPerHour ? SecondsPerHour
                                            : 0.0;
        referenceSecond = report.timeReference.second;
    }
    fitted.texts[6] = TimeStartText(times.min, unit, decimals, referenceSecond);
    fitted.texts[7] = ExactEndText(fitted.texts[6], times.max, decimals, true, pictures);
    return {};
}

// The text box of each fitted range in DialogValues, in the order of FittedRanges.
constexpr std::string DialogValues::*FittedBoxes[] = {
    &DialogValues::xMin, &DialogValues::xMax, &DialogValues::yMin,      &DialogValues::yMax,
    &DialogValues::zMin, &DialogValues::zMax, &DialogValues::timeStart, &DialogValues::timeEnd};

// The same ranges' members of CalculationSetup.
constexpr double CalculationSetup::*FittedNumbers[] = {
    &CalculationSetup::Amin,      &CalculationSetup::Amax,   &CalculationSetup::Bmin,
    &CalculationSetup::Bmax,      &CalculationSetup::Cmin,   &CalculationSetup::Cmax,
    &CalculationSetup::Timestart, &CalculationSetup::Timeend};

}  // namespace

std::string FitRangesToExtent(DialogValues& values, const std::array<AxisRange, 4>& extent,
                              const CatalogueReport& report) {
    FittedRanges fitted;
    if (std::string problem =
            FitTexts(ReadDecimal(values.numberOfPictures), extent, report, fitted);
        !problem.empty()) {
        return problem;
    }
    for (std::size_t i = 0; i < fitted.texts.size(); ++i) {
        values.*FittedBoxes[i] = fitted.texts[i];
    }
    return {};
}

std::string FitRangesToEvents(DialogValues& values, RunObserver* observer,
                              CatalogueReport* report) {
    EventTable table;
    CatalogueReport read;
    const Status status = ReadEvents(values.eventFilePath, values.catalogue, table, &read,
                                     EventMemoryBudget(), observer);
    if (!status.ok()) {
        return status.code() == Status::Code::Cancelled ? std::string() : status.message();
    }
    if (report != nullptr) {
        *report = read;
    }
    return FitRangesToExtent(values, EventExtentOf(table), read);
}

std::string FitRangesToEvents(CalculationSetup& setup, FittedRanges& fitted) {
    EventTable table;
    CatalogueReport read;
    const Status status =
        ReadEvents(setup.FilePath, setup.Catalogue, table, &read, EventMemoryBudget(), nullptr);
    if (!status.ok()) {
        return status.code() == Status::Code::Cancelled ? std::string() : status.message();
    }
    if (std::string problem = FitTexts(setup.NoOfPictures, EventExtentOf(table), read, fitted);
        !problem.empty()) {
        return problem;
    }
    for (std::size_t i = 0; i < fitted.texts.size(); ++i) {
        setup.*FittedNumbers[i] = ReadDecimal(fitted.texts[i]);
    }
    return {};
}

}  // namespace korvane
