#pragma once
// The Counters service of the host-statistics provider: lists the counters of this host.

#include <memory>

#include "examples/stats_demo/host_stats.h"

namespace StatsDemo {

class CountersService : public Api::CountersSvc::AsyncServiceInterface {
 public:
  explicit CountersService(std::shared_ptr<HostStats> stats) : stats_(std::move(stats)) {}

  // Samples the host first, so that the list shows the CPUs and interfaces there are now and
  // lists those that went away as unregistered.
  void List(
      const boost::optional<std::list<std::shared_ptr<const Api::CountersSvc::Filter>>>& filter,
      const boost::optional<long long>& since,
      const std::shared_ptr<Api::CountersSvc::AsyncActivation>& activation,
      const Api::CountersSvc::ListMethod::ResultCbType& result) override;

 private:
  std::shared_ptr<HostStats> stats_;
};

}  // namespace StatsDemo
