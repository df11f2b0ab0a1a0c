#pragma once
// A fake /proc for the host-statistics tests: a temporary directory with the four files the
// provider reads, rewritten at will, and a clock the test moves by hand.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "examples/stats_demo/host_stats.h"

namespace StatsDemo {
namespace Testing {

inline constexpr char kStatTwoCpus[] =
    "cpu  100 0 100 700 100 0 0 0 0 0\n"
    "cpu0 50 0 50 350 50 0 0 0 0 0\n"
    "cpu1 50 0 50 350 50 0 0 0 0 0\n"
    "intr 12345 0 0\n"
    "ctxt 99\n";
inline constexpr char kMeminfo[] =
    "MemTotal:       16318480 kB\n"
    "MemFree:         1000000 kB\n"
    "MemAvailable:    8000000 kB\n";
inline constexpr char kLoadavg[] = "0.52 0.58 0.59 2/1234 56789\n";
inline constexpr char kNetDevLoAndEth0[] =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n"
    "    lo:    1000      10    0    0    0     0          0         0     1000      10    0 "
    "   0    0     0       0          0\n"
    "  eth0: 5000000    4000    0    0    0     0          0         0   200000    1500    0 "
    "   0    0     0       0          0\n";

class ProcFixture {
 public:
  ProcFixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "stats-demo-XXXXXX").string();
    root_ = ::mkdtemp(&pattern[0]) ? pattern : std::string();
    std::filesystem::create_directories(root_ + "/net");
    Write("stat", kStatTwoCpus);
    Write("meminfo", kMeminfo);
    Write("loadavg", kLoadavg);
    Write("net/dev", kNetDevLoAndEth0);
  }
  ~ProcFixture() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  ProcFixture(const ProcFixture&) = delete;
  ProcFixture& operator=(const ProcFixture&) = delete;

  // Replaces the file `name` (relative to the root) by `text`.
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(root_ + "/" + name, std::ios::trunc) << text;
  }

  const std::string& root() const { return root_; }

  // Options reading this directory, with a monotonic clock at `*millis`.
  HostStatsOptions Options(std::shared_ptr<std::int64_t> millis) const {
    HostStatsOptions options;
    options.procRoot = root_;
    options.monotonicMillis = [millis] { return *millis; };
    options.wallClock = [millis] { return ::Jorv::DateTime::FromMillisSinceEpoch(*millis); };
    return options;
  }

 private:
  std::string root_;
};

}  // namespace Testing
}  // namespace StatsDemo
