#include "examples/stats_demo/host_stats_provider.h"

#include <utility>

namespace StatsDemo {

HostStatsProvider::HostStatsProvider(HostStatsOptions options)
    : stats_(std::make_shared<HostStats>(std::move(options))),
      counters_(std::make_shared<CountersService>(stats_)),
      queries_(std::make_shared<QueriesService>(stats_)),
      stream_(std::make_shared<StreamService>(stats_)) {}

HostStatsProvider::~HostStatsProvider() { stream_->Shutdown(); }

void HostStatsProvider::PublishOn(::Jorv::Core::InProcessApiProvider& transport) const {
  transport.Publish(Api::CountersSvc::AsyncServiceBinder::BindImplementation(counters_));
  transport.Publish(Api::QueriesSvc::AsyncServiceBinder::BindImplementation(queries_));
  transport.Publish(Api::StreamSvc::AsyncServiceBinder::BindImplementation(stream_));
}

}  // namespace StatsDemo
