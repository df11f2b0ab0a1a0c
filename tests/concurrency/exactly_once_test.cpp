// Many calls through the in-process transport, each completed by the provider in a way drawn at
// random (at once, later by the test's scheduler, on a worker thread, with a declared error,
// after progress reports, by throwing), checked for exactly one completion per call, one report
// per stream item, exactly one end per stream, nothing after the end, and no object left alive.
// The seed is printed; SCHEDULE_SEED=<n> replays a schedule.

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <iostream>
#include <list>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "concurrency/schedule.h"
#include "framework/core/in_process_transport.h"
#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"
#include "stats/provider/stats_provider.h"

namespace {

using namespace Com::Zentak::Stats::Provider;
using Jorv::OptionalPtr;
using Jorv::Progress;
using Jorv::Core::AsyncActivation;
using Jorv::Data::ErrorValue;
using Jorv::Testing::Census;
using Jorv::Testing::Scheduler;
using StreamResult = StreamSvc::AttachMethod::StreamResultCbType;

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
constexpr int kUnaryCalls = 4000;
constexpr int kStreams = 1000;

// When the provider makes a report.
enum class When { kAtOnce, kLater, kOnWorker };
// How the provider answers a single-result call: the output; not_found (declared by every
// method driven here but list); progress reports, then the output; a throw from the operation;
// handing the result to `when`, which completes it, then a throw.
enum class What { kOutput, kDeclaredError, kProgress, kThrow, kHandOffAndThrow };

// One call as planned and as the client saw it.
struct Call {
  int method = 0;
  When when = When::kAtOnce;
  What what = What::kOutput;
  int progressReports = 0;
  bool clientThrowsOnProgress = false;
  std::atomic<int> finals{0}, progress{0}, afterFinal{0}, wrongOutputs{0};
  std::mutex mutex;
  std::string errorName, messageId;
};

// One stream as planned and as the client saw it.
struct Stream {
  int items = 0;       // items the provider reports before it ends
  int ending = 0;      // 0 shutdown, 1 declared error, 2 one more item as the last one
  int stopAfter = -1;  // the client stops after receiving this item; -1 never
  bool throwOnAttach = false;
  std::vector<When> when;  // per report of the provider
  std::vector<bool> clientAsksLater;
  std::mutex mutex;
  std::vector<long long> received;
  int ends = 0, afterEnd = 0;
  std::string endError;
  bool stopped = false;
  std::atomic<int> providerStops{0};
};

// Everything one run shares: the plans, the schedule and the census of live objects.
struct World {
  explicit World(std::uint32_t seed) : scheduler(seed, 2) {}
  Scheduler scheduler;
  Census clientCallbacks, continuations;
  std::deque<Call> calls;
  std::deque<Stream> streams;
  std::mutex watchMutex;
  std::vector<std::weak_ptr<const void>> resultObjects;

  // Watches a result object the provider holds, which must not outlive its call.
  void Watch(std::shared_ptr<const void> object) {
    std::lock_guard<std::mutex> lock(watchMutex);
    resultObjects.push_back(std::move(object));
  }

  void At(When when, std::function<void()> task) {
    if (when == When::kAtOnce) return task();
    if (when == When::kLater) return scheduler.Later(std::move(task));
    scheduler.OnWorker(std::move(task));
  }
};

int Id(const std::shared_ptr<AsyncActivation>& activation) {
  return std::stoi(activation->context->applicationContext.at("call"));
}
std::shared_ptr<const ErrorValue> NotFound() {
  return ErrorValue::Create(kNotFound, {Jorv::BaseMessage("stats.query.unknown", "No query.", {})});
}

class Queries : public QueriesSvc::AsyncServiceInterface {
 public:
  explicit Queries(World* world) : world_(*world) {}
  void Create(const std::shared_ptr<const QueriesSvc::CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::CreateMethod::ResultCbType&) override {}
  void Update(const std::string&, const std::shared_ptr<const QueriesSvc::UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::UpdateMethod::ResultCbType&) override {}
  void List(const std::shared_ptr<AsyncActivation>& a,
            const QueriesSvc::ListMethod::ResultCbType& result) override {
    Answer(a, result, std::list<std::string>{"q" + std::to_string(Id(a))});
  }
  void Get(const std::string& query, const std::shared_ptr<AsyncActivation>& a,
           const QueriesSvc::GetMethod::ResultCbType& result) override {
    auto info = std::make_shared<QueriesSvc::Info>();
    info->query = query;
    Answer(a, result, std::shared_ptr<const QueriesSvc::Info>(info));
  }
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>& a,
              const QueriesSvc::DeleteMethod::ResultCbType& result) override {
    Answer(a, result, Jorv::Void());
  }
  void Execute(const std::string& query, const std::shared_ptr<AsyncActivation>& a,
               const QueriesSvc::ExecuteMethod::ResultCbType& result) override {
    auto out = std::make_shared<Result>();
    out->query = query;
    Answer(a, result, std::shared_ptr<const Result>(out));
  }

 private:
  // Answers a single-result call as its plan says.
  template <class ResultObject, class Output>
  void Answer(const std::shared_ptr<AsyncActivation>& activation, const ResultObject& result,
              Output output) {
    Call& call = world_.calls.at(static_cast<std::size_t>(Id(activation)));
    auto held = std::make_shared<ResultObject>(result);
    world_.Watch(held);
    auto complete = [&call, held, output] {
      for (int i = 0; i < (call.what == What::kProgress ? call.progressReports : 0); ++i) {
        held->ReportProgress(Progress{0, i, call.progressReports});
      }
      call.what == What::kDeclaredError ? held->error(NotFound()) : (*held)(output);
    };
    if (call.what == What::kThrow) throw std::runtime_error("store offline");
    if (call.what != What::kHandOffAndThrow) return world_.At(call.when, std::move(complete));
    world_.At(call.when, [complete] {
      try {
        complete();
      } catch (const std::bad_function_call&) {
        // The transport answered the throw first: this completion finds the call spent.
      }
    });
    throw std::runtime_error("after hand-off");
  }
  World& world_;
};

class Streams : public StreamSvc::AsyncServiceInterface {
 public:
  explicit Streams(World* world) : world_(*world) {}
  void Create(const std::string&, const std::shared_ptr<const StreamSvc::CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const StreamSvc::CreateMethod::ResultCbType&) override {}
  void Get(const std::string&, const std::shared_ptr<AsyncActivation>&,
           const StreamSvc::GetMethod::ResultCbType&) override {}
  void Update(const std::string&, const std::shared_ptr<const StreamSvc::UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const StreamSvc::UpdateMethod::ResultCbType&) override {}
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>&,
              const StreamSvc::DeleteMethod::ResultCbType&) override {}
  void Attach(const std::string&, const std::shared_ptr<const StreamSvc::AttachSpec>&,
              const std::shared_ptr<AsyncActivation>& activation,
              const StreamResult& result) override {
    Stream& stream = world_.streams.at(static_cast<std::size_t>(Id(activation)));
    if (stream.throwOnAttach) throw std::runtime_error("cannot attach");
    Serve(stream, 0, std::make_shared<StreamResult>(result));
  }

 private:
  // Makes report `index` of `stream` to `result`, when the plan says.
  void Serve(Stream& stream, int index, OptionalPtr<StreamResult> result) {
    world_.Watch(result);
    world_.At(stream.when.at(static_cast<std::size_t>(index)), [this, &stream, index, result] {
      auto item = std::make_shared<Result>();
      item->timestamp = Jorv::DateTime::FromMillisSinceEpoch(index);
      if (index < stream.items) {
        (*result)(item, [this, &stream, index,
                         c = world_.continuations.Token()](OptionalPtr<StreamResult> next) {
          if (!next) return void(stream.providerStops.fetch_add(1));
          Serve(stream, index + 1, std::move(next));
        });
      } else if (stream.ending == 0) {
        result->shutdown();
      } else if (stream.ending == 1) {
        result->error(NotFound());
      } else {
        (*result)(item);
      }
    });
  }
  World& world_;
};

// A client result object of output type T recording into `call`; `check` judges an output.
template <class T, class Check>
Jorv::AsyncResult<T> Recorder(World& world, Call& call, Check check) {
  return Jorv::AsyncResult<T>([&call, check, token = world.clientCallbacks.Token()](
                                  const boost::optional<T>& output,
                                  const std::shared_ptr<const ErrorValue>& error,
                                  const Progress& progress) {
    if (call.finals.load() > 0) call.afterFinal.fetch_add(1);
    if (!output && !error && !progress.IsFinished()) {
      call.progress.fetch_add(1);
      if (call.clientThrowsOnProgress) throw std::runtime_error("client gave up");
      return;
    }
    if (output && !check(*output)) call.wrongOutputs.fetch_add(1);
    if (error) {
      std::lock_guard<std::mutex> lock(call.mutex);
      call.errorName = error->GetName();
      const auto messages = error->GetMessages();
      call.messageId = messages.empty() ? "" : messages.front().id;
    }
    call.finals.fetch_add(1);
  });
}

// The client's receiver of one stream report: records it, then asks for the next report (at
// once or later) or stops, as the plan says.
StreamResult StreamReceiver(World& world, Stream& stream) {
  return StreamResult([&world, &stream, token = world.clientCallbacks.Token()](
                          const boost::optional<std::shared_ptr<const Result>>& item,
                          const std::shared_ptr<const ErrorValue>& error, const Progress&,
                          StreamResult::Continuation&& next) {
    std::unique_lock<std::mutex> lock(stream.mutex);
    if (stream.ends > 0 || stream.stopped) ++stream.afterEnd;
    if (!item) {
      ++stream.ends;
      stream.endError = error ? error->GetName() : "";
      return;
    }
    stream.received.push_back((*item)->timestamp.MillisSinceEpoch());
    const bool stop = stream.stopAfter == stream.received.back();
    const bool later = stream.clientAsksLater.at(stream.received.size() - 1);
    stream.stopped = stream.stopped || stop;
    lock.unlock();
    auto ask = [&world, &stream, stop, next = std::move(next)] {
      next(stop ? OptionalPtr<StreamResult>()
                : std::make_shared<StreamResult>(StreamReceiver(world, stream)));
    };
    later ? world.scheduler.Later(std::move(ask)) : ask();
  });
}

TEST(ExactlyOnce, RandomSchedulesOfUnaryCallsAndStreams) {
  const std::uint32_t seed = Jorv::Testing::ScheduleSeed("SCHEDULE_SEED", 20261206);
  std::cout << "schedule seed " << seed << " (SCHEDULE_SEED=" << seed << " replays it)\n";
  World world(seed);
  Scheduler& s = world.scheduler;
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  auto queries = std::make_shared<Queries>(&world);
  const std::weak_ptr<Queries> queriesAlive = queries;
  transport->Publish(QueriesSvc::AsyncServiceBinder::BindImplementation(queries));
  transport->Publish(
      StreamSvc::AsyncServiceBinder::BindImplementation(std::make_shared<Streams>(&world)));
  queries.reset();
  auto apiStub = std::make_shared<Jorv::Stub::AsyncApiStub>(transport);
  QueriesSvc::AsyncServiceStub queryStub(apiStub);
  StreamSvc::AsyncServiceStub streamStub(apiStub);

  for (int i = 0; i < kUnaryCalls; ++i) {
    Call& call = world.calls.emplace_back();
    call.method = s.Pick(4);
    call.when = static_cast<When>(s.Pick(3));
    call.what = static_cast<What>(s.Pick(5));
    if (call.method == 1 && call.what == What::kDeclaredError) call.what = What::kOutput;
    call.progressReports = 1 + s.Pick(3);
    call.clientThrowsOnProgress = call.what == What::kProgress && s.Pick(2) == 0;
  }
  for (int i = 0; i < kStreams; ++i) {
    Stream& stream = world.streams.emplace_back();
    stream.items = s.Pick(5);
    stream.ending = s.Pick(3);
    stream.throwOnAttach = s.Pick(10) == 0;
    stream.stopAfter = s.Pick(3) == 0 ? s.Pick(stream.items + 1) : -1;
    for (int r = 0; r <= stream.items; ++r) stream.when.push_back(static_cast<When>(s.Pick(3)));
    for (int r = 0; r <= stream.items + 1; ++r) stream.clientAsksLater.push_back(s.Pick(2) == 0);
  }

  // Start every call in a random order, running held-back work in between.
  std::vector<int> order;
  for (int i = 0; i < kUnaryCalls + kStreams; ++i) order.push_back(i);
  for (std::size_t i = order.size(); i > 1; --i) {
    std::swap(order[i - 1], order[static_cast<std::size_t>(s.Pick(static_cast<int>(i)))]);
  }
  for (const int n : order) {
    auto activation = std::make_shared<AsyncActivation>();
    const int id = n < kUnaryCalls ? n : n - kUnaryCalls;
    activation->context->applicationContext["call"] = std::to_string(id);
    const std::string name = "q" + std::to_string(id);
    if (n >= kUnaryCalls) {
      Stream& stream = world.streams.at(static_cast<std::size_t>(id));
      streamStub.Attach("q", std::make_shared<StreamSvc::AttachSpec>(), activation,
                        StreamReceiver(world, stream));
    } else {
      Call& call = world.calls.at(static_cast<std::size_t>(id));
      auto named = [name](const auto& p) { return p && p->query == name; };
      switch (call.method) {
        case 0:
          queryStub.Get(name, activation,
                        Recorder<std::shared_ptr<const QueriesSvc::Info>>(world, call, named));
          break;
        case 1:
          queryStub.List(activation, Recorder<std::list<std::string>>(
                                         world, call, [name](const std::list<std::string>& l) {
                                           return l == std::list<std::string>{name};
                                         }));
          break;
        case 2:
          queryStub.Delete(name, activation,
                           Recorder<Jorv::Void>(world, call, [](Jorv::Void) { return true; }));
          break;
        default:
          queryStub.Execute(name, activation,
                            Recorder<std::shared_ptr<const Result>>(world, call, named));
      }
    }
    for (int k = s.Pick(3); k > 0; --k) s.RunOneLater();
  }
  s.Drain();

  for (std::size_t id = 0; id < world.calls.size(); ++id) {
    Call& call = world.calls[id];
    SCOPED_TRACE("call " + std::to_string(id));
    EXPECT_EQ(call.finals.load(), 1);
    EXPECT_EQ(call.afterFinal.load(), 0);
    EXPECT_EQ(call.wrongOutputs.load(), 0);
    EXPECT_EQ(call.progress.load(), call.what == What::kProgress ? call.progressReports : 0);
    // A hand-off made at once completes before the throw, later after it; on a worker whichever
    // comes first wins.
    const bool handedOff = call.what == What::kHandOffAndThrow;
    if (call.what == What::kDeclaredError) {
      EXPECT_EQ(call.errorName + " " + call.messageId,
                std::string(kNotFound) + " stats.query.unknown");
    } else if (call.what == What::kThrow || (handedOff && call.when == When::kLater) ||
               (handedOff && call.when == When::kOnWorker && !call.errorName.empty())) {
      EXPECT_EQ(
          call.errorName + " " + call.messageId,
          std::string(Jorv::Std::kInternalServerError) + " " + Jorv::MessageIds::kMethodFailed);
    } else {
      EXPECT_EQ(call.errorName, "");
    }
    if (HasFailure()) break;  // the rest would only repeat it
  }
  for (std::size_t id = 0; id < world.streams.size(); ++id) {
    Stream& stream = world.streams[id];
    SCOPED_TRACE("stream " + std::to_string(id));
    const int delivered = stream.throwOnAttach ? 0 : stream.items + (stream.ending == 2 ? 1 : 0);
    const bool clientStopped = stream.stopAfter >= 0 && stream.stopAfter < delivered;
    std::vector<long long> expected;
    for (int i = 0; i < (clientStopped ? stream.stopAfter + 1 : delivered); ++i)
      expected.push_back(i);
    EXPECT_EQ(stream.received, expected);
    EXPECT_EQ(stream.afterEnd, 0);
    EXPECT_EQ(stream.ends, clientStopped ? 0 : 1);
    EXPECT_EQ(stream.providerStops.load(),
              clientStopped && stream.stopAfter < stream.items ? 1 : 0);
    if (!clientStopped) {
      EXPECT_EQ(stream.endError, stream.throwOnAttach ? Jorv::Std::kInternalServerError
                                 : stream.ending == 1 ? kNotFound
                                                      : "");
    }
    if (HasFailure()) break;
  }
  EXPECT_EQ(s.Escaped(), std::vector<std::string>{});
  // Nothing outlives the calls: result objects, client callbacks, continuations.
  for (const auto& object : world.resultObjects) EXPECT_TRUE(object.expired());
  EXPECT_EQ(world.clientCallbacks.Live(), 0);
  EXPECT_EQ(world.continuations.Live(), 0);
  transport->Unpublish(QueriesSvc::AsyncServiceInterface::kTypeName);
  EXPECT_TRUE(queriesAlive.expired());
}

}  // namespace
