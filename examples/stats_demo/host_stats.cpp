#include "examples/stats_demo/host_stats.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <set>
#include <utility>

#include "examples/stats_demo/demo_messages.h"
#include "examples/stats_demo/result_builder.h"
#include "framework/core/standard_names.h"

namespace StatsDemo {
namespace {

namespace Queries = Api::QueriesSvc;
using Instances = std::list<std::shared_ptr<const Api::CounterInstance>>;
using LocalizableMessage = ::Com::Zentak::Jorv::Std::LocalizableMessage;

Failure Fail(const char* name, ::Jorv::BaseMessage message) {
  return ::Jorv::Data::NativeError{name, {std::move(message)}};
}

Failure InvalidArgument(::Jorv::BaseMessage message) {
  return Fail(::Jorv::Std::kInvalidArgument, std::move(message));
}

Failure QueryNotFound(const std::string& id) {
  return Fail(::Com::Zentak::Jorv::Std::Errors::kNotFound,
              DemoMessage(MessageIds::kQueryNotFound, id));
}

}  // namespace

HostStatsOptions WithSystemClocks(HostStatsOptions options) {
  if (!options.monotonicMillis) {
    options.monotonicMillis = [] {
      return std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::steady_clock::now().time_since_epoch())
          .count();
    };
  }
  if (!options.wallClock) options.wallClock = [] { return ::Jorv::DateTime::Now(); };
  return options;
}

HostStats::HostStats(HostStatsOptions options) : options_(WithSystemClocks(std::move(options))) {}

std::shared_ptr<const HostSample> HostStats::SampleLocked() {
  auto sample =
      std::make_shared<HostSample>(ReadHostSample(options_.procRoot, options_.monotonicMillis()));
  catalog_.Refresh(*sample);
  return sample;
}

void HostStats::DropExpiredLocked() {
  const std::int64_t now = options_.monotonicMillis();
  for (auto it = order_.begin(); it != order_.end();) {
    const auto found = queries_.find(*it);
    if (found != queries_.end() && found->second.expiresAt > now) {
      ++it;
      continue;
    }
    if (found != queries_.end()) queries_.erase(found);
    it = order_.erase(it);
  }
}

HostStats::StoredQuery* HostStats::FindLocked(const std::string& id) {
  DropExpiredLocked();
  const auto found = queries_.find(id);
  return found == queries_.end() ? nullptr : &found->second;
}

std::int64_t HostStats::ExpiryLocked(long long timeToLive) const {
  const std::int64_t now = options_.monotonicMillis();
  const std::int64_t limit = std::numeric_limits<std::int64_t>::max();
  if (timeToLive > (limit - now) / 1000) return limit;
  return now + timeToLive * 1000;
}

Failure HostStats::CheckInstancesLocked(const Instances& instances) const {
  if (instances.empty()) return InvalidArgument(DemoMessage(MessageIds::kNoInstances));
  std::set<long long> handles;
  for (const auto& instance : instances) {
    if (!instance) return InvalidArgument(DemoMessage(MessageIds::kNoInstances));
    const CounterDef* counter = catalog_.Find(instance->counter);
    if (!counter)
      return InvalidArgument(DemoMessage(MessageIds::kUnknownCounter, instance->counter));
    if (instance->edition && *instance->edition != kEdition) {
      return InvalidArgument(DemoMessage(MessageIds::kUnknownEdition, instance->counter,
                                         std::to_string(*instance->edition)));
    }
    const std::map<std::string, std::string> own =
        counter->resourceKey.empty()
            ? std::map<std::string, std::string>{}
            : std::map<std::string, std::string>{{counter->resourceKey, counter->resource}};
    if (!instance->resource_ids.empty() && instance->resource_ids != own) {
      return InvalidArgument(DemoMessage(MessageIds::kResourceMismatch, instance->counter));
    }
    if (!handles.insert(instance->chandle).second) {
      return InvalidArgument(
          DemoMessage(MessageIds::kDuplicateHandle, std::to_string(instance->chandle)));
    }
  }
  return boost::none;
}

std::shared_ptr<const Api::CountersSvc::ListResult> HostStats::ListCounters(
    const boost::optional<std::list<std::shared_ptr<const Api::CountersSvc::Filter>>>& filters,
    const boost::optional<long long>& since) {
  std::lock_guard<std::mutex> lock(mutex_);
  SampleLocked();
  return catalog_.List(filters, since);
}

Failure HostStats::CreateQuery(const Queries::CreateSpec& spec,
                               std::shared_ptr<const Queries::CreateResult>& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (spec.time_to_live <= 0) {
    return InvalidArgument(
        DemoMessage(MessageIds::kBadTimeToLive, std::to_string(spec.time_to_live)));
  }
  auto previous = SampleLocked();
  if (auto failure = CheckInstancesLocked(spec.instances)) return failure;

  auto info = std::make_shared<Queries::Info>();
  info->query = "q-" + std::to_string(++created_);
  info->view = spec.view.value_or("default");
  info->owner = options_.owner;
  info->time_to_live = spec.time_to_live;
  info->instances = spec.instances;
  queries_[info->query] = StoredQuery{info, ExpiryLocked(spec.time_to_live), previous};
  order_.push_back(info->query);

  auto created = std::make_shared<Queries::CreateResult>();
  created->query = info->query;
  created->messages.push_back(
      LocalizableMessage::From(DemoMessage(MessageIds::kQueryCreated, info->query)));
  result = created;
  return boost::none;
}

std::list<std::string> HostStats::QueryIds() {
  std::lock_guard<std::mutex> lock(mutex_);
  DropExpiredLocked();
  return order_;
}

Failure HostStats::GetQuery(const std::string& id, std::shared_ptr<const Queries::Info>& info) {
  std::lock_guard<std::mutex> lock(mutex_);
  const StoredQuery* query = FindLocked(id);
  if (!query) return QueryNotFound(id);
  info = query->info;
  return boost::none;
}

Failure HostStats::UpdateQuery(const std::string& id, const Queries::UpdateSpec& spec) {
  std::lock_guard<std::mutex> lock(mutex_);
  StoredQuery* query = FindLocked(id);
  if (!query) return QueryNotFound(id);
  if (spec.time_to_live && *spec.time_to_live <= 0) {
    return InvalidArgument(
        DemoMessage(MessageIds::kBadTimeToLive, std::to_string(*spec.time_to_live)));
  }
  Instances instances = query->info->instances;
  for (const auto& removed : spec.instances_to_remove.value_or(Instances{})) {
    if (!removed) continue;
    const auto before = instances.size();
    instances.remove_if([&removed](const std::shared_ptr<const Api::CounterInstance>& kept) {
      return kept->chandle == removed->chandle;
    });
    if (instances.size() == before) {
      return InvalidArgument(
          DemoMessage(MessageIds::kHandleNotFound, std::to_string(removed->chandle)));
    }
  }
  const Instances& added = spec.instances_to_add.value_or(Instances{});
  instances.insert(instances.end(), added.begin(), added.end());
  SampleLocked();
  if (auto failure = CheckInstancesLocked(instances)) return failure;

  auto info = std::make_shared<Queries::Info>(*query->info);
  info->instances = std::move(instances);
  if (spec.time_to_live) {
    info->time_to_live = *spec.time_to_live;
    query->expiresAt = ExpiryLocked(*spec.time_to_live);
  }
  query->info = info;
  return boost::none;
}

Failure HostStats::DeleteQuery(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!FindLocked(id)) return QueryNotFound(id);
  queries_.erase(id);
  order_.remove(id);
  return boost::none;
}

bool HostStats::HasQuery(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  return FindLocked(id) != nullptr;
}

SampleCursor HostStats::StartCursor(const std::string& query) {
  std::lock_guard<std::mutex> lock(mutex_);
  return SampleCursor{query, SampleLocked()};
}

Failure HostStats::Execute(SampleCursor& cursor, std::shared_ptr<const Api::Result>& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  const StoredQuery* query = FindLocked(cursor.query);
  if (!query) return QueryNotFound(cursor.query);
  auto sample = SampleLocked();
  result = BuildResult(cursor.query, query->info->instances, catalog_, cursor.previous.get(),
                       *sample, options_.wallClock());
  cursor.previous = sample;
  return boost::none;
}

Failure HostStats::ExecuteQuery(const std::string& id, std::shared_ptr<const Api::Result>& result) {
  SampleCursor cursor;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const StoredQuery* query = FindLocked(id);
    if (!query) return QueryNotFound(id);
    cursor = SampleCursor{id, query->previous};
  }
  if (auto failure = Execute(cursor, result)) return failure;
  std::lock_guard<std::mutex> lock(mutex_);
  if (StoredQuery* query = FindLocked(id)) query->previous = cursor.previous;
  return boost::none;
}

}  // namespace StatsDemo
