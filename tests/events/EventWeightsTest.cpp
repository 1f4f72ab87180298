#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "events/EventWeights.h"

namespace korvane {
namespace {

TEST(WeighEvents, EachWeightingAndWhatItRefuses) {
    struct Case {
        const char* name;
        EventWeighting weighting;
        std::vector<double> source;   // the weight column, one per event (3 events)
        std::vector<double> weights;  // expected; empty: every event weighs 1
        const char* refusal;          // part of the message, or null when accepted
    };
    const Case cases[] = {
        {"none ignores the column", EventWeighting::None, {2, 5, -1}, {}, nullptr},
        {"value as it stands", EventWeighting::Value, {0, 0.25, 40}, {0, 0.25, 40}, nullptr},
        // 10^(1.5 (M - Mmax)): the largest weighs exactly 1, two units less 10^-3.
        {"moment", EventWeighting::Moment, {1, 3, 3}, {0.001, 1, 1}, nullptr},
        {"moment beyond double's range",
         EventWeighting::Moment,
         {250, 249, 250},
         {1, std::pow(10.0, -1.5), 1},
         nullptr},
        {"value without a column", EventWeighting::Value, {}, {}, "has no weight column"},
        {"negative value", EventWeighting::Value, {1, -0.5, 1}, {}, "Event 2 "},
        {"magnitude not finite", EventWeighting::Moment, {1, 1, INFINITY}, {}, "Event 3 "},
    };
    for (const Case& c : cases) {
        EventTable table;
        table.count = 3;
        table.weightSource = c.source;
        table.weights = {9, 9, 9};  // left from an earlier run
        const Status status = WeighEvents(c.weighting, "quakes.dat", table);
        if (c.refusal != nullptr) {
            EXPECT_EQ(status.code(), Status::Code::InvalidInput) << c.name;
            EXPECT_NE(status.message().find(c.refusal), std::string::npos)
                << c.name << ": " << status.message();
            EXPECT_NE(status.message().find("quakes.dat"), std::string::npos) << c.name;
            EXPECT_TRUE(table.weights.empty()) << c.name;
            continue;
        }
        ASSERT_TRUE(status.ok()) << c.name << ": " << status.message();
        ASSERT_EQ(table.weights.size(), c.weights.size()) << c.name;
        for (std::size_t i = 0; i < c.weights.size(); ++i) {
            EXPECT_DOUBLE_EQ(table.weights[i], c.weights[i]) << c.name << " event " << i;
        }
    }
}

}  // namespace
}  // namespace korvane
