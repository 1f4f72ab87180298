#include "series/MaximumMode.h"

#include "common/NumberText.h"

namespace korvane {

std::string MaximumChoiceText(const MaximumChoice& choice) {
    switch (choice.mode) {
        case MaximumMode::Series:
            return "series";
        case MaximumMode::Percentile:
            return "percentile:" + FormatShortest(choice.percentile);
        case MaximumMode::Catalogue:
            break;
    }
    return "catalogue";
}

std::optional<MaximumChoice> MaximumChoiceNamed(std::string_view text) {
    if (text == "catalogue") {
        return MaximumChoice{};
    }
    if (text == "series") {
        return MaximumChoice{MaximumMode::Series};
    }
    constexpr std::string_view Percentile = "percentile";
    if (text.substr(0, Percentile.size()) != Percentile) {
        return std::nullopt;
    }
    text.remove_prefix(Percentile.size());
    if (text.empty()) {
        return MaximumChoice{MaximumMode::Percentile};
    }
    if (text.front() != ':') {
        return std::nullopt;
    }
    text.remove_prefix(1);
    // The whole rest must be the number: "percentile:99x" is no percentile.
    if (text.empty() || DecimalExtent(text) != text.size()) {
        return std::nullopt;
    }
    const double p = ReadDecimal(text);
    if (!(p > 0.0 && p <= 100.0)) {
        return std::nullopt;
    }
    return MaximumChoice{MaximumMode::Percentile, p};
}

}  // namespace korvane
