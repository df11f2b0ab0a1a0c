#include "examples/stats_demo/counter_catalog.h"

#include <algorithm>
#include <limits>
#include <set>
#include <utility>

#include "examples/stats_demo/rates.h"

namespace StatsDemo {
namespace {

namespace Counters = Api::CountersSvc;
using LocalizableMessage = ::Com::Zentak::Jorv::Std::LocalizableMessage;
using Rollup = Counters::Rollup;

// How one metric is described and read.
struct MetricSpec {
  const char* metric;
  Source source;
  Counters::Type::Enumerator type;
  Counters::Unit::Enumerator unit;
  Counters::UnitFactor::Enumerator factor;
  std::list<Rollup::Enumerator> rollups;
  const char* label;
  const char* description;
};

const std::list<MetricSpec>& HostWideMetrics() {
  static const std::list<MetricSpec> metrics = {
      {"mem.total",
       Source::kMemoryTotal,
       Counters::Type::ABSOLUTE,
       Counters::Unit::BYTE,
       Counters::UnitFactor::KIBI,
       {Rollup::LATEST},
       "Memory",
       "Usable physical memory."},
      {"mem.available",
       Source::kMemoryAvailable,
       Counters::Type::ABSOLUTE,
       Counters::Unit::BYTE,
       Counters::UnitFactor::KIBI,
       {Rollup::LATEST, Rollup::MINIMUM, Rollup::AVERAGE},
       "Available memory",
       "Memory available for new work without swapping."},
      {"load.1m",
       Source::kLoad1,
       Counters::Type::ABSOLUTE,
       Counters::Unit::NUMBER,
       Counters::UnitFactor::ONE,
       {Rollup::LATEST, Rollup::AVERAGE, Rollup::MAXIMUM},
       "Load (1 min)",
       "Runnable and waiting tasks, averaged over one minute."},
      {"load.5m",
       Source::kLoad5,
       Counters::Type::ABSOLUTE,
       Counters::Unit::NUMBER,
       Counters::UnitFactor::ONE,
       {Rollup::LATEST, Rollup::AVERAGE, Rollup::MAXIMUM},
       "Load (5 min)",
       "Runnable and waiting tasks, averaged over five minutes."},
      {"load.15m",
       Source::kLoad15,
       Counters::Type::ABSOLUTE,
       Counters::Unit::NUMBER,
       Counters::UnitFactor::ONE,
       {Rollup::LATEST, Rollup::AVERAGE, Rollup::MAXIMUM},
       "Load (15 min)",
       "Runnable and waiting tasks, averaged over fifteen minutes."},
  };
  return metrics;
}

const MetricSpec kCpuUsage = {"cpu.usage",
                              Source::kCpuUsage,
                              Counters::Type::FRACTION,
                              Counters::Unit::PERCENT,
                              Counters::UnitFactor::ONE,
                              {Rollup::AVERAGE, Rollup::MAXIMUM, Rollup::MINIMUM},
                              "CPU use",
                              "Share of time the CPU was busy since the previous sample."};

const std::list<MetricSpec>& InterfaceMetrics() {
  static const std::list<MetricSpec> metrics = {
      {"net.received",
       Source::kBytesReceived,
       Counters::Type::ABSOLUTE,
       Counters::Unit::BYTE,
       Counters::UnitFactor::ONE,
       {Rollup::LATEST},
       "Bytes received",
       "Bytes received since the interface came up."},
      {"net.sent",
       Source::kBytesSent,
       Counters::Type::ABSOLUTE,
       Counters::Unit::BYTE,
       Counters::UnitFactor::ONE,
       {Rollup::LATEST},
       "Bytes sent",
       "Bytes sent since the interface came up."},
      {"net.receive.rate",
       Source::kReceiveRate,
       Counters::Type::RATE,
       Counters::Unit::BYTESPERSECOND,
       Counters::UnitFactor::ONE,
       {Rollup::AVERAGE, Rollup::MAXIMUM},
       "Receive rate",
       "Bytes received per second since the previous sample."},
      {"net.send.rate",
       Source::kSendRate,
       Counters::Type::RATE,
       Counters::Unit::BYTESPERSECOND,
       Counters::UnitFactor::ONE,
       {Rollup::AVERAGE, Rollup::MAXIMUM},
       "Send rate",
       "Bytes sent per second since the previous sample."},
  };
  return metrics;
}

std::shared_ptr<const LocalizableMessage> Text(const std::string& id, const std::string& text) {
  return LocalizableMessage::From(::Jorv::BaseMessage(id, text, {}));
}

template <class Info, class Enumeration>
std::shared_ptr<const Info> Describe(Enumeration Info::*field, Enumeration value) {
  auto info = std::make_shared<Info>();
  info.get()->*field = value;
  const std::string literal = value.ToString();
  info->label = Text("stats.demo.literal." + literal + ".label", literal);
  info->description = Text("stats.demo.literal." + literal + ".description", literal);
  return info;
}

std::shared_ptr<const Counters::ResourceIdDef> ResourceKey(const std::string& key) {
  auto type = std::make_shared<Counters::ResourceIdTypeInfo>();
  type->type = key;
  type->label = Text("stats.demo.resource." + key + ".label", key);
  type->description =
      Text("stats.demo.resource." + key + ".description", "The " + key + " a counter is about.");
  auto def = std::make_shared<Counters::ResourceIdDef>();
  def->key = key;
  def->type_info = type;
  def->query_options = Counters::QueryCapabilities::EQUAL;
  def->label = type->label;
  def->description = type->description;
  return def;
}

// "cpu.usage" about CPU "0" is "cpu.0.usage"; host-wide counters keep the metric.
std::string CounterId(const std::string& metric, const std::string& resource) {
  if (resource.empty()) return metric;
  const std::size_t dot = metric.find('.');
  return metric.substr(0, dot) + "." + resource + metric.substr(dot);
}

CounterDef Define(const MetricSpec& spec, const std::string& resourceKey,
                  const std::string& resource) {
  const std::string textId = std::string("stats.demo.counter.") + spec.metric;
  auto edition = std::make_shared<Counters::Metadata>();
  edition->id = kEdition;
  edition->status = Counters::Status::CURRENT;
  edition->type_info = Describe(&Counters::TypeInfo::type, Counters::Type(spec.type));
  edition->unit_info = Describe(&Counters::UnitInfo::unit, Counters::Unit(spec.unit));
  edition->unit_factor_info =
      Describe(&Counters::UnitFactorInfo::unit_factor, Counters::UnitFactor(spec.factor));
  for (Rollup::Enumerator rollup : spec.rollups) {
    edition->rollups.push_back(Describe(&Counters::RollupInfo::rollup, Rollup(rollup)));
  }
  edition->label = Text(textId + ".label", spec.label);
  edition->description = Text(textId + ".description", spec.description);

  auto record = std::make_shared<Counters::StatsCounter>();
  record->id = CounterId(spec.metric, resource);
  record->metric = spec.metric;
  if (!resourceKey.empty()) record->rsrc_id_schema.push_back(ResourceKey(resourceKey));
  record->editions.push_back(edition);
  return CounterDef{record->id, spec.source, resourceKey, resource, record};
}

boost::optional<long long> AsRaw(std::uint64_t value) {
  if (value > static_cast<std::uint64_t>(std::numeric_limits<long long>::max())) return {};
  return static_cast<long long>(value);
}

Reading Unavailable(const char* reason) { return Reading{boost::none, boost::none, reason}; }

Reading Raw(const boost::optional<std::uint64_t>& value) {
  if (!value) return Unavailable("not in this sample");
  Reading reading;
  reading.raw = AsRaw(*value);
  reading.value = static_cast<double>(*value);
  return reading;
}

Reading Number(const boost::optional<double>& value, const char* reason) {
  if (!value) return Unavailable(reason);
  Reading reading;
  reading.value = *value;
  return reading;
}

Reading ReadInterface(const CounterDef& counter, const HostSample* before,
                      const HostSample& after) {
  const auto now = after.interfaces.find(counter.resource);
  if (now == after.interfaces.end()) return Unavailable("the interface is gone");
  const bool receive =
      counter.source == Source::kBytesReceived || counter.source == Source::kReceiveRate;
  const std::uint64_t bytes = receive ? now->second.received : now->second.sent;
  if (counter.source == Source::kBytesReceived || counter.source == Source::kBytesSent) {
    return Raw(bytes);
  }
  if (!before) return Unavailable("a rate needs a previous sample");
  const auto then = before->interfaces.find(counter.resource);
  if (then == before->interfaces.end()) return Unavailable("a rate needs a previous sample");
  const std::uint64_t earlier = receive ? then->second.received : then->second.sent;
  return Number(PerSecond(earlier, bytes, after.takenMillis - before->takenMillis),
                "no time passed or the counter was reset");
}

}  // namespace

Reading ReadCounter(const CounterDef& counter, const HostSample* before, const HostSample& after) {
  switch (counter.source) {
    case Source::kCpuUsage: {
      const auto now = after.cpus.find(counter.resource);
      if (now == after.cpus.end()) return Unavailable("not in this sample");
      if (!before) return Unavailable("a rate needs a previous sample");
      const auto then = before->cpus.find(counter.resource);
      if (then == before->cpus.end()) return Unavailable("a rate needs a previous sample");
      return Number(CpuUsagePercent(then->second, now->second),
                    "no time passed or the counter was reset");
    }
    case Source::kMemoryTotal:
      return Raw(after.memoryTotalKib);
    case Source::kMemoryAvailable:
      return Raw(after.memoryAvailableKib);
    case Source::kLoad1:
    case Source::kLoad5:
    case Source::kLoad15: {
      if (!after.load) return Unavailable("not in this sample");
      const std::size_t index = counter.source == Source::kLoad1   ? 0
                                : counter.source == Source::kLoad5 ? 1
                                                                   : 2;
      return Number((*after.load)[index], "");
    }
    default:
      return ReadInterface(counter, before, after);
  }
}

bool MatchesFilter(const Counters::Filter& filter, const Counters::StatsCounter& counter) {
  if (filter.metric && *filter.metric != counter.metric) return false;
  if (filter.prefix && counter.id.compare(0, filter.prefix->size(), *filter.prefix) != 0) {
    return false;
  }
  const auto& schema = counter.rsrc_id_schema;
  const auto any = [&schema](auto predicate) {
    return std::any_of(schema.begin(), schema.end(),
                       [&](const std::shared_ptr<const Counters::ResourceIdDef>& def) {
                         return def && predicate(*def);
                       });
  };
  if (filter.resource_id) {
    for (const auto& wanted : *filter.resource_id) {
      if (!wanted) continue;
      const bool found = any([&wanted](const Counters::ResourceIdDef& def) {
        return (!wanted->key || *wanted->key == def.key) &&
               (!wanted->type || (def.type_info && *wanted->type == def.type_info->type)) &&
               (!wanted->query_options || *wanted->query_options == def.query_options);
      });
      if (!found) return false;
    }
  }
  if (filter.resource_ids) {
    const auto& wanted = *filter.resource_ids;
    if (wanted.count && *wanted.count != static_cast<long long>(schema.size())) return false;
    if (wanted.key &&
        !any([&](const Counters::ResourceIdDef& def) { return def.key == *wanted.key; })) {
      return false;
    }
    if (wanted.type && !any([&](const Counters::ResourceIdDef& def) {
          return def.type_info && def.type_info->type == *wanted.type;
        })) {
      return false;
    }
  }
  return true;
}

bool MatchesAnyFilter(
    const boost::optional<std::list<std::shared_ptr<const Counters::Filter>>>& filters,
    const Counters::StatsCounter& counter) {
  if (!filters || filters->empty()) return true;
  return std::any_of(filters->begin(), filters->end(),
                     [&counter](const std::shared_ptr<const Counters::Filter>& filter) {
                       return filter && MatchesFilter(*filter, counter);
                     });
}

void CounterCatalog::Register(CounterDef counter, bool& changed) {
  Entry& entry = entries_[counter.id];
  if (entry.registered) return;
  entry.counter = std::move(counter);
  entry.registered = true;
  entry.changed = generation_ + 1;
  changed = true;
}

void CounterCatalog::Refresh(const HostSample& sample) {
  bool changed = false;
  if (generation_ == 0) {
    for (const MetricSpec& spec : HostWideMetrics()) Register(Define(spec, "", ""), changed);
  }
  std::set<std::string> present;
  for (const auto& cpu : sample.cpus) {
    CounterDef counter = Define(kCpuUsage, "cpu", cpu.first);
    present.insert(counter.id);
    Register(std::move(counter), changed);
  }
  for (const auto& interface : sample.interfaces) {
    for (const MetricSpec& spec : InterfaceMetrics()) {
      CounterDef counter = Define(spec, "interface", interface.first);
      present.insert(counter.id);
      Register(std::move(counter), changed);
    }
  }
  for (auto& [id, entry] : entries_) {
    const std::string& key = entry.counter.resourceKey;
    const bool surveyed = (key == "cpu" && !sample.cpus.empty()) ||
                          (key == "interface" && !sample.interfaces.empty());
    if (entry.registered && surveyed && present.count(id) == 0) {
      entry.registered = false;
      entry.changed = generation_ + 1;
      changed = true;
    }
  }
  if (changed) ++generation_;
}

const CounterDef* CounterCatalog::Find(const std::string& id) const {
  const auto found = entries_.find(id);
  return found != entries_.end() && found->second.registered ? &found->second.counter : nullptr;
}

const CounterDef* CounterCatalog::FindKnown(const std::string& id) const {
  const auto found = entries_.find(id);
  return found != entries_.end() ? &found->second.counter : nullptr;
}

std::shared_ptr<const Counters::ListResult> CounterCatalog::List(
    const boost::optional<std::list<std::shared_ptr<const Counters::Filter>>>& filters,
    const boost::optional<long long>& since) const {
  auto result = std::make_shared<Counters::ListResult>();
  result->last_updated = generation_;
  for (const auto& [id, entry] : entries_) {
    if (since && entry.changed <= *since) continue;
    if (!MatchesAnyFilter(filters, *entry.counter.record)) continue;
    if (entry.registered) {
      result->registered.push_back(entry.counter.record);
    } else {
      result->unregistered.push_back(id);
    }
  }
  return result;
}

}  // namespace StatsDemo
