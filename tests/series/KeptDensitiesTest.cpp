#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "series/KeptDensities.h"

namespace korvane {
namespace {

DensityField Counted(std::vector<int> counts, int highest) {
    DensityField field;
    field.columns = 2;
    field.rows = 1;
    field.counted = true;
    field.counts = std::move(counts);
    field.highestCount = highest;
    return field;
}

DensityField Summed(std::vector<double> sums) {
    DensityField field;
    field.columns = 2;
    field.rows = 2;
    field.counted = false;
    field.sums = std::move(sums);
    return field;
}

// Each picture comes back as the fill left it (the zeros too), whatever the field held before.
TEST(KeptDensities, PicturesComeBackAsTheyWere) {
    const std::vector<DensityField> pictures = {
        Counted({0, 3, 0, 0, 1, 0}, 3), Counted({0, 0, 0, 0, 0, 0}, 0),
        Summed({0.0, 1e-300, 7.25, 0.0}), Summed({2.5, 0.0, 0.0, 1.0 / 3})};
    KeptDensities kept;
    for (const DensityField& field : pictures) {
        kept.Keep(field);
    }
    ASSERT_TRUE(kept.Holds(pictures.size()));
    DensityField field = Summed({9, 9, 9, 9});
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        kept.Take(i, field);
        EXPECT_EQ(field.counted, pictures[i].counted) << i;
        EXPECT_EQ(field.highestCount, pictures[i].highestCount) << i;
        if (field.counted) {
            EXPECT_EQ(field.counts, pictures[i].counts) << i;
        } else {
            EXPECT_EQ(field.sums, pictures[i].sums) << i;
        }
    }
}

// A series whose densities outgrow the budget keeps none, so all its pictures are computed
// again; the budget counts only the non-zero densities.
TEST(KeptDensities, OverBudgetKeepsNothing) {
    const DensityField twoCounts = Counted({0, 3, 0, 0, 1, 0}, 3);  // 2 x 8 bytes
    KeptDensities kept(32);
    kept.Keep(twoCounts);
    kept.Keep(twoCounts);
    EXPECT_TRUE(kept.Holds(2));
    kept.Keep(twoCounts);
    EXPECT_FALSE(kept.Holds(2));
    kept.Keep(Counted({0, 0, 0, 0, 0, 0}, 0));
    EXPECT_FALSE(kept.Holds(1));
}

}  // namespace
}  // namespace korvane
