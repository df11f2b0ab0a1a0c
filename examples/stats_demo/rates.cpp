#include "examples/stats_demo/rates.h"

#include <algorithm>

namespace StatsDemo {

boost::optional<double> CpuUsagePercent(const CpuTimes& before, const CpuTimes& after) {
  if (after.total <= before.total || after.busy < before.busy) return boost::none;
  const double total = static_cast<double>(after.total - before.total);
  const double busy = static_cast<double>(after.busy - before.busy);
  // Idle time that went backwards (seen on some kernels after CPU hotplug) would push busy
  // past total; a share above 100 % means nothing.
  return std::min(100.0, 100.0 * busy / total);
}

boost::optional<double> PerSecond(std::uint64_t before, std::uint64_t after,
                                  std::int64_t elapsedMillis) {
  if (elapsedMillis <= 0 || after < before) return boost::none;
  return static_cast<double>(after - before) * 1000.0 / static_cast<double>(elapsedMillis);
}

}  // namespace StatsDemo
