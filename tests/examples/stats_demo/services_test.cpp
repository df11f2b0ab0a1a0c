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
#include "framework/core/in_process_transport.h"
#include "support/service_client.h"

namespace StatsDemo {
namespace {

using namespace Api;
using Jorv::Data::ErrorValue;
using Jorv::Testing::Client;
using StreamResult = StreamSvc::AttachMethod::StreamResultCbType;

// The reports an attachment received, with a way to wait for them.
class Inbox {
 public:
  struct Report {
    std::shared_ptr<const Result> item;
    std::shared_ptr<const ErrorValue> error;
    StreamResult::Continuation next;
  };
  StreamResult Receiver() {
    return StreamResult([this](const boost::optional<std::shared_ptr<const Result>>& item,
                               const std::shared_ptr<const ErrorValue>& error,
                               const Jorv::Progress&, StreamResult::Continuation&& next) {
      std::lock_guard<std::mutex> lock(mutex_);
      reports_.push_back(Report{item ? *item : nullptr, error, std::move(next)});
      arrived_.notify_all();
    });
  }
  // Waits until `count` reports arrived (at most 10 s) and returns report `count`.
  Report Await(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, std::chrono::seconds(10), [&] { return reports_.size() >= count; });
    if (reports_.size() >= count) return reports_[count - 1];
    ADD_FAILURE() << "only " << reports_.size() << " of " << count << " reports arrived";
    return Report{};
  }
  std::size_t Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Report> reports_;
};

class ServicesTest : public testing::Test {
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
    return done.calls.empty() ? ErrorValue::GetInstance("no answer") : done.calls[0].error;
  }
  std::shared_ptr<const ErrorValue> Attach(const std::string& query, Inbox& inbox,
                                           bool fromStart = false) {
    auto spec = std::make_shared<StreamSvc::AttachSpec>();
    if (fromStart) spec->from_timestamp = Jorv::DateTime::FromMillisSinceEpoch(0);
    stream_.Attach(query, spec, nullptr, inbox.Receiver());
    return inbox.Count() ? inbox.Await(1).error : nullptr;
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
  ASSERT_EQ(CreateStream(streamed, 100), nullptr);
  const std::string unknown = "q-404";
  Client<std::shared_ptr<const QueriesSvc::Info>> get;
  queries_.Get(unknown, nullptr, get.Result());
  Client<std::shared_ptr<const Result>> execute;
  queries_.Execute(unknown, nullptr, execute.Result());
  Client<Jorv::Void> remove, streamUpdate, streamDelete;
  queries_.Delete(unknown, nullptr, remove.Result());
  stream_.Update(unknown, std::make_shared<StreamSvc::UpdateSpec>(), nullptr,
                 streamUpdate.Result());
  stream_.Delete(plain, nullptr, streamDelete.Result());
  Client<std::shared_ptr<const StreamSvc::Info>> streamGet;
  stream_.Get(plain, nullptr, streamGet.Result());
  Inbox withoutStream, ofUnknown, fromStart;

  const char* kNotFound = "com.zentak.jorv.std.errors.not_found";
  const char* kInvalid = "com.zentak.jorv.std.errors.invalid_argument";
  const struct {
    std::shared_ptr<const ErrorValue> error;
    const char* name;
    std::string message;
  } rows[] = {
      {get.Error(), kNotFound, "stats.demo.query.not.found(" + unknown + ")"},
      {execute.Error(), kNotFound, "stats.demo.query.not.found(" + unknown + ")"},
      {remove.Error(), kNotFound, "stats.demo.query.not.found(" + unknown + ")"},
      {streamUpdate.Error(), kNotFound, "stats.demo.query.not.found(" + unknown + ")"},
      {streamDelete.Error(), kNotFound, "stats.demo.stream.not.found(" + plain + ")"},
      {streamGet.Error(), kNotFound, "stats.demo.stream.not.found(" + plain + ")"},
      {CreateStream(unknown, 100), kNotFound, "stats.demo.query.not.found(" + unknown + ")"},
      {CreateStream(streamed, 100), "com.zentak.jorv.std.errors.already_in_desired_state",
       "stats.demo.stream.exists(" + streamed + ")"},
      {CreateStream(plain, 0), kInvalid, "stats.demo.stream.bad.interval(0)"},
      {Attach(plain, withoutStream), kNotFound, "stats.demo.stream.not.found(" + plain + ")"},
      {Attach(unknown, ofUnknown), kNotFound, "stats.demo.query.not.found(" + unknown + ")"},
      {Attach(streamed, fromStart, true), "com.zentak.jorv.std.errors.unsupported",
       "stats.demo.stream.no.history(1970-01-01T00:00:00.000Z)"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Jorv::Testing::Summary(row.error), std::string(row.name) + " " + row.message);
  }
}

TEST_F(ServicesTest, AttachDeliversOneResultPerRequestAtTheIntervalUntilStopped) {
  const std::string query = CreateQuery("cpu.total.usage");
  constexpr long long kInterval = 20;
  ASSERT_EQ(CreateStream(query, kInterval), nullptr);
  Inbox inbox;
  const auto start = std::chrono::steady_clock::now();
  stream_.Attach(query, std::make_shared<StreamSvc::AttachSpec>(), nullptr, inbox.Receiver());
  for (std::size_t i = 1; i <= 3; ++i) {
    const Inbox::Report report = inbox.Await(i);
    ASSERT_TRUE(report.item && report.next);
    EXPECT_EQ(report.item->query, query);
    EXPECT_EQ(report.item->snapshots.size(), 1u);
    EXPECT_EQ(inbox.Count(), i) << "a result arrived before it was asked for";
    report.next(i < 3 ? Jorv::MakeOptionalPtr<StreamResult>(inbox.Receiver())
                      : Jorv::OptionalPtr<StreamResult>());
  }
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * kInterval));
  std::this_thread::sleep_for(std::chrono::milliseconds(5 * kInterval));
  EXPECT_EQ(inbox.Count(), 3u);
}

TEST_F(ServicesTest, DeletingTheStreamOrTheProviderEndsAWaitingAttachment) {
  const std::string query = CreateQuery("mem.total");
  ASSERT_EQ(CreateStream(query, 600000), nullptr);
  Inbox deleted;
  stream_.Attach(query, std::make_shared<StreamSvc::AttachSpec>(), nullptr, deleted.Receiver());
  Client<Jorv::Void> done;
  stream_.Delete(query, nullptr, done.Result());
  done.Output();
  EXPECT_TRUE(!deleted.Await(1).item && !deleted.Await(1).error);

  ASSERT_EQ(CreateStream(query, 600000), nullptr);
  Inbox shutDown;
  stream_.Attach(query, std::make_shared<StreamSvc::AttachSpec>(), nullptr, shutDown.Receiver());
  provider_.reset();
  EXPECT_EQ(shutDown.Count(), 1u);
  EXPECT_FALSE(shutDown.Await(1).item);
  EXPECT_EQ(deleted.Count(), 1u);
}

TEST_F(ServicesTest, CountersListFiltersAndReportsInterfacesThatWentAway) {
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
  proc_.Write("net/dev", "h\nh\n  lo: 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n");
  const auto changes = list(first->last_updated);
  ASSERT_TRUE(changes);
  EXPECT_TRUE(changes->registered.empty());
  EXPECT_EQ(changes->unregistered,
            (std::list<std::string>{"net.eth0.receive.rate", "net.eth0.received",
                                    "net.eth0.send.rate", "net.eth0.sent"}));
}

}  // namespace
}  // namespace StatsDemo
