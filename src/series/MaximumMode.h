#pragma once
// Where the top of the colour scale comes from when it is not fixed.

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

enum class MaximumMode {
    Catalogue,  // 0.8 times the highest density at an event of the whole file (estimated)
    Series,     // the highest pixel density of the pictures of this series
    Percentile  // a percentile of the non-zero pixel densities of this series
};

struct MaximumChoice {
    MaximumMode mode = MaximumMode::Catalogue;
    double percentile = 99.5;  // P of Percentile, 0 < P <= 100

    bool operator==(const MaximumChoice&) const = default;
};

// "catalogue", "series", "percentile:P" (P in its shortest exact text).
std::string MaximumChoiceText(const MaximumChoice& choice);

// Reads "catalogue", "series", "percentile" (P = 99.5) or "percentile:P" with 0 < P <= 100;
// nothing for any other text.
std::optional<MaximumChoice> MaximumChoiceNamed(std::string_view text);

}  // namespace korvane
