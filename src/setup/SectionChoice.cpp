#include "setup/SectionChoice.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/NumberText.h"
#include "setup/SectionKeys.h"

namespace korvane {

namespace {

constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();

// An empty box is 0; a box that holds no number alone, NaN.
double NumberOfBox(const std::string& text) {
    return text.empty() ? 0.0 : NumberFillingText(text).value_or(NotANumber);
}

std::string PairText(double a, double b) {
    return FormatShortest(a) + "," + FormatShortest(b);
}

// `value` to the decimals that tell steps of `resolution` apart (none for steps of 1 or more).
double RoundedToResolution(double value, double resolution) {
    if (!(resolution > 0) || !std::isfinite(resolution)) {
        return value;
    }
    const double decimals = std::max(0.0, std::ceil(-std::log10(resolution)));
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// The largest 1, 2 or 5 times a power of ten not above `value` (> 0).
double RoundStepBelow(double value) {
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double mantissa : {5.0, 2.0}) {
        if (mantissa * power <= value) {
            return mantissa * power;
        }
    }
    return power;
}

}  // namespace

int DirectionShown(const DialogValues& values, CalculationKind kind) {
    if (kind == CalculationKind::Spatial && values.output.section.on) {
        return SectionDirection;
    }
    // A setup's direction is never the section's: that number selects no button.
    return values.direction == SectionDirection ? -1 : values.direction;
}

DialogValues WithSectionFromDirection(DialogValues values, CalculationKind kind) {
    if (kind != CalculationKind::Spatial || values.direction < 0) {
        return values;
    }
    values.output.section.on = values.direction == SectionDirection;
    if (values.output.section.on) {
        values.direction = static_cast<int>(ViewDirection::AlongZ);
    }
    return values;
}

SectionBoxTexts SectionBoxTextsOf(const SectionOptions& section) {
    return {PairText(section.fromX, section.fromY), PairText(section.toX, section.toY),
            FormatShortest(section.width),          FormatShortest(section.step),
            FormatShortest(section.count),          section.geographic ? 1 : 0};
}

void TakeSectionBoxTexts(const SectionBoxTexts& texts, SectionOptions& section) {
    const auto from = NumberPairOf(texts.from);
    const auto to = NumberPairOf(texts.to);
    section.fromX = from ? from->first : NotANumber;
    section.fromY = from ? from->second : NotANumber;
    section.toX = to ? to->first : NotANumber;
    section.toY = to ? to->second : NotANumber;
    section.width = NumberOfBox(texts.width);
    section.step = NumberOfBox(texts.step);
    section.count = NumberOfBox(texts.count);
    section.geographic = texts.latLonState == 1;
}

SectionOptions SectionAlongDrawnLine(SectionOptions section, double ax, double ay, double bx,
                                     double by, double resolution) {
    section.on = true;
    section.geographic = false;
    section.fromX = RoundedToResolution(ax, resolution);
    section.fromY = RoundedToResolution(ay, resolution);
    section.toX = RoundedToResolution(bx, resolution);
    section.toY = RoundedToResolution(by, resolution);
    const double length = std::hypot(bx - ax, by - ay);
    if (!(section.width > 0) && length > 0) {
        section.width = RoundStepBelow(length / 10);
    }
    if (!(section.count >= 1)) {
        section.count = 1;
    }
    return section;
}

}  // namespace korvane
