#include "setup/SectionChoice.h"

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

}  // namespace korvane
