// Many calls through a transport, each completed by the provider in a way drawn at random (at
// once, later by the test's scheduler, on a thread of its own, with a declared error, after
// progress reports, by throwing), checked for exactly one completion per call, one report per
// stream item, exactly one end per stream, nothing after the end, and no object left alive. The
// seed is printed; SCHEDULE_SEED=<n> replays a schedule.

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <iostream>
#include <list>
#include <memory>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "framework/core/in_process_transport.h"
#ifdef JORV_REMOTE_SCHEDULES
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"
#endif
#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"
#include "stats/provider/stats_provider.h"
#include "support/service_client.h"

namespace {

using namespace Com::Zentak::Stats::Provider;
using Jorv::BaseMessage;
using Jorv::OptionalPtr;
using Jorv::Progress;
using Jorv::Core::AsyncActivation;
using Jorv::Data::ErrorValue;
using Jorv::Testing::Summary;
using StreamResult = StreamSvc::AttachMethod::StreamResultCbType;

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";

// When the provider makes a report: at once, held back until the test runs it at a random
// point, or on a thread of its own, concurrently with the test.
enum class When { kAtOnce, kLater, kOnThread };

// How the provider answers a single-result call.
enum class What {
  kOutput,          // the output
  kDeclaredError,   // not_found, which every method driven here declares
  kProgress,        // progress reports, then the output
  kThrow,           // throws from the operation, the result untouched
  kHandOffAndThrow  // hands the result to `when`, which completes it, then throws
};

// One call as planned, and what the client saw of it: a Get (a record output), a Delete (no
// output) or an Attach (a stream).
struct Call {
  int id = 0;
  enum { kGet, kDelete, kAttach } method = kGet;
  // A single-result call: when and how the provider answers; whether the client throws on
  // progress.
  When when = When::kAtOnce;
  What what = What::kOutput;
  int progressReports = 0;
  bool clientThrowsOnProgress = false;
  // A stream: the items the provider reports before its end (0 shutdown, 1 declared error, 2 one
  // more item as the last one), each report when reportWhen says; the client stops after item
  // stopAfter (-1 never) and asks for each next item at once or later.
  int items = 0;
  int ending = 0;
  int stopAfter = -1;
  bool throwOnAttach = false;
  std::vector<When> reportWhen;
  std::vector<bool> asksLater;

  std::mutex mutex;
  // "progress N/M", "output", "item N", "end", an error's Summary(), and "stopped" when the
  // provider learns that the client stopped the stream.
  std::vector<std::string> seen;

  void See(std::string report) {
    std::lock_guard<std::mutex> lock(mutex);
    seen.push_back(std::move(report));
  }
};

// Everything one run shares: the plans, the schedule, and what must not outlive the run.
class World {
 public:
  using Task = std::function<void()>;

  explicit World(std::uint32_t seed) : random_(seed) {}

  Call& CallOf(const std::shared_ptr<AsyncActivation>& activation) {
    return calls.at(std::stoul(activation->context->applicationContext.at("call")));
  }
  // Runs `task` when `when` says. Any thread.
  void At(When when, Task task) {
    if (when == When::kAtOnce) return task();
    std::lock_guard<std::mutex> lock(mutex_);
    if (when == When::kLater) return later_.push_back(std::move(task));
    ++running_;
    std::thread([this, task = std::move(task)]() mutable {
      task();
      task = nullptr;  // what the task held goes before it counts as done
      std::lock_guard<std::mutex> lock(mutex_);
      --running_;
    }).detach();
  }
  // Runs one held-back task, picked at random, on the calling thread; false when none waits.
  bool RunOneLater() {
    Task task;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (later_.empty()) return false;
      std::swap(later_[std::uniform_int_distribution<std::size_t>(0, later_.size() - 1)(random_)],
                later_.back());
      task = std::move(later_.back());
      later_.pop_back();
    }
    task();
    return true;
  }
  // Whether a task waits or runs on a thread of its own.
  bool Busy() {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_ > 0 || !later_.empty();
  }
  // Keeps track of `object`, a result object the provider holds.
  void Watch(const std::shared_ptr<const void>& object) {
    std::lock_guard<std::mutex> lock(mutex_);
    resultObjects_.push_back(object);
  }
  int LiveResultObjects() {
    std::lock_guard<std::mutex> lock(mutex_);
    int live = 0;
    for (const auto& object : resultObjects_) live += object.expired() ? 0 : 1;
    return live;
  }

  std::deque<Call> calls;
  // A copy in each client callback and in each continuation the provider hands out.
  std::shared_ptr<int> census = std::make_shared<int>();

 private:
  std::mutex mutex_;
  std::mt19937 random_;
  std::vector<Task> later_;
  int running_ = 0;
  std::vector<std::weak_ptr<const void>> resultObjects_;
};

std::shared_ptr<const ErrorValue> NotFound(int id) {
  return ErrorValue::Create(
      kNotFound, {BaseMessage("stats.query.unknown", "No query {1}.", {std::to_string(id)})});
}

// Answers a single-result call as its plan says; `output` is the native output.
template <class ResultObject, class Output>
void Answer(World& world, Call& call, const ResultObject& result, Output output) {
  auto held = std::make_shared<ResultObject>(result);
  world.Watch(held);
  auto complete = [&call, held, output] {
    for (int i = 0; i < (call.what == What::kProgress ? call.progressReports : 0); ++i)
      held->ReportProgress(Progress{0, i, call.progressReports});
    if (call.what == What::kDeclaredError) {
      held->error(NotFound(call.id));
    } else {
      (*held)(output);
    }
  };
  if (call.what == What::kThrow) throw std::runtime_error("store offline");
  if (call.what != What::kHandOffAndThrow) return world.At(call.when, complete);
  world.At(call.when, [complete] {
    try {
      complete();
    } catch (const std::bad_function_call&) {
      // The transport answered the throw first: this completion finds the call spent.
    }
  });
  throw std::runtime_error("after hand-off");
}

class Streams : public StreamSvc::AsyncServiceInterface {
 public:
  explicit Streams(World* world) : world_(*world) {}
  void Create(const std::string&, const std::shared_ptr<const StreamSvc::CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const StreamSvc::CreateMethod::ResultCbType&) override {}
  void Get(const std::string&, const std::shared_ptr<AsyncActivation>& activation,
           const StreamSvc::GetMethod::ResultCbType& result) override {
    Call& call = world_.CallOf(activation);
    auto info = std::make_shared<StreamSvc::Info>();
    info->interval = call.id;
    Answer(world_, call, result, std::shared_ptr<const StreamSvc::Info>(info));
  }
  void Update(const std::string&, const std::shared_ptr<const StreamSvc::UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const StreamSvc::UpdateMethod::ResultCbType&) override {}
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>& activation,
              const StreamSvc::DeleteMethod::ResultCbType& result) override {
    Answer(world_, world_.CallOf(activation), result, Jorv::Void());
  }
  void Attach(const std::string&, const std::shared_ptr<const StreamSvc::AttachSpec>&,
              const std::shared_ptr<AsyncActivation>& activation,
              const StreamResult& result) override {
    Call& call = world_.CallOf(activation);
    if (call.throwOnAttach) throw std::runtime_error("cannot attach");
    Serve(call, 0, std::make_shared<StreamResult>(result));
  }

 private:
  // Makes report `index` of the stream `call` to `result`, when the plan says.
  void Serve(Call& call, int index, OptionalPtr<StreamResult> result) {
    world_.Watch(result);
    world_.At(call.reportWhen.at(index), [this, &call, index, result] {
      auto item = std::make_shared<Result>();
      item->timestamp = Jorv::DateTime::FromMillisSinceEpoch(index);
      if (index < call.items) {
        (*result)(item,
                  [this, &call, index, token = world_.census](OptionalPtr<StreamResult> next) {
                    if (!next) return call.See("stopped");
                    Serve(call, index + 1, std::move(next));
                  });
      } else if (call.ending == 0) {
        result->shutdown();
      } else if (call.ending == 1) {
        result->error(NotFound(call.id));
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
  return Jorv::AsyncResult<T>(
      [&call, check, token = world.census](const boost::optional<T>& output,
                                           const std::shared_ptr<const ErrorValue>& error,
                                           const Progress& progress) {
        if (!output && !error && !progress.IsFinished()) {
          call.See("progress " + std::to_string(progress.current) + "/" +
                   std::to_string(progress.maximum));
          if (call.clientThrowsOnProgress) throw std::runtime_error("client gave up");
          return;
        }
        call.See(error ? Summary(error) : check(output) ? "output" : "wrong output");
      });
}

// The client's receiver of one stream report: records it, then asks for the next report (at
// once or later) or stops, as the plan says.
StreamResult StreamReceiver(World& world, Call& call) {
  return StreamResult([&world, &call, token = world.census](
                          const boost::optional<std::shared_ptr<const Result>>& item,
                          const std::shared_ptr<const ErrorValue>& error, const Progress&,
                          StreamResult::Continuation&& next) {
    if (!item) return call.See(error ? Summary(error) : "end");
    const long long index = (*item)->timestamp.MillisSinceEpoch();
    call.See("item " + std::to_string(index));
    const bool stop = call.stopAfter == index;
    world.At(call.asksLater.at(index) ? When::kLater : When::kAtOnce,
             [&world, &call, stop, next = std::move(next)] {
               next(stop ? nullptr : std::make_shared<StreamResult>(StreamReceiver(world, call)));
             });
  });
}

// What the client of `call` should see when `concurrent` providers race the test.
std::vector<std::string> Expected(const Call& call, bool concurrent) {
  const std::string notFound =
      std::string(kNotFound) + " stats.query.unknown(" + std::to_string(call.id) + ")";
  const char* methods[] = {"get", "delete", "attach"};
  const auto failed = [&](const char* what) {
    return std::string(Jorv::Std::kInternalServerError) + " " + Jorv::MessageIds::kMethodFailed +
           "(" + StreamSvc::AsyncServiceInterface::kTypeName + "/" + methods[call.method] + ", " +
           what + ")";
  };
  std::vector<std::string> seen;
  if (call.method == Call::kAttach) {
    const int delivered = call.throwOnAttach ? 0 : call.items + (call.ending == 2 ? 1 : 0);
    const bool stopped = call.stopAfter >= 0 && call.stopAfter < delivered;
    for (int i = 0; i < (stopped ? call.stopAfter + 1 : delivered); ++i)
      seen.push_back("item " + std::to_string(i));
    if (stopped && call.stopAfter < call.items) seen.push_back("stopped");
    if (!stopped)
      seen.push_back(call.throwOnAttach ? failed("cannot attach")
                     : call.ending == 1 ? notFound
                                        : "end");
    return seen;
  }
  for (int i = 0; call.what == What::kProgress && i < call.progressReports; ++i)
    seen.push_back("progress " + std::to_string(i) + "/" + std::to_string(call.progressReports));
  // At once a hand-off's output comes before the throw, later it comes after; on a thread
  // whichever comes first wins, and so it does later when the provider runs on the transport's
  // threads while the test runs held-back work.
  const bool outputFirst =
      call.when == When::kAtOnce ||
      ((call.when == When::kOnThread || (concurrent && call.when == When::kLater)) &&
       call.seen == std::vector<std::string>{"output"});
  seen.push_back(call.what == What::kDeclaredError                     ? notFound
                 : call.what == What::kThrow                           ? failed("store offline")
                 : call.what == What::kHandOffAndThrow && !outputFirst ? failed("after hand-off")
                                                                       : "output");
  return seen;
}

// Plans `count` calls, runs them through the transport that `client` makes of
// the in-process router, and checks each came out exactly once. A `concurrent` transport
// delivers on threads of its own: the run waits (at most a minute) until nothing of any call is
// left alive.
void RunRandomSchedule(int count, bool concurrent,
                       const std::function<std::shared_ptr<Jorv::Core::ApiProvider>(
                           const std::shared_ptr<Jorv::Core::InProcessApiProvider>&)>& client) {
  const char* seedText = std::getenv("SCHEDULE_SEED");
  const std::uint32_t seed = seedText && *seedText ? std::stoul(seedText) : 20261206;
  std::cout << "schedule seed " << seed << " (SCHEDULE_SEED=" << seed << " replays it)\n";
  ::testing::Test::RecordProperty("schedule_seed", std::to_string(seed));

  World world(seed);
  std::mt19937 random(seed);
  const auto pick = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  auto streams = std::make_shared<Streams>(&world);
  const std::weak_ptr<Streams> streamsAlive = streams;
  transport->Publish(StreamSvc::AsyncServiceBinder::BindImplementation(std::move(streams)));
  StreamSvc::AsyncServiceStub stub(std::make_shared<Jorv::Stub::AsyncApiStub>(client(transport)));

  for (int i = 0; i < count; ++i) {
    Call& call = world.calls.emplace_back();
    call.id = i;
    call.method = pick(5) == 0 ? Call::kAttach : pick(2) == 0 ? Call::kGet : Call::kDelete;
    call.when = static_cast<When>(pick(3));
    call.what = static_cast<What>(pick(5));
    call.progressReports = 1 + pick(3);
    call.clientThrowsOnProgress = call.what == What::kProgress && pick(2) == 0;
    call.items = pick(5);
    call.ending = pick(3);
    call.throwOnAttach = pick(10) == 0;
    call.stopAfter = pick(3) == 0 ? pick(call.items + 1) : -1;
    for (int r = 0; r <= call.items; ++r) call.reportWhen.push_back(static_cast<When>(pick(3)));
    for (int r = 0; r <= call.items + 1; ++r) call.asksLater.push_back(pick(2) == 0);
  }

  // Start every call, running held-back work in between.
  for (Call& call : world.calls) {
    auto activation = std::make_shared<AsyncActivation>();
    activation->context->applicationContext["call"] = std::to_string(call.id);
    if (call.method == Call::kAttach) {
      stub.Attach("q", std::make_shared<StreamSvc::AttachSpec>(), activation,
                  StreamReceiver(world, call));
    } else if (call.method == Call::kGet) {
      stub.Get("q", activation,
               Recorder<std::shared_ptr<const StreamSvc::Info>>(world, call, [&call](auto& info) {
                 return info && *info && (*info)->interval == call.id;
               }));
    } else {
      stub.Delete("q", activation,
                  Recorder<Jorv::Void>(world, call, [](auto& output) { return bool(output); }));
    }
    for (int k = pick(3); k > 0; --k) world.RunOneLater();
  }
  // A client callback lives until its call has ended; the last references of a remote call go
  // shortly after its last report. Tasks run until then, including those that running ones add.
  const auto patience = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (std::chrono::steady_clock::now() < patience) {
    const bool alive = world.census.use_count() > 1;
    if (world.RunOneLater()) continue;
    if (!alive && !world.Busy()) break;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }

  for (Call& call : world.calls) {
    EXPECT_EQ(call.seen, Expected(call, concurrent)) << "call " << call.id;
    if (::testing::Test::HasFailure()) break;  // the rest would only repeat it
  }

  // Nothing outlives the calls: result objects, client callbacks, continuations.
  EXPECT_EQ(world.LiveResultObjects(), 0);
  EXPECT_EQ(world.census.use_count(), 1);
  // The server lets go of a call's objects shortly after its last report.
  transport->Unpublish(StreamSvc::AsyncServiceInterface::kTypeName);
  while (!streamsAlive.expired() && std::chrono::steady_clock::now() < patience)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_TRUE(streamsAlive.expired());
}

TEST(ExactlyOnce, RandomSchedulesOfUnaryCallsAndStreams) {
  RunRandomSchedule(5000, false, [](const auto& router) { return router; });
}

#ifdef JORV_REMOTE_SCHEDULES
// The same over loopback gRPC: the router served by a RemoteServer, the stubs on a
// RemoteApiProvider.
TEST(ExactlyOnce, RandomSchedulesOverTheRemoteTransport) {
  std::unique_ptr<Jorv::Remote::RemoteServer> server;
  std::list<BaseMessage> problems;
  RunRandomSchedule(2500, true, [&](const auto& router) {
    server = Jorv::Remote::RemoteServer::Start(router, {}, problems);
    EXPECT_TRUE(server);  // a run without one ends at the first call
    return Jorv::Remote::RemoteApiProvider::Create(server->Address(), {}, problems);
  });
}
#endif

}  // namespace
