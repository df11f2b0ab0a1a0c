// Many calls through the in-process transport, each completed by the provider in a way drawn at
// random (at once, later by the test's scheduler, on a worker thread, with a declared error,
// after progress reports, by throwing), checked for exactly one completion per call, one report
// per stream item, exactly one end per stream, nothing after the end, and no object left alive.
// The seed is printed; SCHEDULE_SEED=<n> replays a schedule.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <iostream>
#include <list>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "concurrency/schedule.h"
#include "framework/core/in_process_transport.h"
#ifdef JORV_REMOTE_SCHEDULES
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"
#endif
#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"
#include "stats/provider/stats_provider.h"

namespace {

using namespace Com::Zentak::Stats::Provider;
using Jorv::BaseMessage;
using Jorv::OptionalPtr;
using Jorv::Progress;
using Jorv::Core::AsyncActivation;
using Jorv::Data::ErrorValue;
using Jorv::Testing::Census;
using Jorv::Testing::Scheduler;

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
constexpr char kCallKey[] = "call";

// When the provider makes a report.
enum class When { kAtOnce, kLater, kOnWorker };
// How the provider answers a single-result call.
enum class What {
  kOutput,          // the output
  kDeclaredError,   // not_found, which every method driven here declares
  kProgress,        // progress reports, then the output
  kThrow,           // throws from the operation, the result untouched
  kHandOffAndThrow  // hands the result to `when`, which completes it, then throws
};

// One call as planned and as the client saw it: Get (a record output) or Delete (no output).
struct Call {
  int id = 0;
  bool get = false;
  When when = When::kAtOnce;
  What what = What::kOutput;
  int progressReports = 0;
  bool clientThrowsOnProgress = false;

  std::atomic<int> finals{0};
  std::atomic<int> progress{0};
  std::atomic<int> afterFinal{0};
  std::atomic<int> wrongOutputs{0};
  std::mutex mutex;
  std::string errorName;
  std::string messageId;
};

// One stream as planned and as the client saw it.
struct Stream {
  int id = 0;
  int items = 0;       // items the provider reports before it ends
  int ending = 0;      // 0 shutdown, 1 declared error, 2 one more item as the last one
  int stopAfter = -1;  // the client stops after receiving this item; -1 never
  bool throwOnAttach = false;
  std::vector<When> when;  // per report of the provider
  std::vector<bool> clientAsksLater;

  std::mutex mutex;
  std::vector<long long> received;
  int ends = 0;
  int afterEnd = 0;
  std::string endError;
  bool stopped = false;
  std::atomic<int> providerStops{0};
};

// Everything one run shares: the plans, the schedule and the census of live objects.
struct World {
  explicit World(std::uint32_t seed) : scheduler(seed, 2) {}
  Scheduler scheduler;
  Census clientCallbacks;
  Census continuations;
  std::deque<Call> calls;
  std::deque<Stream> streams;
  std::mutex watchMutex;
  std::vector<std::weak_ptr<const void>> resultObjects;

  void Watch(const std::shared_ptr<const void>& object) {
    std::lock_guard<std::mutex> lock(watchMutex);
    resultObjects.push_back(object);
  }
  // Runs `task` when `when` says.
  void At(When when, std::function<void()> task) {
    if (when == When::kAtOnce) return task();
    if (when == When::kLater) return scheduler.Later(std::move(task));
    scheduler.OnWorker(std::move(task));
  }
};

int CallId(const std::shared_ptr<AsyncActivation>& activation) {
  return std::stoi(activation->context->applicationContext.at(kCallKey));
}

std::shared_ptr<const ErrorValue> NotFound(int id) {
  return ErrorValue::Create(
      kNotFound, {BaseMessage("stats.query.unknown", "No query {1}.", {std::to_string(id)})});
}

// Answers a single-result call as its plan says; `output` makes the native output.
template <class ResultObject, class Output>
void Answer(World& world, const std::shared_ptr<AsyncActivation>& activation,
            const ResultObject& result, Output output) {
  Call& call = world.calls.at(static_cast<std::size_t>(CallId(activation)));
  auto held = std::make_shared<ResultObject>(result);
  world.Watch(held);
  auto complete = [&call, held, output] {
    for (int i = 0; i < (call.what == What::kProgress ? call.progressReports : 0); ++i) {
      held->ReportProgress(Progress{0, i, call.progressReports});
    }
    if (call.what == What::kDeclaredError) {
      held->error(NotFound(call.id));
    } else {
      (*held)(output);
    }
  };
  if (call.what == What::kThrow) throw std::runtime_error("store offline");
  if (call.what != What::kHandOffAndThrow) return world.At(call.when, std::move(complete));
  world.At(call.when, [complete] {
    try {
      complete();
    } catch (const std::bad_function_call&) {
      // The transport answered the throw first: this completion finds the call spent.
    }
  });
  throw std::runtime_error("after hand-off");
}

using StreamResult = StreamSvc::AttachMethod::StreamResultCbType;

class Streams : public StreamSvc::AsyncServiceInterface {
 public:
  explicit Streams(World* world) : world_(*world) {}
  void Create(const std::string&, const std::shared_ptr<const StreamSvc::CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const StreamSvc::CreateMethod::ResultCbType&) override {
    ADD_FAILURE() << "unexpected create";
  }
  void Get(const std::string&, const std::shared_ptr<AsyncActivation>& activation,
           const StreamSvc::GetMethod::ResultCbType& result) override {
    auto info = std::make_shared<StreamSvc::Info>();
    info->interval = CallId(activation);
    Answer(world_, activation, result, std::shared_ptr<const StreamSvc::Info>(info));
  }
  void Update(const std::string&, const std::shared_ptr<const StreamSvc::UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const StreamSvc::UpdateMethod::ResultCbType&) override {
    ADD_FAILURE() << "unexpected update";
  }
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>& activation,
              const StreamSvc::DeleteMethod::ResultCbType& result) override {
    Answer(world_, activation, result, Jorv::Void());
  }
  void Attach(const std::string&, const std::shared_ptr<const StreamSvc::AttachSpec>&,
              const std::shared_ptr<AsyncActivation>& activation,
              const StreamResult& result) override {
    Stream& stream = world_.streams.at(static_cast<std::size_t>(CallId(activation)));
    if (stream.throwOnAttach) throw std::runtime_error("cannot attach");
    Serve(stream, 0, OptionalPtr<StreamResult>(std::make_shared<StreamResult>(result)));
  }

 private:
  // Makes report `index` of `stream` to `result`, when the plan says.
  void Serve(Stream& stream, int index, OptionalPtr<StreamResult> result) {
    world_.Watch(result);
    World& world = world_;
    world.At(stream.when.at(static_cast<std::size_t>(index)), [this, &stream, index, result] {
      if (index < stream.items) {
        auto token = world_.continuations.Token();
        (*result)(Item(index), [this, &stream, index, token](OptionalPtr<StreamResult> next) {
          if (!next) {
            stream.providerStops.fetch_add(1);
            return;
          }
          Serve(stream, index + 1, std::move(next));
        });
      } else if (stream.ending == 0) {
        result->shutdown();
      } else if (stream.ending == 1) {
        result->error(NotFound(stream.id));
      } else {
        (*result)(Item(index));
      }
    });
  }
  static std::shared_ptr<const Result> Item(long long index) {
    auto item = std::make_shared<Result>();
    item->timestamp = Jorv::DateTime::FromMillisSinceEpoch(index);
    return item;
  }
  World& world_;
};

std::shared_ptr<AsyncActivation> ActivationFor(int id) {
  auto activation = std::make_shared<AsyncActivation>();
  activation->context->applicationContext[kCallKey] = std::to_string(id);
  return activation;
}

// A client result object of output type T recording into `call`; `check` judges an output.
template <class T, class Check>
Jorv::AsyncResult<T> Recorder(World& world, Call& call, Check check) {
  auto token = world.clientCallbacks.Token();
  return Jorv::AsyncResult<T>([&call, check, token](const boost::optional<T>& output,
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
      call.messageId = messages.empty() ? "" : messages.front().GetId();
    }
    call.finals.fetch_add(1);
  });
}

// The client's receiver of one stream report: records it, then asks for the next report (at
// once or later) or stops, as the plan says.
StreamResult StreamReceiver(World& world, Stream& stream) {
  auto token = world.clientCallbacks.Token();
  return StreamResult(
      [&world, &stream, token](const boost::optional<std::shared_ptr<const Result>>& item,
                               const std::shared_ptr<const ErrorValue>& error, const Progress&,
                               StreamResult::Continuation&& next) {
        std::unique_lock<std::mutex> lock(stream.mutex);
        if (stream.ends > 0 || stream.stopped) ++stream.afterEnd;
        if (!item) {
          ++stream.ends;
          stream.endError = error ? error->GetName() : "";
          return;
        }
        const long long index = (*item)->timestamp.MillisSinceEpoch();
        stream.received.push_back(index);
        const bool stop = stream.stopAfter == index;
        const bool later = stream.clientAsksLater.at(stream.received.size() - 1);
        if (stop) stream.stopped = true;
        lock.unlock();
        auto ask = [&world, &stream, stop, next = std::move(next)] {
          next(stop ? OptionalPtr<StreamResult>()
                    : OptionalPtr<StreamResult>(
                          std::make_shared<StreamResult>(StreamReceiver(world, stream))));
        };
        world.At(later ? When::kLater : When::kAtOnce, std::move(ask));
      });
}

When DrawWhen(Scheduler& s) { return static_cast<When>(s.Pick(3)); }

// Whether every call and stream of `world` has had its end, as far as the client can tell.
bool AllEnded(World& world) {
  for (Call& call : world.calls) {
    if (call.finals.load() == 0) return false;
  }
  for (Stream& stream : world.streams) {
    std::lock_guard<std::mutex> lock(stream.mutex);
    if (stream.ends == 0 && !stream.stopped) return false;
  }
  return true;
}

// Plans `callCount` calls and `streamCount` streams, runs them through the transport that `client`
// makes of the in-process router, and checks each came out exactly once. A `concurrent`
// transport runs the provider on threads of its own: the run waits (at most a minute) until
// every call has ended and every object is gone.
void RunRandomSchedule(int callCount, int streamCount, bool concurrent,
                       const std::function<std::shared_ptr<Jorv::Core::ApiProvider>(
                           const std::shared_ptr<Jorv::Core::InProcessApiProvider>&)>& client) {
  const std::uint32_t seed = Jorv::Testing::ScheduleSeed("SCHEDULE_SEED", 20261206);
  std::cout << "schedule seed " << seed << " (SCHEDULE_SEED=" << seed << " replays it)\n";
  ::testing::Test::RecordProperty("schedule_seed", std::to_string(seed));

  World world(seed);
  Scheduler& s = world.scheduler;
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  auto streams = std::make_shared<Streams>(&world);
  std::weak_ptr<Streams> streamsAlive = streams;
  transport->Publish(StreamSvc::AsyncServiceBinder::BindImplementation(streams));
  streams.reset();
  StreamSvc::AsyncServiceStub stub(std::make_shared<Jorv::Stub::AsyncApiStub>(client(transport)));

  for (int i = 0; i < callCount; ++i) {
    Call& call = world.calls.emplace_back();
    call.id = i;
    call.get = s.Pick(2) == 0;
    call.when = DrawWhen(s);
    call.what = static_cast<What>(s.Pick(5));
    call.progressReports = 1 + s.Pick(3);
    call.clientThrowsOnProgress = call.what == What::kProgress && s.Pick(2) == 0;
  }
  for (int i = 0; i < streamCount; ++i) {
    Stream& stream = world.streams.emplace_back();
    stream.id = i;
    stream.items = s.Pick(5);
    stream.ending = s.Pick(3);
    stream.throwOnAttach = s.Pick(10) == 0;
    stream.stopAfter = s.Pick(3) == 0 ? s.Pick(stream.items + 1) : -1;
    for (int r = 0; r <= stream.items; ++r) stream.when.push_back(DrawWhen(s));
    for (int r = 0; r <= stream.items + 1; ++r) stream.clientAsksLater.push_back(s.Pick(2) == 0);
  }

  // Start every call in a random order, running held-back work in between.
  std::vector<int> order;
  for (int i = 0; i < callCount + streamCount; ++i) order.push_back(i);
  for (std::size_t i = order.size(); i > 1; --i) {
    std::swap(order[i - 1], order[static_cast<std::size_t>(s.Pick(static_cast<int>(i)))]);
  }
  for (const int n : order) {
    if (n >= callCount) {
      Stream& stream = world.streams.at(static_cast<std::size_t>(n - callCount));
      stub.Attach("q", std::make_shared<StreamSvc::AttachSpec>(), ActivationFor(stream.id),
                  StreamReceiver(world, stream));
    } else {
      Call& call = world.calls.at(static_cast<std::size_t>(n));
      const auto activation = ActivationFor(call.id);
      if (call.get) {
        stub.Get("q", activation,
                 Recorder<std::shared_ptr<const StreamSvc::Info>>(
                     world, call,
                     [&call](const auto& info) { return info && info->interval == call.id; }));
      } else {
        stub.Delete("q", activation,
                    Recorder<Jorv::Void>(world, call, [](const Jorv::Void&) { return true; }));
      }
    }
    for (int k = s.Pick(3); k > 0; --k) s.RunOneLater();
  }
  const auto patience = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  for (s.Drain(); !AllEnded(world) && std::chrono::steady_clock::now() < patience; s.Drain()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  // The last references of a remote call go shortly after its last report.
  while (world.clientCallbacks.Live() + world.continuations.Live() != 0 &&
         std::chrono::steady_clock::now() < patience) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }

  // Past a few faulty calls the rest only repeat them.
  const auto* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
  int faultyCalls = 0;
  for (Call& call : world.calls) {
    SCOPED_TRACE("call " + std::to_string(call.id) + (call.get ? " get" : " delete") + " what " +
                 std::to_string(static_cast<int>(call.what)) + " when " +
                 std::to_string(static_cast<int>(call.when)));
    const int before = result->total_part_count();
    EXPECT_EQ(call.finals.load(), 1);
    EXPECT_EQ(call.afterFinal.load(), 0);
    EXPECT_EQ(call.wrongOutputs.load(), 0);
    EXPECT_EQ(call.progress.load(), call.what == What::kProgress ? call.progressReports : 0);
    switch (call.what) {
      case What::kOutput:
      case What::kProgress:
        EXPECT_EQ(call.errorName, "");
        break;
      case What::kDeclaredError:
        EXPECT_EQ(call.errorName, kNotFound);
        EXPECT_EQ(call.messageId, "stats.query.unknown");
        break;
      case What::kThrow:
        EXPECT_EQ(call.errorName, Jorv::Std::kInternalServerError);
        EXPECT_EQ(call.messageId, Jorv::MessageIds::kMethodFailed);
        break;
      case What::kHandOffAndThrow:
        // At once the output comes before the throw, later it comes after; on a worker
        // whichever comes first wins, and so it does later when the provider runs on the
        // transport's threads while the test runs held-back work.
        if (call.when == When::kAtOnce ||
            ((call.when == When::kOnWorker || (concurrent && call.when == When::kLater)) &&
             call.errorName.empty())) {
          EXPECT_EQ(call.errorName, "");
        } else {
          EXPECT_EQ(call.errorName, Jorv::Std::kInternalServerError);
        }
        break;
    }
    if (result->total_part_count() != before && ++faultyCalls == 5) break;
  }
  for (Stream& stream : world.streams) {
    SCOPED_TRACE("stream " + std::to_string(stream.id));
    std::vector<long long> expected;
    const int delivered = stream.throwOnAttach ? 0 : stream.items + (stream.ending == 2 ? 1 : 0);
    const int last = stream.stopAfter >= 0 ? std::min(stream.stopAfter + 1, delivered) : delivered;
    for (int i = 0; i < last; ++i) expected.push_back(i);
    const bool clientStopped = stream.stopAfter >= 0 && stream.stopAfter < delivered;
    EXPECT_EQ(stream.received, expected);
    EXPECT_EQ(stream.afterEnd, 0);
    EXPECT_EQ(stream.ends, clientStopped ? 0 : 1);
    EXPECT_EQ(stream.providerStops.load(),
              clientStopped && stream.stopAfter < stream.items ? 1 : 0);
    if (!clientStopped) {
      const char* error = stream.throwOnAttach ? Jorv::Std::kInternalServerError
                          : stream.ending == 1 ? kNotFound
                                               : "";
      EXPECT_EQ(stream.endError, error);
    }
  }
  EXPECT_EQ(s.Escaped(), std::vector<std::string>{});

  // Nothing outlives the calls: result objects, client callbacks, continuations.
  int liveResults = 0;
  for (const auto& watch : world.resultObjects) liveResults += watch.expired() ? 0 : 1;
  EXPECT_EQ(liveResults, 0);
  EXPECT_EQ(world.clientCallbacks.Live(), 0);
  EXPECT_EQ(world.continuations.Live(), 0);
  transport->Unpublish(StreamSvc::AsyncServiceInterface::kTypeName);
  EXPECT_TRUE(streamsAlive.expired());
}

TEST(ExactlyOnce, RandomSchedulesOfUnaryCallsAndStreams) {
  RunRandomSchedule(4000, 1000, false, [](const auto& router) { return router; });
}

#ifdef JORV_REMOTE_SCHEDULES
// The same over loopback gRPC: the router served by a RemoteServer, the stubs on a
// RemoteApiProvider.
TEST(ExactlyOnce, RandomSchedulesOverTheRemoteTransport) {
  std::unique_ptr<Jorv::Remote::RemoteServer> server;
  RunRandomSchedule(2000, 500, true,
                    [&server](const std::shared_ptr<Jorv::Core::InProcessApiProvider>& router)
                        -> std::shared_ptr<Jorv::Core::ApiProvider> {
                      std::list<BaseMessage> problems;
                      server = Jorv::Remote::RemoteServer::Start(router, {}, problems);
                      if (!server) ADD_FAILURE() << "no server";
                      return server ? Jorv::Remote::RemoteApiProvider::Create(server->Address(), {},
                                                                              problems)
                                    : nullptr;
                    });
}
#endif

}  // namespace
