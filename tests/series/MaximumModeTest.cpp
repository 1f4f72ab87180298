#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "series/MaximumMode.h"
#include "series/SeriesLoop.h"

namespace korvane {
namespace {

TEST(MaximumChoice, TextsReadAndWritten) {
    struct Case {
        const char* text;
        std::optional<MaximumChoice> choice;  // nothing: refused
        const char* written;                  // the text it is saved as
    };
    const Case cases[] = {
        {"catalogue", MaximumChoice{}, "catalogue"},
        {"series", MaximumChoice{MaximumMode::Series}, "series"},
        {"percentile", MaximumChoice{MaximumMode::Percentile, 99.5}, "percentile:99.5"},
        {"percentile:100", MaximumChoice{MaximumMode::Percentile, 100}, "percentile:100"},
        {"percentile:0.01", MaximumChoice{MaximumMode::Percentile, 0.01}, "percentile:0.01"},
        {"percentile:0", std::nullopt, nullptr},
        {"percentile:100.5", std::nullopt, nullptr},
        {"percentile:99x", std::nullopt, nullptr},
        {"percentile99", std::nullopt, nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<MaximumChoice> read = MaximumChoiceNamed(c.text);
        EXPECT_EQ(read, c.choice) << c.text;
        if (read) {
            EXPECT_EQ(MaximumChoiceText(*read), c.written) << c.text;
            EXPECT_EQ(MaximumChoiceNamed(MaximumChoiceText(*read)), read) << c.text;
        }
    }
}

// Nearest rank on 1..1000 in random order: the P-th percentile is ceil(10 P).
TEST(MaximumChoice, NearestRankPercentileOfAKnownDistribution) {
    struct Case {
        double percentile;
        float expected;
    };
    const Case cases[] = {{99.5, 995}, {100, 1000}, {50, 500}, {0.01, 1}, {99.95, 1000}};
    std::mt19937 random(5);
    for (const Case& c : cases) {
        std::vector<float> values(1000);
        for (int i = 0; i < 1000; ++i) {
            values[i] = static_cast<float>(i + 1);
        }
        std::shuffle(values.begin(), values.end(), random);
        EXPECT_EQ(NearestRankPercentile(values, c.percentile), c.expected) << c.percentile;
    }
    std::vector<float> none;
    EXPECT_EQ(NearestRankPercentile(none, 99.5), 0.0);
}

}  // namespace
}  // namespace korvane
