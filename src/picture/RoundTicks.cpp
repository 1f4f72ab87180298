#include "picture/RoundTicks.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/NumberText.h"

namespace korvane {

namespace {

// The most ticks an axis gets, whatever its length.
constexpr double MostTicks = 25;

// 1, 2 or 5 times 10^exponent, exactly for the steps a decimal text shows.
double StepOf(int mantissa, int exponent) {
    return exponent >= 0 ? mantissa * std::pow(10.0, exponent)
                         : mantissa / std::pow(10.0, -exponent);
}

// The multiples of `step` inside [min, max]; a hair of rounding at the ends still counts.
std::vector<double> MultiplesInside(double min, double max, double step) {
    std::vector<double> values;
    const double slack = step * 1e-9;
    const double first = std::ceil((min - slack) / step);
    const double last = std::floor((max + slack) / step);
    for (double k = first; k <= last && static_cast<double>(values.size()) <= MostTicks; k += 1) {
        values.push_back(k * step);
    }
    return values;
}

struct Candidate {
    std::vector<double> values;
    std::vector<std::string> texts;
    double step = 0;
    int decimals = 0;
    double offset = 0;
};

// Whether the candidate's ticks stand far enough apart for its labels.
bool Spacious(const Candidate& c, const RoundAxisSpace& space, bool tight) {
    if (c.values.empty()) {
        return false;
    }
    const int need = tight ? space.tightSpacingFor(c.texts) : space.spacingFor(c.texts);
    for (std::size_t i = 1; i < c.values.size(); ++i) {
        if (std::abs(space.pixelOf(c.values[i]) - space.pixelOf(c.values[i - 1])) < need) {
            return false;
        }
    }
    return true;
}

// The first 1-2-5 step, from the one that gives at most MostTicks, whose labels have room;
// `withOffset` writes them from a round value below the first tick.
std::optional<Candidate> FirstSpacious(const RoundAxisSpace& space, bool withOffset, bool tight) {
    const double range = space.max - space.min;
    int exponent = static_cast<int>(std::floor(std::log10(range / MostTicks)));
    for (int tries = 0; tries < 40; ++exponent, ++tries) {
        for (int mantissa : {1, 2, 5}) {
            Candidate c;
            c.step = StepOf(mantissa, exponent);
            if (range / c.step > MostTicks) {
                continue;
            }
            c.values = MultiplesInside(space.min, space.max, c.step);
            c.decimals = exponent < 0 ? -exponent : 0;
            if (withOffset && !c.values.empty()) {
                const double block = std::max(1.0, std::pow(10.0, std::floor(std::log10(range))));
                c.offset = std::floor(c.values.front() / block) * block;
                if (c.offset == 0) {
                    return std::nullopt;  // nothing to take away
                }
            }
            c.texts = RoundTickTexts(c.values, c.decimals, c.offset);
            // A step too long for two ticks is as far as the search goes.
            if (c.values.size() < 2 || Spacious(c, space, tight)) {
                return c;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> RoundTickTexts(const std::vector<double>& values, int decimals,
                                        double offset) {
    std::vector<std::string> texts;
    texts.reserve(values.size());
    for (double value : values) {
        std::string text = FormatFixed(value - offset, decimals);
        if (text.size() > 1 && text[0] == '-' &&
            text.find_first_not_of("0.", 1) == std::string::npos) {
            text.erase(0, 1);
        }
        texts.push_back(std::move(text));
    }
    return texts;
}

std::string OffsetText(double offset) {
    const std::string digits = FormatFixed(std::fabs(offset), 0);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return (offset < 0 ? "-" : "+") + grouped;
}

RoundAxis LayoutRoundAxis(const RoundAxisSpace& space) {
    RoundAxis axis;
    const double range = space.max - space.min;
    if (!(range > 0) || !std::isfinite(range)) {
        if (std::isfinite(space.min)) {
            const std::string text = RoundTickTexts({space.min}, 3, 0).front();
            axis.ticks.push_back({space.min, space.pixelOf(space.min), text});
            axis.decimals = 3;
        }
        return axis;
    }
    std::optional<Candidate> chosen;
    for (const bool tight : {false, true}) {
        if (tight && (!space.tightSpacingFor || (chosen && chosen->values.size() >= 2))) {
            break;
        }
        chosen = FirstSpacious(space, false, tight);
        // Long values crowd: from an offset, more of them may stand.
        if (const std::optional<Candidate> offset = FirstSpacious(space, true, tight);
            offset && (!chosen || offset->values.size() > chosen->values.size())) {
            chosen = offset;
        }
    }
    if (!chosen) {
        return axis;
    }
    axis.step = chosen->step;
    axis.decimals = chosen->decimals;
    if (chosen->offset != 0) {
        axis.offset = OffsetText(chosen->offset);
    }
    for (std::size_t i = 0; i < chosen->values.size(); ++i) {
        axis.ticks.push_back(
            {chosen->values[i], space.pixelOf(chosen->values[i]), chosen->texts[i]});
    }
    return axis;
}

}  // namespace korvane
