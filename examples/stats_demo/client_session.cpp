#include "examples/stats_demo/client_session.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <list>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "stats/provider/stats_provider.h"

namespace StatsDemo {
namespace {

using Jorv::Data::ErrorValue;
using namespace Api;

// The counter charted at the end.
constexpr char kCpuOfAllCpus[] = "cpu.total.usage";

std::string Describe(const std::string& call, const std::shared_ptr<const ErrorValue>& error) {
  std::string text = call + " failed";
  if (!error) return text + " without an error value";
  text += ": " + error->GetName();
  for (const Jorv::BaseMessage& message : error->GetMessages()) {
    text += "\n  " + message.GetDefaultMessage();
  }
  return text;
}

// Makes a call through `invoke`, which is handed the result object, and waits for its one
// completion. Returns the output; throws CallFailed on an error.
template <class T, class Invoke>
T Await(const std::string& call, Invoke invoke) {
  using Outcome = std::pair<boost::optional<T>, std::shared_ptr<const ErrorValue>>;
  auto promise = std::make_shared<std::promise<Outcome>>();
  std::future<Outcome> future = promise->get_future();
  invoke(Jorv::AsyncResult<T>(
      [promise](const boost::optional<T>& output, const std::shared_ptr<const ErrorValue>& error,
                const Jorv::Progress&) { promise->set_value(Outcome(output, error)); }));
  const Outcome outcome = future.get();
  if (outcome.second || !outcome.first) throw CallFailed(Describe(call, outcome.second));
  return *outcome.first;
}

// Receives the reports of an attached stream on the provider's thread and hands them to the
// main thread one at a time. Reports that come after the session gave up on the stream find
// the inbox's state still alive.
class StreamInbox {
 public:
  using StreamResult = StreamSvc::AttachMethod::StreamResultCbType;

  struct Report {
    std::shared_ptr<const Result> item;  // null when the stream ended
    std::shared_ptr<const ErrorValue> error;
    StreamResult::Continuation next;  // how to ask for more; null when there is no more
  };

  // A stream result that puts its report into this inbox.
  StreamResult Receiver() {
    return StreamResult([state = state_](const boost::optional<std::shared_ptr<const Result>>& item,
                                         const std::shared_ptr<const ErrorValue>& error,
                                         const Jorv::Progress&, StreamResult::Continuation&& next) {
      std::lock_guard<std::mutex> lock(state->mutex);
      state->reports.push_back(Report{item ? *item : nullptr, error, std::move(next)});
      state->arrived.notify_one();
    });
  }

  // The next report, waiting for it at most `patience`.
  boost::optional<Report> Next(std::chrono::milliseconds patience) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    if (!state_->arrived.wait_for(lock, patience, [this] { return !state_->reports.empty(); })) {
      return boost::none;
    }
    Report report = std::move(state_->reports.front());
    state_->reports.pop_front();
    return report;
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Report> reports;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace

void RunSession(const std::shared_ptr<Jorv::Core::ApiProvider>& provider,
                const SessionOptions& options, SessionOutput& output) {
  auto api = std::make_shared<Jorv::Stub::AsyncApiStub>(provider);
  CountersSvc::AsyncServiceStub counters(api);
  QueriesSvc::AsyncServiceStub queries(api);
  StreamSvc::AsyncServiceStub stream(api);

  // 1. The counters, one filter per prefix (a counter passing any of them is listed).
  boost::optional<std::list<std::shared_ptr<const CountersSvc::Filter>>> filters;
  if (!options.prefixes.empty()) {
    filters.emplace();
    for (const std::string& prefix : options.prefixes) {
      auto filter = std::make_shared<CountersSvc::Filter>();
      filter->prefix = prefix;
      filters->push_back(filter);
    }
  }
  const auto listed = Await<std::shared_ptr<const CountersSvc::ListResult>>(
      "counters.list",
      [&](const auto& result) { counters.List(filters, boost::none, nullptr, result); });
  if (listed->registered.empty()) throw CallFailed("no counter matches the given prefixes");
  output.Counters(*listed);

  // 2. A query over every listed counter; each instance gets a handle of its own.
  auto spec = std::make_shared<QueriesSvc::CreateSpec>();
  spec->time_to_live = 60;  // seconds
  std::map<long long, std::string> handles;
  bool chartCpu = false;
  for (const auto& counter : listed->registered) {
    chartCpu = chartCpu || counter->id == kCpuOfAllCpus;
    auto instance = std::make_shared<CounterInstance>();
    instance->counter = counter->id;
    instance->chandle = static_cast<long long>(handles.size()) + 1;
    handles[instance->chandle] = counter->id;
    spec->instances.push_back(instance);
  }
  const std::string query =
      Await<std::shared_ptr<const QueriesSvc::CreateResult>>(
          "queries.create", [&](const auto& result) { queries.Create(spec, nullptr, result); })
          ->query;
  const ResultPrinter printer(*listed, handles);
  output.QueryCreated(query, printer);

  // Rates cover the time since the query was created; give them one interval.
  std::this_thread::sleep_for(std::chrono::milliseconds(options.intervalMs));
  const auto executed = Await<std::shared_ptr<const Result>>(
      "queries.execute", [&](const auto& result) { queries.Execute(query, nullptr, result); });
  output.Result(*executed, 0, options.samples);

  // 3. A stream of the query, pulled one result at a time.
  auto streamSpec = std::make_shared<StreamSvc::CreateSpec>();
  streamSpec->interval = options.intervalMs;
  Await<Jorv::Void>("stream.create",
                    [&](const auto& result) { stream.Create(query, streamSpec, nullptr, result); });
  auto attachSpec = std::make_shared<StreamSvc::AttachSpec>();
  attachSpec->client_id = "stats-demo";
  StreamInbox inbox;
  stream.Attach(query, attachSpec, nullptr, inbox.Receiver());

  const auto patience = std::chrono::milliseconds(options.intervalMs * 4 + 2000);
  std::vector<boost::optional<double>> cpuUse;
  for (long i = 1; i <= options.samples; ++i) {
    auto report = inbox.Next(patience);
    if (!report) throw CallFailed("stream.attach: no result within the expected time");
    if (report->error) throw CallFailed(Describe("stream.attach", report->error));
    if (!report->item) throw CallFailed("stream.attach: the stream ended early");
    output.Result(*report->item, i, options.samples);
    cpuUse.push_back(printer.Find(*report->item, kCpuOfAllCpus));
    if (!report->next) throw CallFailed("stream.attach: the stream offers no more results");
    // Ask for the next result, or stop after the last one we want.
    const bool more = i < options.samples;
    report->next(more ? Jorv::MakeOptionalPtr<StreamInbox::StreamResult>(inbox.Receiver())
                      : Jorv::OptionalPtr<StreamInbox::StreamResult>());
  }
  if (chartCpu) output.CpuChart(cpuUse);

  // 4. Clean up.
  Await<Jorv::Void>("stream.delete",
                    [&](const auto& result) { stream.Delete(query, nullptr, result); });
  Await<Jorv::Void>("queries.delete",
                    [&](const auto& result) { queries.Delete(query, nullptr, result); });
  output.Deleted(query);
}

}  // namespace StatsDemo
