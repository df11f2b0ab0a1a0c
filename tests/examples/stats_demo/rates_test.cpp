#include "examples/stats_demo/rates.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>
#include <cstdint>
#include <limits>
#include <tuple>

#include "examples/stats_demo/report.h"

namespace StatsDemo {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

TEST(Rates, CpuUseIsTheBusyShareOfNewTicksAndNoneWhenTheCountersDidNotMoveOn) {
  const std::tuple<CpuTimes, CpuTimes, boost::optional<double>> rows[] = {
      {{100, 1000}, {150, 1200}, 25.0},
      {{100, 1000}, {100, 1100}, 0.0},
      {{100, 1000}, {100, 1000}, boost::none},  // no ticks passed
      {{100, 1000}, {5, 20}, boost::none},      // the cpu came back, counters reset
      {{100, 1000}, {90, 1100}, boost::none},   // busy went backwards
      {{100, 1000}, {300, 1100}, 100.0},        // idle went backwards
      {{kMax - 200, kMax - 100}, {kMax - 150, kMax}, 50.0},
  };
  for (const auto& [before, after, percent] : rows)
    EXPECT_EQ(CpuUsagePercent(before, after), percent);
}

TEST(Rates, PerSecondIsNoneWithoutTimeAndForCountersThatWrappedOrWereReset) {
  const std::tuple<std::uint64_t, std::uint64_t, std::int64_t, boost::optional<double>> rows[] = {
      {1000, 3000, 500, 4000.0},
      {1000, 1000, 250, 0.0},
      {1000, 3000, 0, boost::none},
      {1000, 3000, -5, boost::none},
      {4294967000u, 200, 1000, boost::none},  // a 32-bit counter wrapped
      {0, kMax, 1000, static_cast<double>(kMax)},
  };
  for (const auto& [before, after, millis, rate] : rows)
    EXPECT_EQ(PerSecond(before, after, millis), rate);
}

TEST(Report, QuantitiesPrintInTheirUnitScaledByTheirFactor) {
  using Unit = Api::CountersSvc::Unit;
  using Factor = Api::CountersSvc::UnitFactor;
  const std::tuple<double, Unit::Enumerator, Factor::Enumerator, const char*> rows[] = {
      {23907532, Unit::BYTE, Factor::KIBI, "22.8 GiB"},
      {1023, Unit::BYTE, Factor::ONE, "1023 B"},
      {1536, Unit::BYTESPERSECOND, Factor::ONE, "1.5 KiB/s"},
      {2, Unit::BYTE, Factor::MEBI, "2.0 MiB"},
      {12.34, Unit::PERCENT, Factor::ONE, "12.3 %"},
      {1500, Unit::NUMBER, Factor::MILLI, "1.50"},
      {0.52, Unit::NUMBER, Factor::ONE, "0.52"},
  };
  for (const auto& [value, unit, factor, text] : rows) {
    EXPECT_EQ(FormatQuantity(value, unit, factor), text);
  }
}

}  // namespace
}  // namespace StatsDemo
