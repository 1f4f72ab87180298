#include "setup/SectionKeys.h"

#include "catalogue/DelimitedText.h"
#include "common/NumberText.h"

namespace korvane {

namespace {

constexpr const char* SectionKey = "[Section]";               // 1: a cross-section
constexpr const char* FromKey = "[Sectionfrom]";              // A: x,y or lat,lon
constexpr const char* ToKey = "[Sectionto]";                  // B
constexpr const char* GeographicKey = "[Sectiongeographic]";  // 1: lat,lon ends
constexpr const char* WidthKey = "[Sectionwidth]";            // events' units
constexpr const char* StepKey = "[Sectionstep]";              // between sections
constexpr const char* CountKey = "[Sectioncount]";            // parallel sections

void AppendLine(std::string& text, const char* key, const std::string& value) {
    text.append(key).append("\t").append(value).append("\r\n");
}

std::string PairText(double a, double b) {
    return FormatShortest(a) + "," + FormatShortest(b);
}

}  // namespace

std::optional<std::pair<double, double>> NumberPairOf(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<double> first = NumberFillingText(TrimmedField(text.substr(0, comma)));
    const std::optional<double> second = NumberFillingText(TrimmedField(text.substr(comma + 1)));
    if (!first || !second) {
        return std::nullopt;
    }
    return std::pair{*first, *second};
}

void AppendSectionKeys(std::string& text, const SectionOptions& section) {
    const SectionOptions defaults;
    if (section.on != defaults.on) {
        AppendLine(text, SectionKey, section.on ? "1" : "0");
    }
    if (section.fromX != defaults.fromX || section.fromY != defaults.fromY) {
        AppendLine(text, FromKey, PairText(section.fromX, section.fromY));
    }
    if (section.toX != defaults.toX || section.toY != defaults.toY) {
        AppendLine(text, ToKey, PairText(section.toX, section.toY));
    }
    if (section.geographic != defaults.geographic) {
        AppendLine(text, GeographicKey, section.geographic ? "1" : "0");
    }
    if (section.width != defaults.width) {
        AppendLine(text, WidthKey, FormatShortest(section.width));
    }
    if (section.step != defaults.step) {
        AppendLine(text, StepKey, FormatShortest(section.step));
    }
    if (section.count != defaults.count) {
        AppendLine(text, CountKey, FormatShortest(section.count));
    }
}

bool ApplySectionKey(SectionOptions& section, std::string_view key, std::string_view value) {
    double* const numbers[] = {&section.width, &section.step, &section.count};
    const char* const numberKeys[] = {WidthKey, StepKey, CountKey};
    for (int i = 0; i < 3; ++i) {
        if (key == numberKeys[i]) {
            *numbers[i] = NumberFillingText(TrimmedField(value)).value_or(*numbers[i]);
            return true;
        }
    }
    if (key == SectionKey || key == GeographicKey) {
        (key == SectionKey ? section.on : section.geographic) = ReadDecimal(value) != 0.0;
        return true;
    }
    if (key == FromKey || key == ToKey) {
        if (const auto pair = NumberPairOf(value)) {
            (key == FromKey ? section.fromX : section.toX) = pair->first;
            (key == FromKey ? section.fromY : section.toY) = pair->second;
        }
        return true;
    }
    return false;
}

}  // namespace korvane
