// stats-demo: serves the statistics of this machine through the host-statistics provider and
// reads them back as a client would, end to end through stubs, the in-process transport and
// the published services:
//
//   1. list the counters (optionally only those starting with given prefixes),
//   2. create a query over them and execute it once,
//   3. create a stream for the query, attach, and pull a few results at a short interval,
//   4. stop, delete the stream and the query.
//
// Every call is checked; the first that fails ends the program with its error.

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <future>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "examples/stats_demo/host_stats_provider.h"
#include "examples/stats_demo/report.h"
#include "framework/core/in_process_transport.h"
#include "stats/provider/stats_provider.h"

namespace {

using namespace Com::Zentak::Stats::Provider;
using Jorv::Data::ErrorValue;

constexpr char kUsage[] =
    "usage: stats-demo [--samples N] [--interval-ms MS] [--counters PREFIX...] [--help]\n"
    "  --samples N         results to pull from the stream (1-1000, default 5)\n"
    "  --interval-ms MS    milliseconds between results (1-60000, default 500)\n"
    "  --counters PREFIX   only counters whose identifier starts with one of the prefixes,\n"
    "                      for example: --counters cpu. mem.\n";

// The counter charted at the end.
constexpr char kCpuOfAllCpus[] = "cpu.total.usage";

struct Options {
  long samples = 5;
  long intervalMs = 500;
  std::vector<std::string> prefixes;
  bool help = false;
};

// --- Command line ------------------------------------------------------------------------

bool ParseNumber(const std::string& text, long low, long high, long& number) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < low || value > high) return false;
  number = value;
  return true;
}

// The options, or an explanation of what is wrong with them.
bool ParseOptions(int argc, char** argv, Options& options, std::string& problem) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--samples") {
      if (!hasValue || !ParseNumber(args[++i], 1, 1000, options.samples)) {
        problem = "--samples needs a number from 1 to 1000";
        return false;
      }
    } else if (arg == "--interval-ms") {
      if (!hasValue || !ParseNumber(args[++i], 1, 60000, options.intervalMs)) {
        problem = "--interval-ms needs a number of milliseconds from 1 to 60000";
        return false;
      }
    } else if (arg == "--counters") {
      while (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0) {
        options.prefixes.push_back(args[++i]);
      }
      if (options.prefixes.empty()) {
        problem = "--counters needs at least one counter-id prefix";
        return false;
      }
    } else {
      problem = "unknown option '" + arg + "'";
      return false;
    }
  }
  return true;
}

// --- Calls ------------------------------------------------------------------------------

// A call that completed with an error, or without the output it promised.
struct CallFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

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
// main thread one at a time.
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
    return StreamResult([this](const boost::optional<std::shared_ptr<const Result>>& item,
                               const std::shared_ptr<const ErrorValue>& error,
                               const Jorv::Progress&, StreamResult::Continuation&& next) {
      std::lock_guard<std::mutex> lock(mutex_);
      reports_.push_back(Report{item ? *item : nullptr, error, std::move(next)});
      arrived_.notify_one();
    });
  }

  // The next report, waiting for it at most `patience`.
  boost::optional<Report> Next(std::chrono::milliseconds patience) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_for(lock, patience, [this] { return !reports_.empty(); })) {
      return boost::none;
    }
    Report report = std::move(reports_.front());
    reports_.pop_front();
    return report;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<Report> reports_;
};

// --- The demo ---------------------------------------------------------------------------

void RunDemo(const Options& options) {
  // The provider and the transport; the client reaches the provider only through the stubs.
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  StatsDemo::HostStatsProvider provider;
  provider.PublishOn(*transport);
  auto api = std::make_shared<Jorv::Stub::AsyncApiStub>(transport);
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
  std::cout << "Counters of this host (" << listed->registered.size() << "):\n";
  StatsDemo::PrintCounters(std::cout, *listed);

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
  std::cout << "\nCreated query " << query << ".\n";
  const StatsDemo::ResultPrinter printer(*listed, handles);

  // Rates cover the time since the query was created; give them one interval.
  std::this_thread::sleep_for(std::chrono::milliseconds(options.intervalMs));
  const auto executed = Await<std::shared_ptr<const Result>>(
      "queries.execute", [&](const auto& result) { queries.Execute(query, nullptr, result); });
  std::cout << "\nExecuted once:\n";
  printer.Print(std::cout, *executed);

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
    std::cout << "\nStream result " << i << " of " << options.samples << ":\n";
    printer.Print(std::cout, *report->item);
    cpuUse.push_back(printer.Find(*report->item, kCpuOfAllCpus));
    if (!report->next) throw CallFailed("stream.attach: the stream offers no more results");
    // Ask for the next result, or stop after the last one we want.
    const bool more = i < options.samples;
    report->next(more ? Jorv::MakeOptionalPtr<StreamInbox::StreamResult>(inbox.Receiver())
                      : Jorv::OptionalPtr<StreamInbox::StreamResult>());
  }
  if (chartCpu) {
    std::cout << "\n";
    StatsDemo::PrintPercentChart(std::cout, "CPU use of all CPUs, per stream result:", cpuUse);
  }

  // 4. Clean up.
  Await<Jorv::Void>("stream.delete",
                    [&](const auto& result) { stream.Delete(query, nullptr, result); });
  Await<Jorv::Void>("queries.delete",
                    [&](const auto& result) { queries.Delete(query, nullptr, result); });
  std::cout << "\nDeleted the stream and query " << query << ".\n";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string problem;
  if (!ParseOptions(argc, argv, options, problem)) {
    std::cerr << "stats-demo: " << problem << "\n" << kUsage;
    return 2;
  }
  if (options.help) {
    std::cout << kUsage;
    return 0;
  }
  try {
    RunDemo(options);
  } catch (const CallFailed& failure) {
    std::cerr << "stats-demo: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}
