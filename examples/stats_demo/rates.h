#pragma once
// Rates from two consecutive readings of cumulative counters. A counter that went backwards
// (it wrapped, or its source was reset: a CPU or an interface came back) or no time between the
// readings gives no rate rather than a wrong one.

#include <cstdint>

#include <boost/optional.hpp>

#include "examples/stats_demo/host_sample.h"

namespace StatsDemo {

// The share of CPU time spent busy between `before` and `after`, 0 to 100. None when no
// ticks passed or either counter went backwards.
boost::optional<double> CpuUsagePercent(const CpuTimes& before, const CpuTimes& after);

// (after - before) per second over `elapsedMillis`. None when no time passed (or time went
// backwards) or the counter went backwards.
boost::optional<double> PerSecond(std::uint64_t before, std::uint64_t after,
                                  std::int64_t elapsedMillis);

}  // namespace StatsDemo
