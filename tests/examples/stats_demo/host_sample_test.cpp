#include "examples/stats_demo/host_sample.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "examples/stats_demo/demo_messages.h"
#include "examples/stats_demo/proc_fixture.h"

namespace StatsDemo {
namespace {

// A problem as (message id, arguments).
using Problem = std::pair<std::string, std::list<std::string>>;

std::vector<Problem> Problems(const HostSample& sample) {
  std::vector<Problem> problems;
  for (const auto& message : sample.problems)
    problems.emplace_back(message.GetId(), message.GetArgs());
  return problems;
}

Problem Malformed(const std::string& line) { return {MessageIds::kProcMalformed, {"f", line}}; }
Problem Missing(const std::string& what) { return {MessageIds::kProcMissing, {"f", what}}; }

TEST(ParseCpuStat, ReadsBusyAndTotalTicksOfEveryCpuLine) {
  struct Case {
    const char* name;
    const char* text;
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> busyAndTotal;
    std::vector<Problem> problems;
  };
  const Case cases[] = {
      // user nice system idle iowait irq softirq steal guest guest_nice: guest is in user.
      {"all ten columns",
       "cpu 10 1 5 100 4 2 3 6 7 8\ncpu0 10 1 5 100 4 2 3 6 7 8\n",
       {{"total", {27, 131}}, {"0", {27, 131}}},
       {}},
      {"no per-cpu lines", "cpu 3 0 0 7\n", {{"total", {3, 10}}}, {}},
      {"other cpu-like words",
       "cpufreq 1 2 3 4\ncpuX 1 2 3 4\ncpu 0 0 0 1\n",
       {{"total", {0, 1}}},
       {}},
      {"too few columns",
       "cpu 1 2 3\ncpu0 1 2 3 4\n",
       {{"0", {6, 10}}},
       {Malformed("1"), Missing("cpu")}},
      {"empty", "", {}, {Missing("cpu")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostSample sample;
    ParseCpuStat(c.text, "f", sample);
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> got;
    for (const auto& [name, times] : sample.cpus) got[name] = {times.busy, times.total};
    EXPECT_EQ(got, c.busyAndTotal);
    EXPECT_EQ(Problems(sample), c.problems);
  }
  // Not a number, negative, past 64 bits, summing past 64 bits, a bad extra column.
  for (const char* text :
       {"cpu 1 2 x 4\n", "cpu 1 -2 3 4\n", "cpu 18446744073709551616 0 0 0\n",
        "cpu 9223372036854775808 9223372036854775808 0 0\n", "cpu 1 1 1 1 0 0 0 0 0 0 junk\n"}) {
    SCOPED_TRACE(text);
    HostSample sample;
    ParseCpuStat(text, "f", sample);
    EXPECT_TRUE(sample.cpus.empty());
    EXPECT_EQ(Problems(sample), (std::vector<Problem>{Malformed("1"), Missing("cpu")}));
  }
}

TEST(ParseMeminfo, ReadsTotalAndAvailableAndNamesWhatIsMissing) {
  HostSample sample;
  ParseMeminfo(Testing::kMeminfo, "f", sample);
  EXPECT_EQ(sample.memoryTotalKib, std::uint64_t{16318480});
  EXPECT_EQ(sample.memoryAvailableKib, std::uint64_t{8000000});
  EXPECT_TRUE(sample.problems.empty());

  HostSample old;  // kernels before 3.14 have no MemAvailable
  ParseMeminfo("MemTotal: 100 kB\nMemFree: 50 kB\n", "f", old);
  EXPECT_EQ(old.memoryTotalKib, std::uint64_t{100});
  EXPECT_FALSE(old.memoryAvailableKib);
  EXPECT_EQ(Problems(old), std::vector<Problem>{Missing("MemAvailable")});

  HostSample broken;
  ParseMeminfo("MemTotal: lots kB\nMemAvailable: 5 kB extra\n", "f", broken);
  EXPECT_FALSE(broken.memoryTotalKib);
  EXPECT_FALSE(broken.memoryAvailableKib);
  EXPECT_EQ(Problems(broken), (std::vector<Problem>{Malformed("1"), Malformed("2"),
                                                    Missing("MemTotal"), Missing("MemAvailable")}));
}

TEST(ParseLoadavg, NeedsThreeFiniteNonNegativeNumbers) {
  HostSample sample;
  ParseLoadavg(Testing::kLoadavg, "f", sample);
  ASSERT_TRUE(sample.load);
  EXPECT_EQ(*sample.load, (std::array<double, 3>{0.52, 0.58, 0.59}));

  for (const char* text : {"0.5 0.5\n", "nan 1 1\n", "1 -1 1\n", "1 1 1e999\n", "1,5 1 1\n", ""}) {
    SCOPED_TRACE(text);
    HostSample bad;
    ParseLoadavg(text, "f", bad);
    EXPECT_FALSE(bad.load);
    EXPECT_EQ(Problems(bad), std::vector<Problem>{Malformed("1")});
  }
}

TEST(ParseNetDev, ReadsBytesOfEachInterfaceAndSkipsWhatItCannotRead) {
  HostSample sample;
  ParseNetDev(Testing::kNetDevLoAndEth0, "f", sample);
  ASSERT_EQ(sample.interfaces.size(), 2u);
  EXPECT_EQ(sample.interfaces["lo"].received, 1000u);
  EXPECT_EQ(sample.interfaces["eth0"].received, 5000000u);
  EXPECT_EQ(sample.interfaces["eth0"].sent, 200000u);
  EXPECT_TRUE(sample.problems.empty());

  // Old kernels wrote no space after the colon; a short line and a nameless one are skipped.
  HostSample odd;
  ParseNetDev(
      "Inter-|\n face |\n  lo:7 1 0 0 0 0 0 0 9 1 0 0 0 0 0 0\n  eth1: 1 2 3\n"
      "  : 1 1 1 1 1 1 1 1 1\n",
      "f", odd);
  ASSERT_EQ(odd.interfaces.size(), 1u);
  EXPECT_EQ(odd.interfaces["lo"].received, 7u);
  EXPECT_EQ(odd.interfaces["lo"].sent, 9u);
  EXPECT_EQ(Problems(odd), (std::vector<Problem>{Malformed("4"), Malformed("5")}));
}

TEST(ReadHostSample, ReadsTheFilesUnderTheRootAndReportsThoseMissing) {
  Testing::ProcFixture proc;
  const HostSample sample = ReadHostSample(proc.root(), 42);
  EXPECT_EQ(sample.takenMillis, 42);
  EXPECT_EQ(sample.cpus.size(), 3u);
  EXPECT_TRUE(sample.memoryAvailableKib);
  EXPECT_TRUE(sample.load);
  EXPECT_EQ(sample.interfaces.size(), 2u);
  EXPECT_TRUE(sample.problems.empty());

  const std::string gone = proc.root() + "/absent";
  const HostSample empty = ReadHostSample(gone, 0);
  EXPECT_TRUE(empty.cpus.empty());
  EXPECT_TRUE(empty.interfaces.empty());
  const std::vector<Problem> expected = {{MessageIds::kProcUnreadable, {gone + "/stat"}},
                                         {MessageIds::kProcUnreadable, {gone + "/meminfo"}},
                                         {MessageIds::kProcUnreadable, {gone + "/loadavg"}},
                                         {MessageIds::kProcUnreadable, {gone + "/net/dev"}}};
  EXPECT_EQ(Problems(empty), expected);
}

}  // namespace
}  // namespace StatsDemo
