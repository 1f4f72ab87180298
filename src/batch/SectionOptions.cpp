#include "SectionOptions.h"

#include <cmath>

#include "OptionWords.h"
#include "common/NumberText.h"
#include "setup/SectionKeys.h"

namespace korvane::batch {

bool TakeSectionOption(const std::vector<std::string>& arguments, std::size_t& i,
                       SectionArguments& section, std::string& problem, bool sectionCommand) {
    const std::string& word = arguments[i];
    std::string value;
    if (word == "--count" &&
        (!sectionCommand || i + 1 >= arguments.size() || !NumberFillingText(arguments[i + 1]))) {
        return false;
    }
    if (word == "--lat-lon") {
        section.latLon = section.given = true;
        return true;
    }
    for (const std::string name : {"--from", "--to"}) {
        if (Names(word, name)) {
            const bool given = TakeValue(arguments, i, name, value);
            const auto pair = NumberPairOf(value);
            if (!given || !pair) {
                problem = name;
                problem.append(" takes an end of the section as two numbers, X,Y (or LAT,LON ")
                    .append("with --lat-lon), e.g. ")
                    .append(name)
                    .append(" 12.5,-3");
            }
            (name == "--from" ? section.from : section.to) = pair;
            section.given = true;
            return true;
        }
    }
    const struct {
        const char* name;
        std::optional<double>* value;
        const char* example;
    } numbers[] = {
        {"--width", &section.width, "the thickness of the section, e.g. --width 2"},
        {"--step", &section.step, "the distance between parallel sections, e.g. --step 1"},
        {"--count", &section.count, "the number of parallel sections, e.g. --count 5"}};
    for (const auto& number : numbers) {
        if (Names(word, number.name)) {
            const bool given = TakeValue(arguments, i, number.name, value);
            *number.value = NumberFillingText(value);
            if (!given || !*number.value) {
                problem.assign(number.name).append(" takes ").append(number.example);
            }
            section.given = true;
            return true;
        }
    }
    return false;
}

std::string ApplySectionArguments(const SectionArguments& arguments, SectionOptions& section) {
    section.on = true;
    if (arguments.from) {
        section.fromX = arguments.from->first;
        section.fromY = arguments.from->second;
    }
    if (arguments.to) {
        section.toX = arguments.to->first;
        section.toY = arguments.to->second;
    }
    if (arguments.latLon) {
        section.geographic = true;
    }
    section.width = arguments.width.value_or(section.width);
    section.step = arguments.step.value_or(section.step);
    section.count = arguments.count.value_or(section.count);
    if (section.fromX == section.toX && section.fromY == section.toY) {
        return "the section needs two different ends: --from " + FormatShortest(section.fromX) +
               "," + FormatShortest(section.fromY) + " and --to " + FormatShortest(section.toX) +
               "," + FormatShortest(section.toY) + " are the same point";
    }
    if (!(section.width > 0)) {
        return "--width takes the thickness of the section, a number greater than 0 (it is " +
               FormatShortest(section.width) + ")";
    }
    if (!(section.count >= 1) || section.count > 9999 ||
        section.count != std::floor(section.count)) {
        return "--count takes a whole number of sections from 1 to 9999 (it is " +
               FormatShortest(section.count) + ")";
    }
    if (section.count > 1 && !(section.step > 0)) {
        return "--count " + FormatShortest(section.count) +
               " needs --step, the distance between the sections, greater than 0";
    }
    if (section.geographic && (std::fabs(section.fromX) > 90 || std::fabs(section.toX) > 90)) {
        return "with --lat-lon, --from and --to are LAT,LON: a latitude lies from -90 to 90";
    }
    return "";
}

}  // namespace korvane::batch
