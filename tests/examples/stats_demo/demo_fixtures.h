#pragma once
// What the host-statistics tests share: a fake /proc with a clock moved by hand, calls through
// the services' stubs awaited, the reports a stream attachment received, and a provider
// decorator that records what reaches the provider.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>

#include "examples/stats_demo/host_stats.h"
#include "framework/core/api_provider.h"
#include "framework/core/api_stub.h"
#include "support/awaited_reports.h"
#include "support/service_client.h"

namespace StatsDemo {
namespace Testing {

// A temporary directory with the four files the provider reads (two CPUs, lo and eth0),
// rewritten at will.
class ProcFixture {
 public:
  ProcFixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "stats-demo-XXXXXX").string();
    root_ = ::mkdtemp(&pattern[0]) ? pattern : std::string();
    std::filesystem::create_directories(root_ + "/net");
    Write("stat",
          "cpu  100 0 100 700 100 0 0 0 0 0\ncpu0 50 0 50 350 50 0 0 0 0 0\n"
          "cpu1 50 0 50 350 50 0 0 0 0 0\nintr 12345 0 0\nctxt 99\n");
    Write("meminfo", "MemTotal: 16318480 kB\nMemFree: 1000000 kB\nMemAvailable: 8000000 kB\n");
    Write("loadavg", "0.52 0.58 0.59 2/1234 56789\n");
    Write("net/dev",
          "Inter-|   Receive    |  Transmit\n face |bytes    packets|bytes    packets\n"
          "    lo:    1000 10 0 0 0 0 0 0     1000 10 0 0 0 0 0 0\n"
          "  eth0: 5000000 4000 0 0 0 0 0 0 200000 1500 0 0 0 0 0 0\n");
  }
  ~ProcFixture() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // Replaces the file `name` (relative to the root) by `text`.
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(root_ + "/" + name, std::ios::trunc) << text;
  }
  const std::string& root() const { return root_; }

  // Options reading this directory, with both clocks at `*millis`.
  HostStatsOptions Options(std::shared_ptr<std::int64_t> millis) const {
    HostStatsOptions options;
    options.procRoot = root_;
    options.monotonicMillis = [millis] { return *millis; };
    options.wallClock = [millis] { return ::Jorv::DateTime::FromMillisSinceEpoch(*millis); };
    return options;
  }

 private:
  std::string root_;
};

// Instances and create specs of queries.
using Instances = std::list<std::shared_ptr<const Api::CounterInstance>>;

inline std::shared_ptr<const Api::CounterInstance> Instance(
    const std::string& counter, long long chandle,
    std::map<std::string, std::string> resources = {}, boost::optional<long long> edition = {}) {
  auto instance = std::make_shared<Api::CounterInstance>();
  instance->counter = counter;
  instance->chandle = chandle;
  instance->resource_ids = std::move(resources);
  instance->edition = edition;
  return instance;
}

inline std::shared_ptr<Api::QueriesSvc::CreateSpec> Spec(long long timeToLive,
                                                         Instances instances) {
  auto spec = std::make_shared<Api::QueriesSvc::CreateSpec>();
  spec->time_to_live = timeToLive;
  spec->instances = std::move(instances);
  return spec;
}

// The output type of a result object type, in unevaluated contexts.
template <class T, class Policy>
T OutputOf(const ::Jorv::AsyncResult<T, Policy>*);

// What the one completion of `method` of a stub of `api`, called with `args`, received; waits
// for it at most 10 s.
template <class Stub, class... Params, class... Args>
auto Call(const std::shared_ptr<::Jorv::Stub::AsyncApiStub>& api, void (Stub::*method)(Params...),
          const Args&... args) {
  using Result = std::decay_t<std::tuple_element_t<sizeof...(Params) - 1, std::tuple<Params...>>>;
  using T = decltype(OutputOf(static_cast<const Result*>(nullptr)));
  auto reports = std::make_shared<::Jorv::Testing::AwaitedReports<::Jorv::Testing::Received<T>>>();
  Stub stub(api);
  (stub.*method)(args..., nullptr,
                 Result([reports](const boost::optional<T>& output,
                                  const std::shared_ptr<const ::Jorv::Data::ErrorValue>& error,
                                  const ::Jorv::Progress& progress) {
                   reports->Add({false, output, error, boost::none, progress});
                 }));
  const auto received = reports->Await(1);
  EXPECT_EQ(received.progress, ::Jorv::Progress::Completion());
  EXPECT_EQ(reports->Count(), 1u);
  return received;
}

using StreamResult = Api::StreamSvc::AttachMethod::StreamResultCbType;

// One report of a stream attachment: a result, or its end (no result) with or without an error.
struct Report {
  std::shared_ptr<const Api::Result> item;
  std::shared_ptr<const ::Jorv::Data::ErrorValue> error;
  StreamResult::Continuation next;
};
using Reports = ::Jorv::Testing::AwaitedReports<Report>;

// A stream result object that adds every report it receives to `reports`.
inline StreamResult Into(const std::shared_ptr<Reports>& reports) {
  return StreamResult([reports](const boost::optional<std::shared_ptr<const Api::Result>>& item,
                                const std::shared_ptr<const ::Jorv::Data::ErrorValue>& error,
                                const ::Jorv::Progress&, StreamResult::Continuation&& next) {
    reports->Add(Report{item ? *item : nullptr, error, std::move(next)});
  });
}

// Forwards calls to `inner`, recording each attach call once the provider has taken it and each
// stop (a continuation called with null) that reached the provider.
class Spy : public ::Jorv::Core::ApiProvider {
 public:
  using Callback = ::Jorv::Core::AsyncApiResultCb;

  explicit Spy(std::shared_ptr<::Jorv::Core::ApiProvider> inner) : inner_(std::move(inner)) {}

  void InvokeAsync(const std::shared_ptr<const ::Jorv::Core::MethodIdentifier>& method,
                   const ::Jorv::Data::DataValuePtr& input,
                   const std::shared_ptr<::Jorv::Core::AsyncActivation>& activation,
                   const Callback& callback) override {
    inner_->InvokeAsync(method, input, activation, Counting(callback, stops));
    if (method->GetName() == "attach") attaches->Add(true);
  }

  using Events = ::Jorv::Testing::AwaitedReports<bool>;
  const std::shared_ptr<Events> attaches = std::make_shared<Events>();
  const std::shared_ptr<Events> stops = std::make_shared<Events>();

 private:
  // `callback`, with every continuation it is handed recording the stops made through it.
  static Callback Counting(Callback callback, std::shared_ptr<Events> to) {
    return Callback([callback, to](const std::shared_ptr<const ::Jorv::Core::MethodResult>& result,
                                   const ::Jorv::Progress& progress,
                                   Callback::Continuation&& next) {
      Callback::Continuation counted;
      if (next) {
        counted = [next, to](std::shared_ptr<Callback> receiver) {
          if (!receiver) {
            to->Add(true);
            return next(nullptr);
          }
          next(std::make_shared<Callback>(Counting(*receiver, to)));
        };
      }
      callback(result, progress, std::move(counted));
    });
  }

  std::shared_ptr<::Jorv::Core::ApiProvider> inner_;
};

}  // namespace Testing
}  // namespace StatsDemo
