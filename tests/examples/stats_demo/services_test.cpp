// The demo's three services through their stubs and the in-process transport. The same
// services across processes run in remote_process_test.cpp; what HostStats decides on its own
// is tested in host_stats_test.cpp.

#include "examples/stats_demo/host_stats_provider.h"

#include <gtest/gtest.h>

#include <chrono>
#include <list>
#include <memory>
#include <string>
#include <thread>

#include "examples/stats_demo/demo_messages.h"
#include "examples/stats_demo/proc_fixture.h"
#include "examples/stats_demo/stream_inbox.h"
#include "framework/core/in_process_transport.h"
#include "support/service_client.h"

namespace StatsDemo {
namespace {

using namespace Api;
using Jorv::Testing::Client;
using Jorv::Testing::Summary;
using Testing::Inbox;
using StreamResult = Inbox::StreamResult;
using Void = Jorv::Void;

// An error as Summary() writes it.
std::string Error(const std::string& name, const std::string& id, const std::string& arg) {
  return "com.zentak.jorv.std.errors." + name + " " + id + "(" + arg + ")";
}

// Summary() of the error of the one call `call` makes with the result object it is handed,
// "none" when it succeeded.
template <class T, class Call>
std::string Outcome(Call call) {
  Client<T> client;
  call(client.Result());
  EXPECT_EQ(client.calls.size(), 1u);
  return client.calls.empty() ? "" : Summary(client.calls[0].error);
}

class ServicesTest : public testing::Test {
 protected:
  ServicesTest() { provider_->PublishOn(*transport_); }

  std::string CreateQuery(const std::string& counter) {
    auto spec = std::make_shared<QueriesSvc::CreateSpec>();
    spec->time_to_live = 60;
    auto instance = std::make_shared<CounterInstance>();
    instance->counter = counter;
    spec->instances.push_back(instance);
    Client<std::shared_ptr<const QueriesSvc::CreateResult>> created;
    queries_.Create(spec, nullptr, created.Result());
    const auto result = created.Output();
    return result ? result->query : "";
  }

  std::string CreateStream(const std::string& query, long long interval) {
    auto spec = std::make_shared<StreamSvc::CreateSpec>();
    spec->interval = interval;
    return Outcome<Void>([&](auto r) { stream_.Create(query, spec, nullptr, r); });
  }

  static std::shared_ptr<StreamSvc::AttachSpec> Attaching() {
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
  std::shared_ptr<Jorv::Stub::AsyncApiStub> api_ =
      std::make_shared<Jorv::Stub::AsyncApiStub>(transport_);
  CountersSvc::AsyncServiceStub counters_{api_};
  QueriesSvc::AsyncServiceStub queries_{api_};
  StreamSvc::AsyncServiceStub stream_{api_};
};

TEST_F(ServicesTest, UnknownQueriesAndStreamsAndBadSpecsAnswerTheDeclaredErrors) {
  const std::string plain = CreateQuery("mem.total");  // a query without a stream
  const std::string streamed = CreateQuery("mem.total");
  ASSERT_EQ(CreateStream(streamed, 100), "none");
  const std::string unknown = "q-404";
  const auto attach = [this](const std::string& query,
                             std::shared_ptr<StreamSvc::AttachSpec> spec) {
    Inbox inbox;
    stream_.Attach(query, spec, nullptr, inbox.Receiver());
    return Summary(inbox.Await(1).error);
  };
  auto fromStart = Attaching();
  fromStart->from_timestamp = Jorv::DateTime::FromMillisSinceEpoch(0);

  EXPECT_EQ(Outcome<std::shared_ptr<const QueriesSvc::Info>>(
                [&](auto r) { queries_.Get(unknown, nullptr, r); }),
            Error("not_found", MessageIds::kQueryNotFound, unknown));
  EXPECT_EQ(CreateStream(unknown, 100), Error("not_found", MessageIds::kQueryNotFound, unknown));
  EXPECT_EQ(CreateStream(streamed, 100),
            Error("already_in_desired_state", MessageIds::kStreamExists, streamed));
  EXPECT_EQ(CreateStream(plain, 0), Error("invalid_argument", MessageIds::kBadInterval, "0"));
  EXPECT_EQ(Outcome<std::shared_ptr<const StreamSvc::Info>>(
                [&](auto r) { stream_.Get(plain, nullptr, r); }),
            Error("not_found", MessageIds::kStreamNotFound, plain));
  EXPECT_EQ(Outcome<Void>([&](auto r) {
              stream_.Update(unknown, std::make_shared<StreamSvc::UpdateSpec>(), nullptr, r);
            }),
            Error("not_found", MessageIds::kQueryNotFound, unknown));
  EXPECT_EQ(Outcome<Void>([&](auto r) { stream_.Delete(plain, nullptr, r); }),
            Error("not_found", MessageIds::kStreamNotFound, plain));
  EXPECT_EQ(attach(plain, Attaching()), Error("not_found", MessageIds::kStreamNotFound, plain));
  EXPECT_EQ(attach(unknown, Attaching()), Error("not_found", MessageIds::kQueryNotFound, unknown));
  EXPECT_EQ(attach(streamed, fromStart),
            Error("unsupported", MessageIds::kNoHistory, "1970-01-01T00:00:00.000Z"));
}

TEST_F(ServicesTest, EveryMethodAnswersWhatItWasAskedFor) {
  // Listing the counters reads /proc again: an interface that went away is reported.
  const auto netCounters = [this](boost::optional<long long> since) {
    auto filter = std::make_shared<CountersSvc::Filter>();
    filter->prefix = "net.";
    Client<std::shared_ptr<const CountersSvc::ListResult>> listed;
    counters_.List(std::list<std::shared_ptr<const CountersSvc::Filter>>{filter}, since, nullptr,
                   listed.Result());
    return listed.Output();
  };
  const auto first = netCounters(boost::none);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->registered.size(), 8u);  // four counters for each of lo and eth0
  proc_.Write("net/dev", "h\nh\n  lo: 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n");
  const auto changes = netCounters(first->last_updated);
  ASSERT_TRUE(changes);
  EXPECT_TRUE(changes->registered.empty());
  EXPECT_EQ(changes->unregistered,
            (std::list<std::string>{"net.eth0.receive.rate", "net.eth0.received",
                                    "net.eth0.send.rate", "net.eth0.sent"}));

  const std::string query = CreateQuery("mem.total");
  Client<std::list<std::string>> listed;
  queries_.List(nullptr, listed.Result());
  EXPECT_EQ(listed.Output(), std::list<std::string>{query});
  auto longer = std::make_shared<QueriesSvc::UpdateSpec>();
  longer->time_to_live = 120;
  EXPECT_EQ(Outcome<Void>([&](auto r) { queries_.Update(query, longer, nullptr, r); }), "none");
  Client<std::shared_ptr<const QueriesSvc::Info>> info;
  queries_.Get(query, nullptr, info.Result());
  ASSERT_TRUE(info.Output());
  EXPECT_EQ(info.Output()->time_to_live, 120);
  EXPECT_EQ(info.Output()->instances.size(), 1u);
  Client<std::shared_ptr<const Result>> executed;
  queries_.Execute(query, nullptr, executed.Result());
  ASSERT_TRUE(executed.Output());
  EXPECT_EQ(executed.Output()->query, query);

  ASSERT_EQ(CreateStream(query, 10), "none");
  auto slower = std::make_shared<StreamSvc::UpdateSpec>();
  slower->interval = 20;
  EXPECT_EQ(Outcome<Void>([&](auto r) { stream_.Update(query, slower, nullptr, r); }), "none");
  Client<std::shared_ptr<const StreamSvc::Info>> streamInfo;
  stream_.Get(query, nullptr, streamInfo.Result());
  ASSERT_TRUE(streamInfo.Output());
  EXPECT_EQ(streamInfo.Output()->interval, 20);
  EXPECT_EQ(Outcome<Void>([&](auto r) { stream_.Delete(query, nullptr, r); }), "none");
  EXPECT_EQ(Outcome<Void>([&](auto r) { queries_.Delete(query, nullptr, r); }), "none");
  EXPECT_EQ(Outcome<Void>([&](auto r) { stream_.Delete(query, nullptr, r); }),
            Error("not_found", MessageIds::kQueryNotFound, query));
}

TEST_F(ServicesTest, AttachDeliversOneResultPerRequestAtTheIntervalUntilStopped) {
  const std::string query = CreateQuery("cpu.total.usage");
  constexpr long long kInterval = 20;
  ASSERT_EQ(CreateStream(query, kInterval), "none");

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
}

TEST_F(ServicesTest, DeletingTheStreamOrTheProviderEndsAWaitingAttachment) {
  const std::string query = CreateQuery("mem.total");
  ASSERT_EQ(CreateStream(query, 600000), "none");
  Inbox deletedStream;
  stream_.Attach(query, Attaching(), nullptr, deletedStream.Receiver());
  EXPECT_EQ(Outcome<Void>([&](auto r) { stream_.Delete(query, nullptr, r); }), "none");
  const Inbox::Report end = deletedStream.Await(1);
  EXPECT_FALSE(end.item);
  EXPECT_EQ(end.error, nullptr);

  ASSERT_EQ(CreateStream(query, 600000), "none");
  Inbox shutDown;
  stream_.Attach(query, Attaching(), nullptr, shutDown.Receiver());
  provider_.reset();
  EXPECT_FALSE(shutDown.Await(1).item);
  EXPECT_EQ(shutDown.Count(), 1u);
  EXPECT_EQ(deletedStream.Count(), 1u);
}

}  // namespace
}  // namespace StatsDemo
