#pragma once
// The options of "korvane-batch section": the line A-A' (--from, --to, in x,y or, with
// --lat-lon, latitude,longitude), its width, and the step and count of parallel sections.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "series/CalculationRequest.h"

namespace korvane::batch {

// What the command line says of the section; each given value wins over the setup file's.
struct SectionArguments {
    std::optional<std::pair<double, double>> from;  // --from X,Y
    std::optional<std::pair<double, double>> to;    // --to X,Y
    std::optional<double> width;                    // --width W
    std::optional<double> step;                     // --step S
    std::optional<double> count;                    // --count N
    bool latLon = false;                            // --lat-lon: the ends are LAT,LON
    bool given = false;                             // any of them
};

// Takes the section option at arguments[i] into `section`: false when the word is none of
// them. A value that cannot be read sets `problem`. "--count" is the number of sections only
// for the section command (`sectionCommand`) and with a number after it ("--count 5",
// "--count=5"); else it is left to the other options (counting the events in the box).
bool TakeSectionOption(const std::vector<std::string>& arguments, std::size_t& i,
                       SectionArguments& section, std::string& problem, bool sectionCommand);

// Turns the section on with the given values over the setup's; returns what is wrong with
// the section then, in the options' words, or "" when it can be drawn.
std::string ApplySectionArguments(const SectionArguments& arguments, SectionOptions& section);

}  // namespace korvane::batch
