#include "examples/stats_demo/counters_service.h"

namespace StatsDemo {

void CountersService::List(
    const boost::optional<std::list<std::shared_ptr<const Api::CountersSvc::Filter>>>& filter,
    const boost::optional<long long>& since,
    const std::shared_ptr<Api::CountersSvc::AsyncActivation>&,
    const Api::CountersSvc::ListMethod::ResultCbType& result) {
  result(stats_->ListCounters(filter, since));
}

}  // namespace StatsDemo
