// The stretches of a range, one per worker thread: together they are the range, once each.

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <vector>

#include "common/CoreStretches.h"

namespace korvane::testing {
namespace {

// Sizes below, at and above the number of stretches, and none at all.
TEST(CoreStretches, EveryPlaceIsInExactlyOneStretchInOrder) {
    for (std::size_t size : {0, 1, 2, 3, 7, 1000, 1001}) {
        const CoreStretches stretches{size};
        ASSERT_GE(stretches.count, 1);
        EXPECT_EQ(stretches.Begin(0), 0U) << size;
        EXPECT_EQ(stretches.Begin(stretches.count), size) << size;
        std::vector<std::atomic<int>> visits(size);
        stretches.ForEach([&](int k, std::size_t begin, std::size_t end) {
            EXPECT_EQ(begin, stretches.Begin(k));
            EXPECT_LE(begin, end);
            for (std::size_t i = begin; i < end; ++i) {
                ++visits[i];
            }
        });
        for (std::size_t i = 0; i < size; ++i) {
            EXPECT_EQ(visits[i].load(), 1) << "place " << i << " of " << size;
        }
    }
}

}  // namespace
}  // namespace korvane::testing
