#include "examples/stats_demo/result_builder.h"

#include <utility>
#include <vector>

#include "examples/stats_demo/demo_messages.h"

namespace StatsDemo {
namespace {

using LocalizableMessage = ::Com::Zentak::Jorv::Std::LocalizableMessage;

// The scheme of every resource identifier this provider reports.
constexpr char kScheme[] = "proc";

struct Group {
  std::string key;
  std::string resource;
  std::list<std::shared_ptr<const Api::Value>> values;
};

}  // namespace

std::shared_ptr<const Api::Result> BuildResult(
    const std::string& query,
    const std::list<std::shared_ptr<const Api::CounterInstance>>& instances,
    const CounterCatalog& catalog, const HostSample* before, const HostSample& after,
    ::Jorv::DateTime timestamp) {
  auto result = std::make_shared<Api::Result>();
  result->query = query;
  result->timestamp = timestamp;
  for (const ::Jorv::BaseMessage& problem : after.problems) {
    result->messages.push_back(LocalizableMessage::From(problem));
  }

  std::vector<Group> groups;
  for (const auto& instance : instances) {
    if (!instance) continue;
    auto value = std::make_shared<Api::Value>();
    value->chandle = instance->chandle;
    const CounterDef* known = catalog.FindKnown(instance->counter);
    const std::string key = known ? known->resourceKey : std::string();
    const std::string resource = known ? known->resource : std::string();
    if (const CounterDef* counter = catalog.Find(instance->counter)) {
      Reading reading = ReadCounter(*counter, before, after);
      value->raw = reading.raw;
      value->value = reading.value;
      if (!reading.raw && !reading.value) {
        result->messages.push_back(LocalizableMessage::From(
            DemoMessage(MessageIds::kValueUnavailable, instance->counter, reading.unavailable)));
      }
    } else {
      result->messages.push_back(LocalizableMessage::From(DemoMessage(
          MessageIds::kValueUnavailable, instance->counter, "the counter is no longer served")));
    }
    auto group = groups.begin();
    while (group != groups.end() && (group->key != key || group->resource != resource)) ++group;
    if (group == groups.end()) group = groups.insert(groups.end(), Group{key, resource, {}});
    group->values.push_back(std::move(value));
  }

  for (Group& group : groups) {
    auto snapshot = std::make_shared<Api::Snapshot>();
    if (!group.key.empty()) {
      auto id = std::make_shared<Api::ResourceId>();
      id->key = group.key;
      id->type = group.key;
      id->scheme = kScheme;
      id->id_value = group.resource;
      snapshot->resource_ids = std::list<std::shared_ptr<const Api::ResourceId>>{id};
    }
    snapshot->values = std::move(group.values);
    result->snapshots.push_back(std::move(snapshot));
  }
  return result;
}

}  // namespace StatsDemo
