#include "examples/stats_demo/host_stats.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>

#include <limits>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "examples/stats_demo/demo_messages.h"
#include "examples/stats_demo/proc_fixture.h"
#include "framework/core/standard_names.h"

namespace StatsDemo {
namespace {

namespace Queries = Api::QueriesSvc;
using Instances = std::list<std::shared_ptr<const Api::CounterInstance>>;

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
constexpr char kInvalidArgument[] = "com.zentak.jorv.std.errors.invalid_argument";

std::shared_ptr<const Api::CounterInstance> Instance(
    const std::string& counter, long long chandle,
    std::map<std::string, std::string> resources = {}, boost::optional<long long> edition = {}) {
  auto instance = std::make_shared<Api::CounterInstance>();
  instance->counter = counter;
  instance->chandle = chandle;
  instance->resource_ids = std::move(resources);
  instance->edition = edition;
  return instance;
}

Queries::CreateSpec Spec(long long timeToLive, Instances instances) {
  Queries::CreateSpec spec;
  spec.time_to_live = timeToLive;
  spec.instances = std::move(instances);
  return spec;
}

// The error name and the first message's identifier and arguments, or empty texts.
std::vector<std::string> Describe(const Failure& failure) {
  if (!failure) return {};
  std::vector<std::string> parts{failure->name, failure->messages.front().GetId()};
  for (const auto& arg : failure->messages.front().GetArgs()) parts.push_back(arg);
  return parts;
}

class HostStatsTest : public testing::Test {
 protected:
  std::string Create(Queries::CreateSpec spec) {
    std::shared_ptr<const Queries::CreateResult> created;
    EXPECT_EQ(Describe(stats_.CreateQuery(spec, created)), std::vector<std::string>{});
    return created ? created->query : "";
  }

  Testing::ProcFixture proc_;
  std::shared_ptr<std::int64_t> clock_ = std::make_shared<std::int64_t>(1000000);
  HostStats stats_{proc_.Options(clock_)};
};

TEST_F(HostStatsTest, RejectsBadCreateSpecsWithInvalidArgument) {
  struct Case {
    const char* name;
    Queries::CreateSpec spec;
    std::vector<std::string> failure;
  };
  const Case cases[] = {
      {"zero time to live",
       Spec(0, {Instance("mem.total", 1)}),
       {kInvalidArgument, MessageIds::kBadTimeToLive, "0"}},
      {"no instances", Spec(60, {}), {kInvalidArgument, MessageIds::kNoInstances}},
      {"unknown counter",
       Spec(60, {Instance("disk.0.reads", 1)}),
       {kInvalidArgument, MessageIds::kUnknownCounter, "disk.0.reads"}},
      {"unknown edition",
       Spec(60, {Instance("mem.total", 1, {}, 2)}),
       {kInvalidArgument, MessageIds::kUnknownEdition, "mem.total", "2"}},
      {"resource of another cpu",
       Spec(60, {Instance("cpu.0.usage", 1, {{"cpu", "1"}})}),
       {kInvalidArgument, MessageIds::kResourceMismatch, "cpu.0.usage"}},
      {"handle used twice",
       Spec(60, {Instance("mem.total", 7), Instance("load.1m", 7)}),
       {kInvalidArgument, MessageIds::kDuplicateHandle, "7"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<const Queries::CreateResult> created;
    EXPECT_EQ(Describe(stats_.CreateQuery(c.spec, created)), c.failure);
    EXPECT_FALSE(created);
  }
  EXPECT_TRUE(stats_.QueryIds().empty());
  // The counter's own resource, its edition, or nothing at all are all fine.
  Create(
      Spec(60, {Instance("cpu.0.usage", 1, {{"cpu", "0"}}, kEdition), Instance("cpu.1.usage", 2)}));
}

TEST_F(HostStatsTest, QueriesLiveForTheirTimeToLiveCountedFromCreationOrLastUpdate) {
  const std::string first = Create(Spec(10, {Instance("mem.total", 1)}));
  const std::string second = Create(Spec(20, {Instance("mem.total", 1)}));
  EXPECT_EQ(stats_.QueryIds(), (std::list<std::string>{first, second}));

  *clock_ += 9999;  // the last millisecond of the first query's 10 s
  std::shared_ptr<const Queries::Info> info;
  EXPECT_FALSE(stats_.GetQuery(first, info));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->time_to_live, 10);

  // Renewed just before it ends: it lives 30 s from now on.
  Queries::UpdateSpec renew;
  renew.time_to_live = 30;
  EXPECT_FALSE(stats_.UpdateQuery(first, renew));
  *clock_ += 1;
  EXPECT_TRUE(stats_.HasQuery(first));
  *clock_ += 10000;  // second reached its 20 s
  EXPECT_EQ(stats_.QueryIds(), std::list<std::string>{first});
  EXPECT_EQ(Describe(stats_.GetQuery(second, info)),
            (std::vector<std::string>{kNotFound, MessageIds::kQueryNotFound, second}));
  *clock_ += 19998;  // the last millisecond of the renewed 30 s
  EXPECT_TRUE(stats_.HasQuery(first));
  *clock_ += 1;
  EXPECT_FALSE(stats_.HasQuery(first));

  // A huge time to live does not overflow into the past.
  const std::string forever =
      Create(Spec(std::numeric_limits<long long>::max(), {Instance("mem.total", 1)}));
  *clock_ += 1000000000;
  EXPECT_TRUE(stats_.HasQuery(forever));
}

TEST_F(HostStatsTest, UpdateAppliesAllChangesOrNone) {
  const std::string id = Create(Spec(60, {Instance("mem.total", 1), Instance("load.1m", 2)}));
  std::shared_ptr<const Queries::Info> info;

  Queries::UpdateSpec bad;
  bad.time_to_live = 5;
  bad.instances_to_add = Instances{Instance("load.5m", 3)};
  bad.instances_to_remove = Instances{Instance("mem.total", 1), Instance("mem.total", 9)};
  EXPECT_EQ(Describe(stats_.UpdateQuery(id, bad)),
            (std::vector<std::string>{kInvalidArgument, MessageIds::kHandleNotFound, "9"}));
  bad.instances_to_remove = Instances{Instance("mem.total", 1)};
  bad.instances_to_add = Instances{Instance("load.5m", 2)};  // handle 2 is still there
  EXPECT_EQ(Describe(stats_.UpdateQuery(id, bad)),
            (std::vector<std::string>{kInvalidArgument, MessageIds::kDuplicateHandle, "2"}));
  stats_.GetQuery(id, info);
  EXPECT_EQ(info->time_to_live, 60);
  EXPECT_EQ(info->instances.size(), 2u);

  Queries::UpdateSpec good;
  good.instances_to_remove = Instances{Instance("", 1)};
  good.instances_to_add = Instances{Instance("load.5m", 1)};
  EXPECT_FALSE(stats_.UpdateQuery(id, good));
  stats_.GetQuery(id, info);
  std::vector<std::string> counters;
  for (const auto& instance : info->instances) counters.push_back(instance->counter);
  EXPECT_EQ(counters, (std::vector<std::string>{"load.1m", "load.5m"}));

  EXPECT_FALSE(stats_.DeleteQuery(id));
  EXPECT_EQ(Describe(stats_.DeleteQuery(id)),
            (std::vector<std::string>{kNotFound, MessageIds::kQueryNotFound, id}));
  EXPECT_EQ(Describe(stats_.UpdateQuery(id, good)),
            (std::vector<std::string>{kNotFound, MessageIds::kQueryNotFound, id}));
}

TEST_F(HostStatsTest, ExecuteGroupsValuesByResourceWithRatesSinceThePreviousExecution) {
  const std::string id =
      Create(Spec(60, {Instance("cpu.total.usage", 1), Instance("net.eth0.receive.rate", 2),
                       Instance("mem.available", 3), Instance("net.eth0.sent", 4)}));
  // Two seconds later: 100 of 400 new ticks busy, 4 MB more received.
  *clock_ += 2000;
  proc_.Write("stat", "cpu 150 0 150 900 200 0 0 0 0 0\n");
  proc_.Write("net/dev", "h\nh\n  eth0: 9000000 0 0 0 0 0 0 0 200000 0 0 0 0 0 0 0\n");
  std::shared_ptr<const Api::Result> result;
  ASSERT_FALSE(stats_.ExecuteQuery(id, result));
  EXPECT_EQ(result->query, id);
  EXPECT_EQ(result->timestamp.MillisSinceEpoch(), *clock_);
  EXPECT_TRUE(result->messages.empty());

  // "resource handle raw value" per value, in snapshot order; "-" for what is unset.
  const auto rows = [](const Api::Result& r) {
    std::vector<std::string> all;
    for (const auto& snapshot : r.snapshots) {
      std::string resource = "host";
      for (const auto& rid :
           snapshot->resource_ids.value_or(std::list<std::shared_ptr<const Api::ResourceId>>{})) {
        resource = rid->key + "=" + rid->id_value;
      }
      for (const auto& v : snapshot->values) {
        all.push_back(resource + " " + std::to_string(v->chandle) + " " +
                      (v->raw ? std::to_string(*v->raw) : "-") + " " +
                      (v->value ? std::to_string(*v->value) : "-"));
      }
    }
    return all;
  };
  EXPECT_EQ(rows(*result),
            (std::vector<std::string>{
                "cpu=total 1 - 25.000000", "interface=eth0 2 - 2000000.000000",
                "interface=eth0 4 200000 200000.000000", "host 3 8000000 8000000.000000"}));

  // No time passed since: no rates; then eth0 disappears. What is missing is explained.
  ASSERT_FALSE(stats_.ExecuteQuery(id, result));
  proc_.Write("net/dev", "h\nh\n  lo: 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n");
  ASSERT_FALSE(stats_.ExecuteQuery(id, result));
  EXPECT_EQ(rows(*result)[1], "interface=eth0 2 - -");
  std::vector<std::string> notes;
  for (const auto& message : result->messages) notes.push_back(message->args.front());
  EXPECT_EQ(notes, (std::vector<std::string>{"cpu.total.usage", "net.eth0.receive.rate",
                                             "net.eth0.sent"}));
  EXPECT_EQ(result->messages.front()->id, MessageIds::kValueUnavailable);
}

}  // namespace
}  // namespace StatsDemo
