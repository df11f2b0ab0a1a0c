#include "examples/stats_demo/rates.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>

#include <cstdint>
#include <limits>

namespace StatsDemo {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

TEST(Rates, CpuUsageIsBusyShareOfTicksAndNoneWhenCountersDidNotMoveForward) {
  struct Case {
    const char* name;
    CpuTimes before;
    CpuTimes after;
    boost::optional<double> percent;
  };
  const Case cases[] = {
      {"a quarter busy", {100, 1000}, {150, 1200}, 25.0},
      {"idle", {100, 1000}, {100, 1100}, 0.0},
      {"no ticks passed", {100, 1000}, {100, 1000}, boost::none},
      {"cpu came back, counters reset", {100, 1000}, {5, 20}, boost::none},
      {"busy went backwards", {100, 1000}, {90, 1100}, boost::none},
      {"idle went backwards", {100, 1000}, {300, 1100}, 100.0},
      {"counters near the top", {kMax - 200, kMax - 100}, {kMax - 150, kMax}, 50.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CpuUsagePercent(c.before, c.after), c.percent);
  }
}

TEST(Rates, PerSecondIsNoneForZeroTimeAndForCountersThatWrappedOrWereReset) {
  struct Case {
    const char* name;
    std::uint64_t before;
    std::uint64_t after;
    std::int64_t elapsedMillis;
    boost::optional<double> rate;
  };
  const Case cases[] = {
      {"steady", 1000, 3000, 500, 4000.0},
      {"still", 1000, 1000, 250, 0.0},
      {"zero delta", 1000, 3000, 0, boost::none},
      {"clock went backwards", 1000, 3000, -5, boost::none},
      {"32-bit counter wrapped", 4294967000u, 200, 1000, boost::none},
      {"interface re-created", 5000000, 10, 1000, boost::none},
      {"whole range in a second", 0, kMax, 1000, static_cast<double>(kMax)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PerSecond(c.before, c.after, c.elapsedMillis), c.rate);
  }
}

}  // namespace
}  // namespace StatsDemo
