// Splitting the ranked sums into batches: by member count, and by the partners their bounds
// stand for.

#include <gtest/gtest.h>

#include <vector>

#include "density/estimate/SumBatches.h"

namespace korvane::estimate {
namespace {

struct Ranked {
    double bound;
};

TEST(SumBatchesTest, BatchesEndAtTheCountOrOnceTheyStandForThePartners) {
    const std::vector<Ranked> ranked{{800.0}, {600.0}, {600.0}, {400.0}, {200.0}, {100.0}};
    const struct {
        const char* name;
        int next;
        int maxMembers;
        BatchWork work;
        int end;
    } cases[] = {
        {"by count alone", 0, 4, {}, 4},
        {"by count where the bounds stand for no more", 0, 4, {1.0}, 4},
        {"the count cut at the last member", 4, 4, {0.0, 1.0}, 6},
        {"partners reached within the count", 0, 6, {2.0, 701.0}, 3},  // 400 + 300 short of it
        {"partners reached exactly", 1, 6, {1.0, 1200.0}, 3},
        {"the count before the partners", 3, 2, {1.0, 1e9}, 5},
        {"one member even where no partners are allowed", 0, 6, {1.0, 0.0}, 1},
        {"an unknown term bound counts no partners", 0, 3, {0.0, 10.0}, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BatchEnd(ranked, c.next, c.maxMembers, c.work), c.end) << c.name;
    }
}

}  // namespace
}  // namespace korvane::estimate
