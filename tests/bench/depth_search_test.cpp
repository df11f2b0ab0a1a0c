#include "depth_search.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using StatsBench::DepthLimit;
using StatsBench::FindDepthLimit;

// A conversion that survives every depth below `threshold`: the search must bracket the
// threshold closely, never probe beyond the cap, and stay coarse.
TEST(FindDepthLimit, BracketsTheFirstFailureWithoutPassingTheCap) {
  const std::pair<long, long> cases[] = {{1, 100},         {2, 100},           {3, 100},
                                         {100, 100},       {101, 100},         {35000, 1000000},
                                         {58000, 1000000}, {1000000, 1000000}, {1 << 20, 1000000}};
  for (const auto& [threshold, cap] : cases) {
    SCOPED_TRACE("threshold " + std::to_string(threshold) + ", cap " + std::to_string(cap));
    int probes = 0;
    const DepthLimit limit = FindDepthLimit(
        [&, threshold = threshold, cap = cap](long depth) {
          ++probes;
          EXPECT_TRUE(depth >= 1 && depth <= cap) << depth;
          return depth < threshold;
        },
        cap);
    EXPECT_LE(probes, 30);
    if (threshold > cap) {
      EXPECT_EQ(std::make_pair(limit.deepest, limit.firstFailure), std::make_pair(cap, 0L));
    } else {
      EXPECT_TRUE(limit.deepest < threshold && limit.firstFailure >= threshold)
          << limit.deepest << " " << limit.firstFailure;
      EXPECT_LE(limit.firstFailure - limit.deepest, std::max(1L, limit.deepest / 32));
    }
  }
}

}  // namespace
