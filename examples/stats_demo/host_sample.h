#pragma once
// One sample of the host's statistics as the kernel reports them under /proc, and the parsers
// that read it. The parsers take the files' text, so any text can be fed to them; whatever they
// cannot read they skip and describe in the sample's problems, and they never throw.

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <string>

#include <boost/optional.hpp>

#include "framework/text/message.h"

namespace StatsDemo {

// Cumulative CPU time in clock ticks: all of it, and the part not spent idle or waiting for I/O.
struct CpuTimes {
  std::uint64_t busy = 0;
  std::uint64_t total = 0;
};

// Cumulative bytes through one network interface.
struct InterfaceBytes {
  std::uint64_t received = 0;
  std::uint64_t sent = 0;
};

// The CPU line of all CPUs together is kept under this name; the others under their number.
inline constexpr char kAllCpus[] = "total";

struct HostSample {
  // When the sample was taken, in milliseconds of a monotonic clock.
  std::int64_t takenMillis = 0;
  std::map<std::string, CpuTimes> cpus;
  boost::optional<std::uint64_t> memoryTotalKib;
  boost::optional<std::uint64_t> memoryAvailableKib;
  // Load averages over 1, 5 and 15 minutes.
  boost::optional<std::array<double, 3>> load;
  std::map<std::string, InterfaceBytes> interfaces;
  // What could not be read, one message per file or line.
  std::list<::Jorv::BaseMessage> problems;
};

// Each parser reads the text of one file into `sample`; `path` names the file in problems.
// /proc/stat: the "cpu" line and the "cpuN" lines.
void ParseCpuStat(const std::string& text, const std::string& path, HostSample& sample);
// /proc/meminfo: "MemTotal" and "MemAvailable", in KiB.
void ParseMeminfo(const std::string& text, const std::string& path, HostSample& sample);
// /proc/loadavg: the first three numbers.
void ParseLoadavg(const std::string& text, const std::string& path, HostSample& sample);
// /proc/net/dev: bytes received and sent per interface.
void ParseNetDev(const std::string& text, const std::string& path, HostSample& sample);

// Reads the four files under `procRoot` (normally "/proc") into a sample taken at
// `takenMillis`. A file that cannot be read is a problem of the sample, not a failure.
HostSample ReadHostSample(const std::string& procRoot, std::int64_t takenMillis);

}  // namespace StatsDemo
