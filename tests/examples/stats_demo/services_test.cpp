#include "examples/stats_demo/host_stats_provider.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "examples/stats_demo/demo_fixtures.h"
#include "examples/stats_demo/demo_messages.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"

namespace StatsDemo {
namespace {

using namespace Api;
using namespace MessageIds;
using C = CountersSvc::AsyncServiceStub;
using Q = QueriesSvc::AsyncServiceStub;
using S = StreamSvc::AsyncServiceStub;
using Jorv::Testing::Summary;
using Testing::Instance;
using Testing::Instances;
using Testing::Into;
using Testing::Reports;
using Testing::Spec;

// An error as Summary() writes it, `args` joined by ", ".
std::string Error(const std::string& name, const char* id, const std::string& args) {
  return "com.zentak.jorv.std.errors." + name + " " + id + "(" + args + ")";
}

// A counters filter with `prefix` and `metric`, each unless empty.
std::shared_ptr<CountersSvc::Filter> Filter(const std::string& prefix,
                                            const std::string& metric = "") {
  auto filter = std::make_shared<CountersSvc::Filter>();
  if (!prefix.empty()) filter->prefix = prefix;
  if (!metric.empty()) filter->metric = metric;
  return filter;
}

// A query update to `timeToLive` that removes and adds instances.
std::shared_ptr<QueriesSvc::UpdateSpec> Update(long long timeToLive, Instances remove = {},
                                               Instances add = {}) {
  auto spec = std::make_shared<QueriesSvc::UpdateSpec>();
  spec->time_to_live = timeToLive;
  spec->instances_to_remove = std::move(remove);
  spec->instances_to_add = std::move(add);
  return spec;
}

// Every test runs over the in-process transport (false) and over the remote one (true), with
// the provider behind a spy.
class ServicesTest : public testing::TestWithParam<bool> {
 protected:
  ServicesTest() {
    provider_->PublishOn(*router_);
    std::list<Jorv::BaseMessage> problems;
    if (GetParam()) server_ = Jorv::Remote::RemoteServer::Start(spy_, {}, problems);
    EXPECT_EQ(static_cast<bool>(server_), GetParam());
    api_ = std::make_shared<Jorv::Stub::AsyncApiStub>(
        server_ ? Jorv::Remote::RemoteApiProvider::Create(server_->Address(), {}, problems)
                : std::shared_ptr<Jorv::Core::ApiProvider>(spy_));
  }

  // Testing::Call through this test's transport.
  template <class Method, class... Args>
  auto Call(Method method, const Args&... args) {
    return Testing::Call(api_, method, args...);
  }

  std::string CreateQuery(const std::shared_ptr<QueriesSvc::CreateSpec>& spec) {
    const auto created = Call(&Q::Create, spec);
    EXPECT_EQ(Summary(created.error), "none");
    return created.output ? (*created.output)->query : "";
  }

  // Summary() of the error of a call.
  template <class Method, class... Args>
  std::string Fails(Method method, const Args&... args) {
    return Summary(Call(method, args...).error);
  }

  std::string CreateStream(const std::string& query, long long interval) {
    auto spec = std::make_shared<StreamSvc::CreateSpec>();
    spec->interval = interval;
    return Fails(&S::Create, query, spec);
  }

  // Attaches to the stream of `query` with `spec` and returns, once the provider took the call,
  // the reports the attachment receives.
  std::shared_ptr<Reports> Attach(const std::string& query,
                                  std::shared_ptr<const StreamSvc::AttachSpec> spec =
                                      std::make_shared<StreamSvc::AttachSpec>()) {
    auto reports = std::make_shared<Reports>();
    const std::size_t attached = spy_->attaches->Count();
    S(api_).Attach(query, spec, nullptr, Into(reports));
    EXPECT_TRUE(spy_->attaches->Await(attached + 1)) << "the provider did not take the call";
    return reports;
  }

  Testing::ProcFixture proc_;
  std::shared_ptr<std::int64_t> clock_ = std::make_shared<std::int64_t>(5000);
  std::shared_ptr<Jorv::Core::InProcessApiProvider> router_ =
      std::make_shared<Jorv::Core::InProcessApiProvider>();
  std::unique_ptr<HostStatsProvider> provider_ =
      std::make_unique<HostStatsProvider>(proc_.Options(clock_));
  std::shared_ptr<Testing::Spy> spy_ = std::make_shared<Testing::Spy>(router_);
  std::unique_ptr<Jorv::Remote::RemoteServer> server_;
  std::shared_ptr<Jorv::Stub::AsyncApiStub> api_;
};

TEST_P(ServicesTest, UnknownQueriesAndStreamsAndBadSpecsAnswerTheDeclaredErrors) {
  // A query without a stream, and one with a stream.
  const std::string plain = CreateQuery(Spec(60, {Instance("mem.total", 1)}));
  const std::string streamed = CreateQuery(Spec(60, {Instance("mem.total", 1)}));
  ASSERT_EQ(CreateStream(streamed, 100), "none");
  // The counter's own resource, its edition, or nothing at all are all fine.
  const std::string cpus = CreateQuery(
      Spec(60, {Instance("cpu.0.usage", 1, {{"cpu", "0"}}, kEdition), Instance("cpu.1.usage", 2)}));
  const std::string unknown = "q-404";
  auto fromStart = std::make_shared<StreamSvc::AttachSpec>();
  fromStart->from_timestamp = Jorv::DateTime::FromMillisSinceEpoch(0);

  // The calls are made in table order, as the table is built.
  const std::string invalid = "invalid_argument", notFound = "not_found";
  const std::string noQuery = Error(notFound, kQueryNotFound, unknown);
  const std::string noStream = Error(notFound, kStreamNotFound, plain);
  const std::pair<std::string, std::string> cases[] = {
      {Fails(&Q::Create, Spec(0, {Instance("mem.total", 1)})), Error(invalid, kBadTimeToLive, "0")},
      {Fails(&Q::Create, Spec(60, {})), Error(invalid, kNoInstances, "")},
      {Fails(&Q::Create, Spec(60, {Instance("disk.0.reads", 1)})),
       Error(invalid, kUnknownCounter, "disk.0.reads")},
      {Fails(&Q::Create, Spec(60, {Instance("mem.total", 1, {}, 2)})),
       Error(invalid, kUnknownEdition, "mem.total, 2")},
      {Fails(&Q::Create, Spec(60, {Instance("cpu.0.usage", 1, {{"cpu", "1"}})})),
       Error(invalid, kResourceMismatch, "cpu.0.usage")},
      {Fails(&Q::Create, Spec(60, {Instance("mem.total", 7), Instance("load.1m", 7)})),
       Error(invalid, kDuplicateHandle, "7")},
      {Fails(&Q::Update, cpus,
             Update(5, {Instance("", 1), Instance("", 9)}, {Instance("load.5m", 3)})),
       Error(invalid, kHandleNotFound, "9")},
      // Handle 2 is still there.
      {Fails(&Q::Update, cpus, Update(5, {Instance("", 1)}, {Instance("load.5m", 2)})),
       Error(invalid, kDuplicateHandle, "2")},
      {Fails(&Q::Get, unknown), noQuery},
      {Fails(&Q::Update, unknown, Update(5)), noQuery},
      {Fails(&Q::Delete, unknown), noQuery},
      {Fails(&Q::Execute, unknown), noQuery},
      {CreateStream(unknown, 100), noQuery},
      {CreateStream(streamed, 100), Error("already_in_desired_state", kStreamExists, streamed)},
      {CreateStream(plain, 0), Error(invalid, kBadInterval, "0")},
      {Fails(&S::Get, plain), noStream},
      {Fails(&S::Update, unknown, std::make_shared<StreamSvc::UpdateSpec>()), noQuery},
      {Fails(&S::Delete, plain), noStream},
      {Summary(Attach(plain)->Await(1).error), noStream},
      {Summary(Attach(unknown)->Await(1).error), noQuery},
      {Summary(Attach(streamed, fromStart)->Await(1).error),
       Error("unsupported", kNoHistory, "1970-01-01T00:00:00.000Z")},
  };
  for (const auto& [error, expected] : cases) EXPECT_EQ(error, expected);

  // Nothing failed changed anything; an update applies all its changes at once.
  EXPECT_EQ(Call(&Q::List).output.value(), (std::list<std::string>{plain, streamed, cpus}));
  const auto counters = [&] {  // "time to live: counter..." of the query cpus
    const auto info = Call(&Q::Get, cpus).output.value();
    std::string text = std::to_string(info->time_to_live) + ":";
    for (const auto& instance : info->instances) text += " " + instance->counter;
    return text;
  };
  EXPECT_EQ(counters(), "60: cpu.0.usage cpu.1.usage");
  EXPECT_TRUE(
      Call(&Q::Update, cpus, Update(5, {Instance("", 1)}, {Instance("load.5m", 1)})).output);
  EXPECT_EQ(counters(), "5: cpu.1.usage load.5m");
}

TEST_P(ServicesTest, QueriesLiveForTheirTimeToLiveCountedFromCreationOrLastUpdate) {
  const std::string first = CreateQuery(Spec(10, {Instance("mem.total", 1)}));
  const std::string second = CreateQuery(Spec(20, {Instance("mem.total", 1)}));
  const auto lives = [this](const std::string& query) { return !Call(&Q::Get, query).error; };

  *clock_ += 9999;  // the last millisecond of the first query's 10 s
  EXPECT_EQ(Call(&Q::Get, first).output.value()->time_to_live, 10);
  // Renewed just before it ends: it lives 30 s from now on.
  EXPECT_TRUE(Call(&Q::Update, first, Update(30)).output);
  *clock_ += 1;
  EXPECT_TRUE(lives(first));
  *clock_ += 10000;  // second reached its 20 s
  EXPECT_EQ(Call(&Q::List).output.value(), std::list<std::string>{first});
  EXPECT_EQ(Fails(&Q::Get, second), Error("not_found", kQueryNotFound, second));
  *clock_ += 19998;  // the last millisecond of the renewed 30 s
  EXPECT_TRUE(lives(first));
  *clock_ += 1;
  EXPECT_FALSE(lives(first));

  // A huge time to live does not overflow into the past; deleting ends it.
  const std::string forever =
      CreateQuery(Spec(std::numeric_limits<long long>::max(), {Instance("mem.total", 1)}));
  *clock_ += 1000000000;
  EXPECT_TRUE(lives(forever));
  EXPECT_TRUE(Call(&Q::Delete, forever).output);
  EXPECT_FALSE(lives(forever));
}

TEST_P(ServicesTest, ExecuteGroupsValuesByResourceWithRatesSinceThePreviousExecution) {
  const std::string id = CreateQuery(Spec(
      60, {Instance("cpu.total.usage", 1), Instance("net.eth0.receive.rate", 2),
           Instance("mem.available", 3), Instance("net.eth0.sent", 4), Instance("load.1m", 5)}));
  // Two seconds later: 100 of 400 new ticks busy, 4 MB more received.
  *clock_ += 2000;
  proc_.Write("stat", "cpu 150 0 150 900 200 0 0 0 0 0\n");
  proc_.Write("net/dev", "h\nh\n  eth0: 9000000 0 0 0 0 0 0 0 200000 0 0 0 0 0 0 0\n");
  auto result = Call(&Q::Execute, id).output.value();
  EXPECT_EQ(result->query, id);
  EXPECT_EQ(result->timestamp.MillisSinceEpoch(), *clock_);
  EXPECT_TRUE(result->messages.empty());

  // "resource handle raw value" per value, in snapshot order; "-" for what is unset.
  const auto rows = [](const Result& r) {
    std::vector<std::string> all;
    for (const auto& snapshot : r.snapshots) {
      const auto& ids = snapshot->resource_ids;
      const std::string resource =
          ids && !ids->empty() ? ids->front()->key + "=" + ids->front()->id_value : "host";
      for (const auto& v : snapshot->values)
        all.push_back(resource + " " + std::to_string(v->chandle) + " " +
                      (v->raw ? std::to_string(*v->raw) : "-") + " " +
                      (v->value ? std::to_string(*v->value) : "-"));
    }
    return all;
  };
  EXPECT_EQ(rows(*result), (std::vector<std::string>{
                               "cpu=total 1 - 25.000000", "interface=eth0 2 - 2000000.000000",
                               "interface=eth0 4 200000 200000.000000",
                               "host 3 8000000 8000000.000000", "host 5 - 0.520000"}));

  // No time passed since: no rates; and eth0 disappeared. What is missing is explained.
  proc_.Write("net/dev", "h\nh\n  lo: 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n");
  result = Call(&Q::Execute, id).output.value();
  EXPECT_EQ(rows(*result).at(1), "interface=eth0 2 - -");
  std::vector<std::string> notes;
  for (const auto& message : result->messages) {
    EXPECT_EQ(message->id, kValueUnavailable);
    notes.push_back(message->args.empty() ? "" : message->args.front());
  }
  EXPECT_EQ(notes, (std::vector<std::string>{"cpu.total.usage", "net.eth0.receive.rate",
                                             "net.eth0.sent"}));
}

TEST_P(ServicesTest, CountersListTakesAnyOfItsFiltersAndListsChangesSince) {
  using Filters = std::list<std::shared_ptr<const CountersSvc::Filter>>;
  using Ids = std::set<std::string>;
  const auto list = [this](const Filters& filters, boost::optional<long long> since) {
    return Call(&C::List, filters, since).output.value();
  };
  const auto registered = [](const auto& result) {
    Ids ids;
    for (const auto& counter : result->registered) ids.insert(counter->id);
    return ids;
  };
  const Ids hostWide = {"load.15m", "load.1m", "load.5m", "mem.available", "mem.total"};
  const Ids cpus = {"cpu.total.usage", "cpu.0.usage", "cpu.1.usage"};
  const Ids lo = {"net.lo.receive.rate", "net.lo.received", "net.lo.send.rate", "net.lo.sent"};
  const std::list<std::string> eth0 = {"net.eth0.receive.rate", "net.eth0.received",
                                       "net.eth0.send.rate", "net.eth0.sent"};
  Ids all = hostWide;
  for (const Ids& part : {cpus, lo, Ids(eth0.begin(), eth0.end())})
    all.insert(part.begin(), part.end());

  auto cpuKey = std::make_shared<CountersSvc::ResourceIdDefFilter>();
  cpuKey->key = "cpu";
  auto cpuKeyEqualAll = std::make_shared<CountersSvc::ResourceIdDefFilter>(*cpuKey);
  cpuKeyEqualAll->query_options = CountersSvc::QueryCapabilities::EQUAL_ALL;
  auto byKey = Filter(""), byKeyAndOptions = Filter(""), noKeys = Filter(""),
       oneKey = Filter("net.lo");
  byKey->resource_id = {{cpuKey}};
  byKeyAndOptions->resource_id = {{cpuKeyEqualAll}};
  for (const auto& [filter, count] : {std::make_pair(noKeys, 0), std::make_pair(oneKey, 1)}) {
    auto schema = std::make_shared<CountersSvc::RsrcIdSchemaFilter>();
    schema->count = count;
    filter->resource_ids = Jorv::OptionalPtr<const CountersSvc::RsrcIdSchemaFilter>(schema);
  }
  const std::pair<Filters, Ids> cases[] = {
      {{}, all},
      {{Filter("cpu.")}, cpus},
      {{Filter("", "net.sent")}, {"net.lo.sent", "net.eth0.sent"}},  // the metric compared whole
      {{Filter("net.eth0.", "net.sent")}, {"net.eth0.sent"}},
      {{Filter("mem."), Filter("", "load.1m")}, {"mem.available", "mem.total", "load.1m"}},
      {{byKey}, cpus},
      {{byKeyAndOptions}, {}},
      {{noKeys}, hostWide},
      {{oneKey}, lo},
  };
  for (const auto& [filters, expected] : cases)
    EXPECT_EQ(registered(list(filters, boost::none)), expected);

  const Filters net = {Filter("net.")};
  const auto first = list(net, boost::none);
  EXPECT_TRUE(first->unregistered.empty());
  EXPECT_TRUE(list(net, first->last_updated)->registered.empty());
  // eth0 went away; then a net/dev without interfaces (unreadable) changes nothing.
  proc_.Write("net/dev", "h\nh\n  lo: 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n");
  EXPECT_EQ(registered(list(net, boost::none)), lo);
  proc_.Write("net/dev", "");
  const auto gone = list(net, first->last_updated);
  EXPECT_GT(gone->last_updated, first->last_updated);
  EXPECT_TRUE(gone->registered.empty());
  EXPECT_EQ(gone->unregistered, eth0);
  // It came back: registered again and no longer listed as unregistered.
  proc_.Write("net/dev",
              "h\nh\n  lo: 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n"
              "  eth0: 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n");
  EXPECT_EQ(registered(list(net, gone->last_updated)), Ids(eth0.begin(), eth0.end()));
  EXPECT_TRUE(list(net, boost::none)->unregistered.empty());
}

TEST_P(ServicesTest, AttachDeliversOneResultPerRequestAtTheIntervalUntilTheClientStops) {
  const std::string query = CreateQuery(Spec(60, {Instance("cpu.total.usage", 1)}));
  constexpr long long kInterval = 20;
  ASSERT_EQ(CreateStream(query, 5), "none");
  auto slower = std::make_shared<StreamSvc::UpdateSpec>();
  slower->interval = kInterval;
  EXPECT_TRUE(Call(&S::Update, query, slower).output);
  EXPECT_EQ(Call(&S::Get, query).output.value()->interval, kInterval);

  const auto start = std::chrono::steady_clock::now();
  const auto reports = Attach(query);
  for (std::size_t i = 1; i <= 3; ++i) {
    const Testing::Report report = reports->Await(i);
    ASSERT_TRUE(report.item && report.next && !report.error);
    EXPECT_EQ(report.item->query, query);
    EXPECT_EQ(report.item->snapshots.size(), 1u);
    EXPECT_EQ(reports->Count(), i) << "a result arrived before it was asked for";
    report.next(i < 3 ? Jorv::MakeOptionalPtr<Testing::StreamResult>(Into(reports))
                      : Jorv::OptionalPtr<Testing::StreamResult>());
  }
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * kInterval));
  EXPECT_TRUE(spy_->stops->Await(1)) << "the stop did not reach the provider";
  std::this_thread::sleep_for(std::chrono::milliseconds(5 * kInterval));
  EXPECT_EQ(reports->Count(), 3u);
  EXPECT_EQ(spy_->stops->Count(), 1u);
}

TEST_P(ServicesTest, DeletingTheStreamOrTheProviderEndsAWaitingAttachment) {
  const std::string query = CreateQuery(Spec(60, {Instance("mem.total", 1)}));
  ASSERT_EQ(CreateStream(query, 600000), "none");
  const auto deletedStream = Attach(query);
  EXPECT_TRUE(Call(&S::Delete, query).output);
  const Testing::Report end = deletedStream->Await(1);
  EXPECT_FALSE(end.item);
  EXPECT_EQ(end.error, nullptr);

  ASSERT_EQ(CreateStream(query, 600000), "none");
  const auto shutDown = Attach(query);
  provider_.reset();
  EXPECT_FALSE(shutDown->Await(1).item);
  EXPECT_EQ(shutDown->Count(), 1u);
  EXPECT_EQ(deletedStream->Count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Transports, ServicesTest, testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "Remote" : "InProcess");
});

}  // namespace
}  // namespace StatsDemo
