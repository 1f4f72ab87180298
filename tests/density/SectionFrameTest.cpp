// The frame of a cross-section: distances along and across a line, against distances worked
// out by hand, and the ends it refuses.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "density/SectionFrame.h"

namespace korvane::testing {
namespace {

TEST(SectionFrame, DistancesAlongAndAcrossMatchThoseWorkedOutByHand) {
    struct Row {
        SectionLine line;
        double x, y;           // an event
        double along, across;  // by hand: from A towards B, and left of A to B positive
        double length;
    };
    const Row rows[] = {
        // Along the x axis from the origin: along is x, across is y.
        {{0, 0, 10, 0}, 3, 2, 3, 2, 10},
        {{0, 0, 10, 0}, -4, -1.5, -4, -1.5, 10},
        // From B back to A: both signs turn.
        {{10, 0, 0, 0}, 3, 2, 7, -2, 10},
        // Up the y axis: the left is -x.
        {{0, 0, 0, 8}, 3, 5, 5, -3, 8},
        // A 3-4-5 line away from the origin: the point 5 along it, then 10 to its left.
        {{1, 2, 7, 10}, 1 + 3 - 8, 2 + 4 + 6, 5, 10, 10},
        // A point on the line beyond B, and one at A.
        {{1, 2, 7, 10}, 10, 14, 15, 0, 10},
        {{1, 2, 7, 10}, 1, 2, 0, 0, 10},
        // At 45 degrees the unit vector is irrational: within a few units in the last place.
        {{0, 0, 1, 1}, 2, 0, std::sqrt(2.0), -std::sqrt(2.0), std::sqrt(2.0)},
        // Far from the origin (UTM metres), a kilometre along and 500 m to the right.
        {{500000, 4000000, 500000, 4010000}, 500500, 4001000, 1000, -500, 10000},
    };
    for (const Row& row : rows) {
        SectionFrame frame;
        ASSERT_TRUE(MakeSectionFrame(row.line, frame).ok());
        EXPECT_NEAR(frame.length, row.length, 1e-12 * row.length);
        EXPECT_NEAR(frame.Along(row.x, row.y), row.along, 1e-9) << row.x << "," << row.y;
        EXPECT_NEAR(frame.Across(row.x, row.y), row.across, 1e-9) << row.x << "," << row.y;
        // The table takes the same numbers: x along, y across, z and t kept.
        EventTable table;
        table.rows[0] = {row.x, row.y, 7.5, 42};
        table.count = 1;
        PlaceInSectionFrame(frame, table);
        EXPECT_EQ(table.rows[0].x, frame.Along(row.x, row.y));
        EXPECT_EQ(table.rows[0].y, frame.Across(row.x, row.y));
        EXPECT_EQ(table.rows[0].z, 7.5);
        EXPECT_EQ(table.rows[0].t, 42);
    }
}

TEST(SectionFrame, EndsThatGiveNoDirectionAreRefusedNamingThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        SectionLine line;
        const char* said;
    } rows[] = {
        {{2, 3, 2, 3}, "are the same point"},
        {{-1e308, 0, 1e308, 0}, "too far apart"},
        {{nan, 0, 1, 1}, "finite numbers"},
        {{0, 0, std::numeric_limits<double>::infinity(), 1}, "finite numbers"},
    };
    for (const auto& row : rows) {
        SectionFrame frame;
        const Status made = MakeSectionFrame(row.line, frame);
        EXPECT_EQ(made.code(), Status::Code::InvalidInput);
        EXPECT_NE(made.message().find(row.said), std::string::npos) << made.message();
        EXPECT_NE(made.message().find("A ("), std::string::npos) << made.message();
    }
}

}  // namespace
}  // namespace korvane::testing
