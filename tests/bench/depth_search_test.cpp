#include "depth_search.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using StatsBench::DepthLimit;
using StatsBench::FindDepthLimit;

// A conversion that survives every depth below `threshold`: the search must bracket the
// threshold closely, never probe beyond the cap, and stay coarse.
TEST(FindDepthLimit, BracketsTheFirstFailureWithoutPassingTheCap) {
  struct Case {
    long threshold;
    long cap;
  };
  const Case cases[] = {{1, 100},         {2, 100},           {3, 100},
                        {100, 100},       {101, 100},         {35000, 1000000},
                        {58000, 1000000}, {1000000, 1000000}, {1 << 20, 1000000}};
  for (const Case& c : cases) {
    SCOPED_TRACE("threshold " + std::to_string(c.threshold) + ", cap " + std::to_string(c.cap));
    std::vector<long> tried;
    const DepthLimit limit = FindDepthLimit(
        [&](long depth) {
          tried.push_back(depth);
          return depth < c.threshold;
        },
        c.cap);
    for (long depth : tried) {
      EXPECT_GE(depth, 1);
      EXPECT_LE(depth, c.cap);
    }
    EXPECT_LE(tried.size(), 30u);
    if (c.threshold > c.cap) {
      EXPECT_EQ(limit.deepest, c.cap);
      EXPECT_EQ(limit.firstFailure, 0);
      continue;
    }
    EXPECT_LT(limit.deepest, c.threshold);
    EXPECT_GE(limit.firstFailure, c.threshold);
    EXPECT_LE(limit.firstFailure - limit.deepest, std::max(1L, limit.deepest / 32));
  }
}

}  // namespace
