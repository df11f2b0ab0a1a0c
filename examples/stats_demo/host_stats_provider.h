#pragma once
// The host-statistics provider: the Counters, Queries and Stream services over the statistics
// of the machine it runs on, ready to be published on a transport.
//
//   auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
//   StatsDemo::HostStatsProvider provider;
//   provider.PublishOn(*transport);
//   ... call the services through their stubs ...
//   // destroying the provider stops its streams; destroy it before the transport goes away or
//   // unpublish first, and never from inside one of its reports.

#include <memory>

#include "examples/stats_demo/counters_service.h"
#include "examples/stats_demo/host_stats.h"
#include "examples/stats_demo/queries_service.h"
#include "examples/stats_demo/stream_service.h"
#include "framework/core/in_process_transport.h"

namespace StatsDemo {

class HostStatsProvider {
 public:
  explicit HostStatsProvider(HostStatsOptions options = {});
  // Shuts the stream scheduler down (see StreamService::Shutdown).
  ~HostStatsProvider();
  HostStatsProvider(const HostStatsProvider&) = delete;
  HostStatsProvider& operator=(const HostStatsProvider&) = delete;

  // Binds the three services and publishes them on `transport`, replacing any earlier ones.
  void PublishOn(::Jorv::Core::InProcessApiProvider& transport) const;

  const std::shared_ptr<CountersService>& counters() const { return counters_; }
  const std::shared_ptr<QueriesService>& queries() const { return queries_; }
  const std::shared_ptr<StreamService>& stream() const { return stream_; }

 private:
  std::shared_ptr<HostStats> stats_;
  std::shared_ptr<CountersService> counters_;
  std::shared_ptr<QueriesService> queries_;
  std::shared_ptr<StreamService> stream_;
};

}  // namespace StatsDemo
