#pragma once
// The state behind the host-statistics services: the counter catalog, the stored queries with
// their time to live, and sampling of the host. The services translate calls into calls of
// this object; it is thread-safe and holds its lock only while it works, never across a
// callback.

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <boost/optional.hpp>

#include "examples/stats_demo/counter_catalog.h"
#include "examples/stats_demo/host_sample.h"
#include "framework/core/native_error.h"

namespace StatsDemo {

struct HostStatsOptions {
  // Where the kernel's statistics files are; tests point it at fixture files.
  std::string procRoot = "/proc";
  // Milliseconds of a monotonic clock: times to live and rates are measured with it.
  std::function<std::int64_t()> monotonicMillis;
  // The wall clock that stamps results.
  std::function<::Jorv::DateTime()> wallClock;
  // Reported as the owner of every query.
  std::string owner = "stats-demo";
};

// The options with the system's clocks where none are given.
HostStatsOptions WithSystemClocks(HostStatsOptions options);

// A failure to report as the call's error, or none.
using Failure = boost::optional<::Jorv::Data::NativeError>;

// The query a result is for and the sample its rates start from; each stream attachment keeps
// its own, so that every client's rates cover the time since its own previous result.
struct SampleCursor {
  std::string query;
  std::shared_ptr<const HostSample> previous;
};

class HostStats {
 public:
  explicit HostStats(HostStatsOptions options);

  // The counters that pass `filters`, changed after `since` when set (see CounterCatalog).
  std::shared_ptr<const Api::CountersSvc::ListResult> ListCounters(
      const boost::optional<std::list<std::shared_ptr<const Api::CountersSvc::Filter>>>& filters,
      const boost::optional<long long>& since);

  // Stores a new query and gives its identifier in `result`. Fails with invalid_argument when
  // the time to live is not positive, there are no instances, or an instance names a counter
  // not served, an edition other than kEdition, resource identifiers other than the
  // counter's (leaving them out is fine), or a handle already used.
  Failure CreateQuery(const Api::QueriesSvc::CreateSpec& spec,
                      std::shared_ptr<const Api::QueriesSvc::CreateResult>& result);
  // The identifiers of the live queries, in creation order.
  std::list<std::string> QueryIds();
  // The live query `id`; fails with not_found.
  Failure GetQuery(const std::string& id, std::shared_ptr<const Api::QueriesSvc::Info>& info);
  // Applies `spec` all at once or not at all: a new time to live counts from now, instances to
  // remove are matched by handle. Fails with not_found, or invalid_argument as CreateQuery
  // does, or when a handle to remove is not in the query.
  Failure UpdateQuery(const std::string& id, const Api::QueriesSvc::UpdateSpec& spec);
  // Forgets the query `id`; fails with not_found.
  Failure DeleteQuery(const std::string& id);
  // Whether `id` is a live query.
  bool HasQuery(const std::string& id);

  // Samples the instances of the query now, one snapshot per resource, with rates against
  // `cursor.previous` (none on the first result), and moves the cursor on. What could not be
  // read or computed is left unset and explained in the result's messages. Fails with
  // not_found when the query is gone.
  Failure Execute(SampleCursor& cursor, std::shared_ptr<const Api::Result>& result);
  // Execute for the query's own cursor, kept with the query.
  Failure ExecuteQuery(const std::string& id, std::shared_ptr<const Api::Result>& result);
  // A cursor for `query` starting now.
  SampleCursor StartCursor(const std::string& query);

 private:
  struct StoredQuery {
    std::shared_ptr<const Api::QueriesSvc::Info> info;
    std::int64_t expiresAt = 0;
    std::shared_ptr<const HostSample> previous;
  };

  std::shared_ptr<const HostSample> SampleLocked();
  void DropExpiredLocked();
  StoredQuery* FindLocked(const std::string& id);
  std::int64_t ExpiryLocked(long long timeToLive) const;
  Failure CheckInstancesLocked(
      const std::list<std::shared_ptr<const Api::CounterInstance>>& instances) const;

  const HostStatsOptions options_;
  std::mutex mutex_;
  CounterCatalog catalog_;
  std::map<std::string, StoredQuery> queries_;
  std::list<std::string> order_;
  long long created_ = 0;
};

}  // namespace StatsDemo
