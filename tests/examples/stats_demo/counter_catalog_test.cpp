#include "examples/stats_demo/counter_catalog.h"

#include <gtest/gtest.h>

#include <list>
#include <set>
#include <string>

namespace StatsDemo {
namespace {

namespace Counters = Api::CountersSvc;
using Ids = std::set<std::string>;
using Filters = boost::optional<std::list<std::shared_ptr<const Counters::Filter>>>;

Ids Registered(const Counters::ListResult& result) {
  Ids ids;
  for (const auto& counter : result.registered) ids.insert(counter->id);
  return ids;
}

const Ids kHostWide = {"load.15m", "load.1m", "load.5m", "mem.available", "mem.total"};

Ids Interface(const std::string& name) {
  return {"net." + name + ".receive.rate", "net." + name + ".received",
          "net." + name + ".send.rate", "net." + name + ".sent"};
}

Ids Union(std::initializer_list<Ids> parts) {
  Ids all;
  for (const Ids& part : parts) all.insert(part.begin(), part.end());
  return all;
}

TEST(CounterCatalog, ListsCountersPassingAnyFilterWhenEveryCriterionHolds) {
  HostSample sample;
  sample.cpus = {{"total", {1, 2}}, {"0", {1, 2}}};
  sample.interfaces = {{"lo", {1, 2}}, {"eth0", {1, 2}}};
  CounterCatalog catalog;
  catalog.Refresh(sample);

  const auto filter = [](auto fill) {
    auto made = std::make_shared<Counters::Filter>();
    fill(*made);
    return std::shared_ptr<const Counters::Filter>(made);
  };
  const auto schemaKey = [](const char* key, boost::optional<Counters::QueryCapabilities> how) {
    auto made = std::make_shared<Counters::ResourceIdDefFilter>();
    made->key = key;
    made->query_options = how;
    return std::list<std::shared_ptr<const Counters::ResourceIdDefFilter>>{made};
  };
  const auto schemaSize = [](long long count) {
    auto made = std::make_shared<Counters::RsrcIdSchemaFilter>();
    made->count = count;
    return Jorv::OptionalPtr<const Counters::RsrcIdSchemaFilter>(made);
  };
  struct Case {
    const char* name;
    Filters filters;
    Ids expected;
  };
  using List = std::list<std::shared_ptr<const Counters::Filter>>;
  const Case cases[] = {
      {"empty list", List{},
       Union({kHostWide, {"cpu.total.usage", "cpu.0.usage"}, Interface("lo"), Interface("eth0")})},
      {"prefix",
       List{filter([](auto& f) { f.prefix = "cpu."; })},
       {"cpu.total.usage", "cpu.0.usage"}},
      {"metric is compared whole",
       List{filter([](auto& f) { f.metric = "net.sent"; })},
       {"net.lo.sent", "net.eth0.sent"}},
      {"metric and prefix together",
       List{filter([](auto& f) {
         f.metric = "net.sent";
         f.prefix = "net.eth0.";
       })},
       {"net.eth0.sent"}},
      {"any of two filters",
       List{filter([](auto& f) { f.prefix = "mem."; }),
            filter([](auto& f) { f.metric = "load.1m"; })},
       {"mem.available", "mem.total", "load.1m"}},
      {"schema key",
       List{filter([&](auto& f) { f.resource_id = schemaKey("cpu", boost::none); })},
       {"cpu.total.usage", "cpu.0.usage"}},
      {"schema key with other query options",
       List{filter([&](auto& f) {
         f.resource_id =
             schemaKey("cpu", Counters::QueryCapabilities(Counters::QueryCapabilities::EQUAL_ALL));
       })},
       {}},
      {"schema without elements", List{filter([&](auto& f) { f.resource_ids = schemaSize(0); })},
       kHostWide},
      {"schema of one interface", List{filter([&](auto& f) {
         f.resource_ids = schemaSize(1);
         f.prefix = "net.lo";
       })},
       Interface("lo")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto listed = catalog.List(c.filters, boost::none);
    EXPECT_EQ(Registered(*listed), c.expected);
  }
}

}  // namespace
}  // namespace StatsDemo
