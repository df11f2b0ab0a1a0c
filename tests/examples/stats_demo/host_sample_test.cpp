// The host sample read from /proc and what is computed from samples: rates and the quantities
// of the report.

#include "examples/stats_demo/host_sample.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>

#include "examples/stats_demo/demo_fixtures.h"
#include "examples/stats_demo/demo_messages.h"
#include "examples/stats_demo/rates.h"
#include "examples/stats_demo/report.h"

namespace StatsDemo {
namespace {

// What a sample holds, one "name=value" per part read, then its problems as "id(arguments)".
std::string Describe(const HostSample& sample) {
  std::ostringstream text;
  for (const auto& [cpu, times] : sample.cpus)
    text << "cpu" << cpu << "=" << times.busy << "/" << times.total << " ";
  if (sample.memoryTotalKib) text << "total=" << *sample.memoryTotalKib << " ";
  if (sample.memoryAvailableKib) text << "available=" << *sample.memoryAvailableKib << " ";
  if (sample.load)
    text << "load=" << (*sample.load)[0] << "," << (*sample.load)[1] << "," << (*sample.load)[2]
         << " ";
  for (const auto& [name, bytes] : sample.interfaces)
    text << name << "=" << bytes.received << "/" << bytes.sent << " ";
  for (const auto& problem : sample.problems) {
    text << problem.GetId() << "(";
    for (const auto& arg : problem.GetArgs()) text << arg << ",";
    text << ") ";
  }
  return text.str();
}

std::string Malformed(const std::string& line) {
  return std::string(MessageIds::kProcMalformed) + "(f," + line + ",) ";
}
std::string Missing(const std::string& what) {
  return std::string(MessageIds::kProcMissing) + "(f," + what + ",) ";
}

TEST(HostSample, ParsersReadWhatTheyCanAndNameEachLineOrValueTheyCannot) {
  using Parser = void (*)(const std::string&, const std::string&, HostSample&);
  const struct {
    Parser parse;
    const char* text;
    std::string expected;
  } cases[] = {
      // user nice system idle iowait irq softirq steal guest guest_nice: guest is in user.
      {ParseCpuStat, "cpu 10 1 5 100 4 2 3 6 7 8\ncpu0 10 1 5 100 4 2 3 6 7 8\n",
       "cpu0=27/131 cputotal=27/131 "},
      {ParseCpuStat, "cpufreq 1 2 3 4\ncpuX 1 2 3 4\ncpu 3 0 0 7\n", "cputotal=3/10 "},
      {ParseCpuStat, "cpu 1 2 3\ncpu0 1 2 3 4\n", "cpu0=6/10 " + Malformed("1") + Missing("cpu")},
      {ParseCpuStat, "", Missing("cpu")},
      // Not a number, negative, past 64 bits, summing past 64 bits, a bad extra column.
      {ParseCpuStat, "cpu 1 2 x 4\n", Malformed("1") + Missing("cpu")},
      {ParseCpuStat, "cpu 1 -2 3 4\n", Malformed("1") + Missing("cpu")},
      {ParseCpuStat, "cpu 18446744073709551616 0 0 0\n", Malformed("1") + Missing("cpu")},
      {ParseCpuStat, "cpu 9223372036854775808 9223372036854775808 0 0\n",
       Malformed("1") + Missing("cpu")},
      {ParseCpuStat, "cpu 1 1 1 1 0 0 0 0 0 0 junk\n", Malformed("1") + Missing("cpu")},
      {ParseMeminfo, "MemTotal: 100 kB\nMemFree: 50 kB\nMemAvailable: 70 kB\n",
       "total=100 available=70 "},
      // Kernels before 3.14 have no MemAvailable.
      {ParseMeminfo, "MemTotal: 100 kB\nMemFree: 50 kB\n", "total=100 " + Missing("MemAvailable")},
      {ParseMeminfo, "MemTotal: lots kB\nMemAvailable: 5 kB extra\n",
       Malformed("1") + Malformed("2") + Missing("MemTotal") + Missing("MemAvailable")},
      {ParseLoadavg, "0.52 0.58 0.59 2/1234 56789\n", "load=0.52,0.58,0.59 "},
      {ParseLoadavg, "0.5 0.5\n", Malformed("1")},
      {ParseLoadavg, "nan 1 1\n", Malformed("1")},
      {ParseLoadavg, "1 -1 1\n", Malformed("1")},
      {ParseLoadavg, "1 1 1e999\n", Malformed("1")},
      {ParseLoadavg, "1,5 1 1\n", Malformed("1")},
      {ParseLoadavg, "", Malformed("1")},
      // Old kernels wrote no space after the colon; a short line and a nameless one are skipped.
      {ParseNetDev,
       "Inter-|\n face |\n  lo:7 1 0 0 0 0 0 0 9 1 0 0 0 0 0 0\n  eth1: 1 2 3\n"
       "  : 1 1 1 1 1 1 1 1 1\n  eth0: 5000000 4000 0 0 0 0 0 0 200000 1500 0 0 0 0 0 0\n",
       "eth0=5000000/200000 lo=7/9 " + Malformed("4") + Malformed("5")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    HostSample sample;
    c.parse(c.text, "f", sample);
    EXPECT_EQ(Describe(sample), c.expected);
  }
}

// The files read are checked through the provider by the services test.
TEST(HostSample, ReportsTheFilesMissingUnderTheRoot) {
  Testing::ProcFixture proc;
  const std::string gone = proc.root() + "/absent";
  std::string unreadable;
  for (const char* file : {"stat", "meminfo", "loadavg", "net/dev"})
    unreadable += std::string(MessageIds::kProcUnreadable) + "(" + gone + "/" + file + ",) ";
  EXPECT_EQ(Describe(ReadHostSample(gone, 0)), unreadable);
}

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
