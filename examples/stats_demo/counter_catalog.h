#pragma once
// The counters the host-statistics provider serves, how each is read from host samples, and
// the catalog that keeps them registered as CPUs and network interfaces come and go.
//
// Counter identifiers name the resource: "cpu.total.usage", "cpu.0.usage", "net.eth0.sent",
// while host-wide counters are just their metric ("mem.available", "load.1m"). A counter's
// resource-identifier schema has the one key it is qualified by ("cpu", "interface"), or none.

#include <list>
#include <map>
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "examples/stats_demo/host_sample.h"
#include "stats/provider/stats_provider.h"

namespace StatsDemo {

namespace Api = ::Com::Zentak::Stats::Provider;

// The one edition every counter has.
inline constexpr long long kEdition = 1;

enum class Source {
  kCpuUsage,
  kMemoryTotal,
  kMemoryAvailable,
  kLoad1,
  kLoad5,
  kLoad15,
  kBytesReceived,
  kBytesSent,
  kReceiveRate,
  kSendRate,
};

struct CounterDef {
  std::string id;
  Source source = Source::kCpuUsage;
  // The key and value of the resource the counter is about; both empty for host-wide ones.
  std::string resourceKey;
  std::string resource;
  std::shared_ptr<const Api::CountersSvc::StatsCounter> record;
};

// One sampled value: an integer, a number, or neither with the reason.
struct Reading {
  boost::optional<long long> raw;
  boost::optional<double> value;
  std::string unavailable;
};

// Reads `counter` from `after`, rates against `before` (null when there is none yet).
Reading ReadCounter(const CounterDef& counter, const HostSample* before, const HostSample& after);

// Whether `counter` passes `filter`: every criterion the filter sets must hold. `metric` is
// compared whole, `prefix` with the start of the identifier; each `resource_id` element must
// match some element of the counter's schema in every field it sets (key, type, query
// options); `resource_ids` asks for a schema with the given number of elements having some
// element with the given key and some with the given type.
bool MatchesFilter(const Api::CountersSvc::Filter& filter,
                   const Api::CountersSvc::StatsCounter& counter);
// Whether `counter` passes any of `filters`; no filters, or an empty list, pass everything.
bool MatchesAnyFilter(
    const boost::optional<std::list<std::shared_ptr<const Api::CountersSvc::Filter>>>& filters,
    const Api::CountersSvc::StatsCounter& counter);

// Not thread-safe: the provider guards it with its own lock.
class CounterCatalog {
 public:
  // Registers the counters of the CPUs and interfaces in `sample` that are not registered,
  // and unregisters those of CPUs and interfaces it no longer shows. A sample without any
  // CPU (or any interface) leaves those counters as they are: the file was not readable. The
  // host-wide counters are registered on the first refresh.
  void Refresh(const HostSample& sample);

  // The registered counter `id`, or null.
  const CounterDef* Find(const std::string& id) const;
  // The counter `id`, registered or once registered, or null.
  const CounterDef* FindKnown(const std::string& id) const;

  // The counters that pass `filters`. With `since`, only the changes after that value of
  // `last_updated`: counters registered and identifiers unregistered since then.
  std::shared_ptr<const Api::CountersSvc::ListResult> List(
      const boost::optional<std::list<std::shared_ptr<const Api::CountersSvc::Filter>>>& filters,
      const boost::optional<long long>& since) const;

  // Counts the changes to the registered set; `last_updated` of a list result.
  long long LastUpdated() const { return generation_; }

 private:
  struct Entry {
    CounterDef counter;
    bool registered = false;
    long long changed = 0;
  };
  void Register(CounterDef counter, bool& changed);

  std::map<std::string, Entry> entries_;
  long long generation_ = 0;
};

}  // namespace StatsDemo
