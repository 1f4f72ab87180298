#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "events/EventOrdering.h"
#include "reference/ReferenceSort.h"

namespace korvane {
namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

// Rows compared bit for bit, so that 0 and -0 (equal keys) are still told apart.
bool SameRow(const EventRecord& a, const EventRecord& b) {
    return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
           std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y) &&
           std::bit_cast<std::uint64_t>(a.z) == std::bit_cast<std::uint64_t>(b.z) &&
           std::bit_cast<std::uint64_t>(a.t) == std::bit_cast<std::uint64_t>(b.t);
}

EventTable TableOf(std::initializer_list<EventRecord> rows) {
    EventTable table;
    for (const EventRecord& row : rows) {
        table.rows[static_cast<std::size_t>(table.count++)] = row;
    }
    return table;
}

TEST(SortEventsByColumn, EqualKeysEndInTheSelectionSortsOrder) {
    // (1,a), (0,b), (1,c), (0,d) with the letters in the second column.
    EventTable table = TableOf({{1, 'a', 0, 0}, {0, 'b', 0, 0}, {1, 'c', 0, 0}, {0, 'd', 0, 0}});
    SortEventsByColumn(table, 0);
    const double letters[] = {'b', 'd', 'c', 'a'};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(table.rows[i].y, letters[i]) << i;
    }
}

TEST(SortEventsByColumn, ShortAndOrderedTablesStayAsTheyAre) {
    EventTable empty;
    empty.rows[0] = {5, 4, 3, 2};
    SortEventsByColumn(empty, 0);
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.rows[0].x, 5);

    EventTable one = TableOf({{3, 2, 1, 0}});
    EventTable tail = one;
    tail.rows[1] = {-1, -1, -1, -1};  // beyond the count: must stay where it is
    SortEventsByColumn(tail, 3);
    EXPECT_TRUE(SameRow(tail.rows[0], one.rows[0]));
    EXPECT_EQ(tail.rows[1].x, -1);

    EventTable ordered = TableOf({{0, 9, 0, -Inf}, {1, 8, 0, -2}, {2, 7, 0, 0}, {3, 6, 0, Inf}});
    const EventTable before = ordered;
    SortEventsByColumn(ordered, 3);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(SameRow(ordered.rows[i], before.rows[i])) << i;
    }
}

// Random tables full of ties (a handful of keys, infinities, 0 and -0), every column, row by
// row against the literal selection sort.
TEST(SortEventsByColumn, MatchesTheSelectionSortOnRandomTables) {
    std::mt19937_64 random(2024);
    const double keys[] = {-Inf, -2.5, -0.0, 0.0, 1.0, 1.0 + 1e-15, 7.0, Inf};
    std::uniform_int_distribution<int> pick(0, 7);
    std::uniform_int_distribution<int> size(0, 300);
    std::uniform_int_distribution<int> keyCount(1, 8);
    // Allocated once: a table is a block of MaxEvents rows, and only n of them matter here.
    EventTable input;
    EventTable fast;
    EventTable literal;
    for (int round = 0; round < 400; ++round) {
        const int n = round < 301 ? round : size(random);
        const int distinct = keyCount(random);  // few distinct keys: many ties
        input.count = n;
        for (int i = 0; i < n; ++i) {
            EventRecord& row = input.rows[static_cast<std::size_t>(i)];
            row.x = keys[pick(random) % distinct];
            row.y = keys[pick(random) % distinct];
            row.z = keys[pick(random) % distinct];
            row.t = keys[pick(random) % distinct] + 0.0;
            // A tag that tells rows of equal keys apart, in a column not sorted on.
            const int tagColumn = round % 4;
            (tagColumn == 0   ? row.x
             : tagColumn == 1 ? row.y
             : tagColumn == 2 ? row.z
                              : row.t) = 1000.0 + i;
        }
        for (int column = 0; column < 4; ++column) {
            std::copy_n(input.rows.begin(), n, fast.rows.begin());
            std::copy_n(input.rows.begin(), n, literal.rows.begin());
            fast.count = literal.count = n;
            SortEventsByColumn(fast, column);
            reference::SelectionSortByColumn(literal, column);
            ASSERT_EQ(fast.count, n);
            for (int i = 0; i < n; ++i) {
                ASSERT_TRUE(SameRow(fast.rows[i], literal.rows[i]))
                    << "round " << round << ", column " << column << ", row " << i;
            }
            // In any order of equal keys: the same keys in each place, each row once (its tag).
            std::copy_n(input.rows.begin(), n, fast.rows.begin());
            SortEventsByColumn(fast, column, {}, EqualKeys::InAnyOrder);
            std::vector<double> tags;
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(fast.rows[i].Column(column), literal.rows[i].Column(column))
                    << "round " << round << ", column " << column << ", row " << i;
                tags.push_back(fast.rows[i].Column(round % 4));
            }
            std::sort(tags.begin(), tags.end());
            for (int i = 0; i < n && column != round % 4; ++i) {
                ASSERT_EQ(tags[static_cast<std::size_t>(i)], 1000.0 + i) << "round " << round;
            }
        }
    }
}

// Weights travel with their rows: the tie order of equal keys included.
TEST(SortEventsByColumn, WeightsMoveWithTheirRows) {
    EventTable table;
    table.count = 500;
    table.weights.resize(500);
    std::mt19937 random(3);
    for (int i = 0; i < table.count; ++i) {
        table.rows[i] = {static_cast<double>(random() % 17), 0.0, 0.0, static_cast<double>(i)};
        table.weights[i] = 0.5 * i;
    }
    SortEventsByColumn(table, 0);
    for (int i = 0; i < table.count; ++i) {
        ASSERT_EQ(table.weights[i], 0.5 * table.rows[i].t) << "row " << i;
    }
}

// The sort reports rising shares of its work up to 1. A stop at any report before the last
// (during the radix passes, between groups of keys, or while the rows or the weights are
// gathered) leaves every row and weight where it was; the last
// comes with the rows in place. A key that is not a number takes the replay, which never stops.
TEST(SortEventsByColumn, AStopLeavesTheTableAsItWas) {
    constexpr int Rows = (1 << 20) + 5000;  // reports inside the later stages, too
    EventTable input;
    input.rows.resize(Rows);
    input.weights.resize(Rows);
    input.count = Rows;
    std::mt19937 random(11);
    for (int i = 0; i < Rows; ++i) {
        input.rows[i] = {static_cast<double>(random() % 100000), static_cast<double>(i), 0, 0};
        input.weights[i] = i;
    }
    std::vector<double> shares;
    EventTable whole = input;
    ASSERT_TRUE(SortEventsByColumn(whole, 0, [&](double done) {
        shares.push_back(done);
        return false;
    }));
    ASSERT_GE(shares.size(), 6U);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.back(), 1.0);
    for (int i = 1; i < Rows; ++i) {
        ASSERT_LE(whole.rows[i - 1].x, whole.rows[i].x) << i;
    }
    for (int stopAt = 1; stopAt < static_cast<int>(shares.size()); ++stopAt) {
        EventTable table = input;
        int reports = 0;
        EXPECT_FALSE(SortEventsByColumn(table, 0, [&](double) { return ++reports == stopAt; }));
        EXPECT_EQ(reports, stopAt);
        for (int i = 0; i < Rows; ++i) {
            ASSERT_TRUE(SameRow(table.rows[i], input.rows[i]) && table.weights[i] == i)
                << "stop at " << stopAt << ", row " << i;
        }
    }
    EventTable notANumber = TableOf({{2, 0, 0, 0}, {std::nan(""), 1, 0, 0}, {1, 2, 0, 0}});
    EXPECT_TRUE(SortEventsByColumn(notANumber, 0, [](double) { return true; }));
}

}  // namespace
}  // namespace korvane
