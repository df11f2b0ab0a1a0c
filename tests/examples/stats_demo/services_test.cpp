#include "examples/stats_demo/host_stats_provider.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "examples/stats_demo/demo_messages.h"
#include "examples/stats_demo/proc_fixture.h"
#include "examples/stats_demo/stream_inbox.h"
#include "examples/stats_demo/transports.h"
#include "framework/core/in_process_transport.h"
#include "support/service_client.h"

namespace StatsDemo {
namespace {

using namespace Api;
using Jorv::Data::ErrorValue;
using Jorv::Testing::Client;
using Jorv::Testing::Summary;
using Testing::Inbox;
using StreamResult = StreamSvc::AttachMethod::StreamResultCbType;

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
constexpr char kInvalidArgument[] = "com.zentak.jorv.std.errors.invalid_argument";
constexpr char kAlreadyThere[] = "com.zentak.jorv.std.errors.already_in_desired_state";
constexpr char kUnsupported[] = "com.zentak.jorv.std.errors.unsupported";

// The one error a call completed with; `call` is handed the call's result object.
template <class T, class Call>
std::shared_ptr<const ErrorValue> ErrorOf(Call call) {
  Client<T> client;
  call(client.Result());
  return client.Error();
}

// Every test runs over the in-process transport and over the remote one.
class ServicesTest : public testing::TestWithParam<const char*> {
 protected:
  ServicesTest() { provider_->PublishOn(*transport_); }

  std::string CreateQuery(const std::string& counter) {
    auto spec = std::make_shared<QueriesSvc::CreateSpec>();
    spec->time_to_live = 60;
    auto instance = std::make_shared<CounterInstance>();
    instance->counter = counter;
    instance->chandle = 1;
    spec->instances.push_back(instance);
    Client<std::shared_ptr<const QueriesSvc::CreateResult>> created;
    queries_.Create(spec, nullptr, created.Result());
    const auto result = created.Output();
    return result ? result->query : "";
  }

  std::shared_ptr<const ErrorValue> CreateStream(const std::string& query, long long interval) {
    auto spec = std::make_shared<StreamSvc::CreateSpec>();
    spec->interval = interval;
    Client<Jorv::Void> done;
    stream_.Create(query, spec, nullptr, done.Result());
    EXPECT_EQ(done.calls.size(), 1u);
    return done.calls.empty() ? nullptr : done.calls[0].error;
  }

  std::shared_ptr<StreamSvc::AttachSpec> Attaching() {
    auto spec = std::make_shared<StreamSvc::AttachSpec>();
    spec->client_id = "test";
    return spec;
  }

  Testing::ProcFixture proc_;
  std::shared_ptr<std::int64_t> clock_ = std::make_shared<std::int64_t>(5000);
  std::shared_ptr<Jorv::Core::InProcessApiProvider> transport_ =
      std::make_shared<Jorv::Core::InProcessApiProvider>();
  std::unique_ptr<HostStatsProvider> provider_ =
      std::make_unique<HostStatsProvider>(proc_.Options(clock_));
  std::unique_ptr<Jorv::Remote::RemoteServer> server_;
  std::shared_ptr<Jorv::Stub::AsyncApiStub> api_ = std::make_shared<Jorv::Stub::AsyncApiStub>(
      std::string(GetParam()) == "remote" ? Testing::Remotely(transport_, server_) : transport_);
  CountersSvc::AsyncServiceStub counters_{api_};
  QueriesSvc::AsyncServiceStub queries_{api_};
  StreamSvc::AsyncServiceStub stream_{api_};
};

TEST_P(ServicesTest, UnknownQueriesAndStreamsAndBadSpecsAnswerTheDeclaredErrors) {
  const std::string plain = CreateQuery("mem.total");  // a query without a stream
  const std::string streamed = CreateQuery("mem.total");
  ASSERT_EQ(CreateStream(streamed, 100), nullptr);
  const std::string unknown = "q-404";
  const auto update = std::make_shared<StreamSvc::UpdateSpec>();
  const auto noChange = std::make_shared<QueriesSvc::UpdateSpec>();

  const auto attach = [this](const std::string& query,
                             std::shared_ptr<StreamSvc::AttachSpec> spec) {
    Inbox inbox;
    stream_.Attach(query, spec, nullptr, inbox.Receiver());
    return inbox.Await(1).error;
  };
  auto fromStart = Attaching();
  fromStart->from_timestamp = Jorv::DateTime::FromMillisSinceEpoch(0);
  auto badTtl = std::make_shared<QueriesSvc::CreateSpec>();
  badTtl->time_to_live = 0;
  using Info = std::shared_ptr<const QueriesSvc::Info>;
  using Void = Jorv::Void;

  // The calls are made in table order, as the table is built.
  struct Case {
    const char* name;
    std::shared_ptr<const ErrorValue> error;
    const char* errorName;
    struct {
      const char* id;
      std::string arg;
    } message;
  };
  const Case cases[] = {
      {"queries.get",
       ErrorOf<Info>([&](auto r) { queries_.Get(unknown, nullptr, r); }),
       kNotFound,
       {MessageIds::kQueryNotFound, {unknown}}},
      {"queries.update",
       ErrorOf<Void>([&](auto r) { queries_.Update(unknown, noChange, nullptr, r); }),
       kNotFound,
       {MessageIds::kQueryNotFound, {unknown}}},
      {"queries.delete",
       ErrorOf<Void>([&](auto r) { queries_.Delete(unknown, nullptr, r); }),
       kNotFound,
       {MessageIds::kQueryNotFound, {unknown}}},
      {"queries.execute",
       ErrorOf<std::shared_ptr<const Result>>(
           [&](auto r) { queries_.Execute(unknown, nullptr, r); }),
       kNotFound,
       {MessageIds::kQueryNotFound, {unknown}}},
      {"queries.create",
       ErrorOf<std::shared_ptr<const QueriesSvc::CreateResult>>(
           [&](auto r) { queries_.Create(badTtl, nullptr, r); }),
       kInvalidArgument,
       {MessageIds::kBadTimeToLive, {"0"}}},
      {"stream.create of unknown query",
       CreateStream(unknown, 100),
       kNotFound,
       {MessageIds::kQueryNotFound, {unknown}}},
      {"stream.create twice",
       CreateStream(streamed, 100),
       kAlreadyThere,
       {MessageIds::kStreamExists, {streamed}}},
      {"stream.create without interval",
       CreateStream(plain, 0),
       kInvalidArgument,
       {MessageIds::kBadInterval, {"0"}}},
      {"stream.get",
       ErrorOf<std::shared_ptr<const StreamSvc::Info>>(
           [&](auto r) { stream_.Get(plain, nullptr, r); }),
       kNotFound,
       {MessageIds::kStreamNotFound, {plain}}},
      {"stream.update",
       ErrorOf<Void>([&](auto r) { stream_.Update(unknown, update, nullptr, r); }),
       kNotFound,
       {MessageIds::kQueryNotFound, {unknown}}},
      {"stream.delete",
       ErrorOf<Void>([&](auto r) { stream_.Delete(plain, nullptr, r); }),
       kNotFound,
       {MessageIds::kStreamNotFound, {plain}}},
      {"stream.attach without stream",
       attach(plain, Attaching()),
       kNotFound,
       {MessageIds::kStreamNotFound, {plain}}},
      {"stream.attach of unknown query",
       attach(unknown, Attaching()),
       kNotFound,
       {MessageIds::kQueryNotFound, {unknown}}},
      {"stream.attach from a start time",
       attach(streamed, fromStart),
       kUnsupported,
       {MessageIds::kNoHistory, {"1970-01-01T00:00:00.000Z"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Summary(c.error),
              std::string(c.errorName) + " " + c.message.id + "(" + c.message.arg + ")");
  }
}

TEST_P(ServicesTest, EveryMethodAnswersWhatItWasAskedFor) {
  Client<std::shared_ptr<const CountersSvc::ListResult>> counters;
  counters_.List(boost::none, boost::none, nullptr, counters.Result());
  ASSERT_TRUE(counters.Output());
  EXPECT_FALSE(counters.Output()->registered.empty());

  const std::string query = CreateQuery("mem.total");
  Client<std::list<std::string>> listed;
  queries_.List(nullptr, listed.Result());
  EXPECT_EQ(listed.Output(), std::list<std::string>{query});
  auto longer = std::make_shared<QueriesSvc::UpdateSpec>();
  longer->time_to_live = 120;
  Client<Jorv::Void> updated;
  queries_.Update(query, longer, nullptr, updated.Result());
  updated.Output();
  Client<std::shared_ptr<const QueriesSvc::Info>> info;
  queries_.Get(query, nullptr, info.Result());
  ASSERT_TRUE(info.Output());
  EXPECT_EQ(info.Output()->time_to_live, 120);
  Client<std::shared_ptr<const Result>> executed;
  queries_.Execute(query, nullptr, executed.Result());
  ASSERT_TRUE(executed.Output());
  EXPECT_EQ(executed.Output()->query, query);

  ASSERT_EQ(CreateStream(query, 10), nullptr);
  auto slower = std::make_shared<StreamSvc::UpdateSpec>();
  slower->interval = 20;
  Client<Jorv::Void> streamUpdated;
  stream_.Update(query, slower, nullptr, streamUpdated.Result());
  streamUpdated.Output();
  Client<std::shared_ptr<const StreamSvc::Info>> streamInfo;
  stream_.Get(query, nullptr, streamInfo.Result());
  ASSERT_TRUE(streamInfo.Output());
  EXPECT_EQ(streamInfo.Output()->interval, 20);
  Client<Jorv::Void> streamDeleted;
  stream_.Delete(query, nullptr, streamDeleted.Result());
  streamDeleted.Output();
  Client<Jorv::Void> deleted;
  queries_.Delete(query, nullptr, deleted.Result());
  deleted.Output();
  EXPECT_EQ(ErrorOf<std::shared_ptr<const QueriesSvc::Info>>([&](auto r) {
              queries_.Get(query, nullptr, r);
            })->GetName(),
            kNotFound);
}

TEST_P(ServicesTest, AttachDeliversOneResultPerRequestAtTheIntervalUntilStopped) {
  const std::string query = CreateQuery("cpu.total.usage");
  constexpr long long kInterval = 20;
  ASSERT_EQ(CreateStream(query, kInterval), nullptr);

  Inbox inbox;
  const auto start = std::chrono::steady_clock::now();
  stream_.Attach(query, Attaching(), nullptr, inbox.Receiver());
  for (std::size_t i = 1; i <= 3; ++i) {
    Inbox::Report report = inbox.Await(i);
    ASSERT_TRUE(report.item);
    EXPECT_EQ(report.error, nullptr);
    EXPECT_EQ(report.item->query, query);
    ASSERT_EQ(report.item->snapshots.size(), 1u);
    ASSERT_TRUE(report.next);
    if (i < 3) {
      EXPECT_EQ(inbox.Count(), i) << "a result arrived before it was asked for";
      report.next(Jorv::MakeOptionalPtr<StreamResult>(inbox.Receiver()));
    } else {
      report.next(Jorv::OptionalPtr<StreamResult>());
    }
  }
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * kInterval));
  std::this_thread::sleep_for(std::chrono::milliseconds(5 * kInterval));
  EXPECT_EQ(inbox.Count(), 3u);

  Client<Jorv::Void> deleted;
  stream_.Delete(query, nullptr, deleted.Result());
  deleted.Output();
}

TEST_P(ServicesTest, DeletingTheStreamOrTheProviderEndsAWaitingAttachment) {
  const std::string query = CreateQuery("mem.total");
  ASSERT_EQ(CreateStream(query, 600000), nullptr);
  Inbox deletedStream;
  stream_.Attach(query, Attaching(), nullptr, deletedStream.Receiver());
  Client<Jorv::Void> deleted;
  stream_.Delete(query, nullptr, deleted.Result());
  deleted.Output();
  const Inbox::Report end = deletedStream.Await(1);
  EXPECT_FALSE(end.item);
  EXPECT_EQ(end.error, nullptr);

  ASSERT_EQ(CreateStream(query, 600000), nullptr);
  Inbox shutDown;
  stream_.Attach(query, Attaching(), nullptr, shutDown.Receiver());
  provider_.reset();
  EXPECT_FALSE(shutDown.Await(1).item);
  EXPECT_EQ(shutDown.Count(), 1u);
  EXPECT_EQ(deletedStream.Count(), 1u);
}

TEST_P(ServicesTest, CountersListFiltersAndReportsInterfacesThatWentAway) {
  const auto list = [this](boost::optional<long long> since) {
    auto filter = std::make_shared<CountersSvc::Filter>();
    filter->prefix = "net.";
    Client<std::shared_ptr<const CountersSvc::ListResult>> listed;
    counters_.List(std::list<std::shared_ptr<const CountersSvc::Filter>>{filter}, since, nullptr,
                   listed.Result());
    return listed.Output();
  };
  const auto first = list(boost::none);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->registered.size(), 8u);  // four counters for each of lo and eth0
  EXPECT_TRUE(first->unregistered.empty());

  proc_.Write("net/dev", "h\nh\n  lo: 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n");
  const auto changes = list(first->last_updated);
  ASSERT_TRUE(changes);
  EXPECT_TRUE(changes->registered.empty());
  EXPECT_EQ(changes->unregistered,
            (std::list<std::string>{"net.eth0.receive.rate", "net.eth0.received",
                                    "net.eth0.send.rate", "net.eth0.sent"}));
}

INSTANTIATE_TEST_SUITE_P(Transports, ServicesTest, testing::Values("in-process", "remote"),
                         [](const auto& info) {
                           return std::string(info.param) == "remote" ? "Remote" : "InProcess";
                         });

}  // namespace
}  // namespace StatsDemo
