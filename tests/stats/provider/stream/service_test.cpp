// The Stream service end to end: its stub, the in-process transport, the interface the binder
// publishes, signal with validation, filters, a test provider, and back. Its unary methods stand
// for every unary method of the bindings (they differ only in their descriptors, which
// records_test.cpp states); attach delivers one Result per request. Last, the client's stream
// result wrapper driven directly with the deliveries the framework can make.

#include "stats/provider/stream/service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/in_process_transport.h"
#include "framework/stub/async_stream_method_invoker.h"
#include "support/service_client.h"
#include "support/small_stack.h"
#include "support/values.h"

namespace {

using namespace Com::Zentak::Stats::Provider::StreamSvc;
using Com::Zentak::Stats::Provider::Result;
using Jorv::OptionalPtr;
using Jorv::Progress;
using Jorv::Core::AsyncApiResultCb;
using Jorv::Core::MethodResult;
using Jorv::Data::ErrorValue;
using Jorv::Data::NativeError;
using Jorv::Testing::Summary;
using Item = std::shared_ptr<const Result>;
using StreamResult = AttachMethod::StreamResultCbType;
using Continuation = StreamResult::Continuation;
using GetResult = GetMethod::ResultCbType;

constexpr Progress kCompletion{0, 1, 1};
constexpr Progress kPartway{0, 3, 7};
constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
const std::string kInternal = "com.zentak.jorv.std.errors.internal_server_error ";

NativeError QueryNotFound() {
  return NativeError{kNotFound, {Jorv::BaseMessage("stats.query.unknown", "No query q1.", {"q1"})}};
}

// Counts the live objects it owns and the most that were alive at once.
struct Census {
  template <class T>
  std::shared_ptr<T> Own(T* object) {
    peak = std::max(peak, ++live);
    return std::shared_ptr<T>(object, [this](T* p) {
      delete p;
      --live;
    });
  }
  int live = 0;
  int peak = 0;
};

// The provider. Get ends as `get` says; Delete ends with a final progress report and no value.
// Attach reports `items` items one per request, each Result{q1, timestamp = its index},
// answering each request at once from inside its continuation, then ends as `end` says.
// The activations of Get and Attach are kept.
class Provider : public AsyncServiceInterface {
 public:
  void Create(const std::string&, const std::shared_ptr<const CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&, const CreateMethod::ResultCbType&) override {
  }
  void Get(const std::string&, const std::shared_ptr<AsyncActivation>& activation,
           const GetResult& result) override {
    activations.push_back(activation);
    get(result);
  }
  void Update(const std::string&, const std::shared_ptr<const UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&, const UpdateMethod::ResultCbType&) override {
  }
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>&,
              const DeleteMethod::ResultCbType& result) override {
    result.ReportProgress({0, 3, 3});
  }
  void Attach(const std::string& query, const std::shared_ptr<const AttachSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const StreamResult& result) override {
    attached.push_back(query + " " + spec->client_id);
    activations.push_back(activation);
    Serve(result);
  }

  std::function<void(const GetResult&)> get;
  long items = 0;
  std::function<void(Provider&, const StreamResult&)> end = [](Provider&, const StreamResult& r) {
    r.shutdown();
  };
  std::vector<std::string> attached;
  std::vector<std::shared_ptr<AsyncActivation>> activations;
  long sent = 0;
  int requests = 0;
  int stops = 0;
  Census itemCensus;
  Census continuationCensus;

  void Serve(const StreamResult& result) {
    const long i = sent++;
    if (i < items) return result(NewItem(i), NextFor(i));
    end(*this, result);
  }
  Item NewItem(long i) {
    auto* item = new Result();
    item->query = "q1";
    item->timestamp = Jorv::DateTime::FromMillisSinceEpoch(i);
    return itemCensus.Own<const Result>(item);
  }
  Continuation NextFor(long i) {
    auto marker = continuationCensus.Own(new long(i));
    return [this, marker](OptionalPtr<StreamResult> next) {
      ++(next ? requests : stops);
      if (next) Serve(*next);
    };
  }
};

// The client of attach: its stream results record each report in one line and keep the
// continuation in `pending`; with `pullAtOnce` it asks for the next report from inside its
// callback. A line is "item <timestamp>", "null item" or "no item", then the error's Summary(),
// then "native" when a native error came too, "partway" unless the progress is the completion,
// and "next" when a continuation came.
class StreamClient {
 public:
  StreamResult Receiver() {
    auto token = callbacks.Own(new int(0));
    return StreamResult::FromLongForm([this, token](const boost::optional<Item>& item,
                                                    const std::shared_ptr<const ErrorValue>& error,
                                                    const boost::optional<NativeError>& native,
                                                    const Progress& progress, Continuation&& next) {
      std::string line = !item   ? "no item"
                         : *item ? "item " + std::to_string((*item)->timestamp.MillisSinceEpoch())
                                 : "null item";
      line += " " + Summary(error) + (native ? " native" : "");
      line += std::string(progress != kCompletion ? " partway" : "") + (next ? " next" : "");
      reports.push_back(line);
      pending = std::move(next);
      if (pullAtOnce && pending) Ask();
    });
  }
  void Ask() {
    if (!pending) ADD_FAILURE() << "no continuation to call";
    std::exchange(pending, nullptr)(Jorv::MakeOptionalPtr<StreamResult>(Receiver()));
  }

  bool pullAtOnce = false;
  std::vector<std::string> reports;
  Continuation pending;
  Census callbacks;
};

using Lines = std::vector<std::string>;
const std::string kEnd = "no item none";

class StreamService : public testing::Test {
 protected:
  StreamService() { transport->Publish(AsyncServiceBinder::BindImplementation(provider)); }
  void Start(const std::shared_ptr<AsyncActivation>& activation = nullptr) {
    auto spec = std::make_shared<AttachSpec>();
    spec->client_id = "client-7";
    stub.Attach("q1", spec, activation, client.Receiver());
  }

  StreamClient client;
  std::shared_ptr<Provider> provider = std::make_shared<Provider>();
  std::shared_ptr<Jorv::Core::InProcessApiProvider> transport =
      std::make_shared<Jorv::Core::InProcessApiProvider>();
  AsyncServiceStub stub{std::make_shared<Jorv::Stub::AsyncApiStub>(transport)};
};

TEST_F(StreamService, AUnaryCallEndsWithItsOutputOrOneErrorAfterItsProgressReports) {
  provider->get = [](const GetResult& r) {
    r.ReportProgress({0, 0, 2});
    // The client's result completes with the completion progress whatever came with it.
    r.Complete(std::make_shared<const Info>(), nullptr, boost::none, {0, 2, 2});
  };
  Jorv::Testing::Client<std::shared_ptr<const Info>> got;
  stub.Get("q1", nullptr, got.LongResult());
  ASSERT_EQ(got.calls.size(), 2u);
  EXPECT_TRUE(!got.calls[0].output && !got.calls[0].error &&
              got.calls[0].progress == (Progress{0, 0, 2}));
  EXPECT_TRUE(got.calls[1].output && !got.calls[1].error && !got.calls[1].nativeError &&
              got.calls[1].progress == kCompletion);

  // Ending without the owed output, or with a null record, is the provider's fault.
  const std::string missing = kInternal + "jorv.provider.error.missing(get)";
  const auto finalProgressOnly = [](const GetResult& r) { r.ReportProgress({0, 2, 2}); };
  const std::pair<std::function<void(const GetResult&)>, std::string> endings[] = {
      {[](const GetResult& r) { r.error(nullptr); }, missing},
      {finalProgressOnly, missing},
      {[](const GetResult& r) { r(nullptr); },
       kInternal + "jorv.data.unset.non.optional.field(com.zentak.stats.provider.stream.info)"},
  };
  for (const auto& [ending, expected] : endings) {
    SCOPED_TRACE(expected);
    provider->get = ending;
    Jorv::Testing::Client<std::shared_ptr<const Info>> failed;
    stub.Get("q1", nullptr, failed.Result());
    EXPECT_EQ(failed.ErrorText(), expected);
  }
  // A void method may end without a value.
  Jorv::Testing::Client<Jorv::Void> removed;
  stub.Delete("q1", nullptr, removed.Result());
  EXPECT_EQ(removed.ErrorText(), "none");
}

TEST_F(StreamService, InputsThatDoNotConformAreRefusedBeforeTheProvider) {
  // The stub refuses what it cannot convert before anything is sent, and lets go of the refused
  // result's callback.
  stub.Attach("q1", nullptr, nullptr, client.Receiver());
  EXPECT_EQ(
      client.reports,
      Lines{"no item com.zentak.jorv.std.errors.invalid_argument "
            "jorv.data.unset.non.optional.field(com.zentak.stats.provider.stream.attach_spec)"});
  EXPECT_EQ(client.callbacks.live, 0) << "the refused result still holds its callback";

  // The published method's signal validates what it is handed. An empty text reads as the
  // default input, whose required spec would be null.
  std::string refused;
  AsyncServiceBinder::BindImplementation(provider)->FindMethod("create")->Invoke(
      Jorv::Testing::Str(""), nullptr,
      AsyncApiResultCb(
          [&refused](const std::shared_ptr<const MethodResult>& result, const Progress&,
                     AsyncApiResultCb::Continuation&&) { refused = Summary(result->error); }));
  EXPECT_EQ(refused,
            "com.zentak.jorv.std.errors.invalid_argument jorv.provider.input.invalid(create, "
            "spec) jorv.data.validation.missing.field(spec)");
  EXPECT_TRUE(provider->activations.empty()) << "the provider was reached";
}

TEST_F(StreamService, TheArgumentsAndTheCallersActivationReachTheProviderWithTheBindersLocalizer) {
  provider->get = [](const GetResult& r) { r.error(QueryNotFound()); };
  Jorv::Testing::Client<std::shared_ptr<const Info>> unbound, localized, plain;
  stub.Get("q1", nullptr, unbound.Result());
  const auto localizer =
      std::make_shared<Jorv::L10n::Localizer>(Jorv::L10n::Localizer::Translations{
          {"en_US", {{"stats.query.unknown", "Query {1} is unknown."}}}});
  transport->Publish(AsyncServiceBinder::BindImplementation(provider, localizer));
  // With a locale in the activation the bound localizer renders; without one the default text
  // stays. The caller's activation is left as it was.
  const auto activation = std::make_shared<AsyncActivation>();
  activation->localeSpec = std::make_shared<Jorv::L10n::LocaleSpec>();
  stub.Get("q1", activation, localized.Result());
  stub.Get("q1", nullptr, plain.Result());
  Start(activation);
  EXPECT_EQ(provider->attached, Lines{"q1 client-7"});
  ASSERT_EQ(provider->activations.size(), 4u);
  ASSERT_TRUE(provider->activations[0]->localizer);
  EXPECT_NE(provider->activations[0]->localizer, localizer);
  EXPECT_EQ(provider->activations[1]->localizer, localizer);
  EXPECT_EQ(provider->activations[3]->localeSpec, activation->localeSpec);
  EXPECT_EQ(activation->localizer, nullptr);
  EXPECT_EQ(localized.Error()->GetMessages().front().defaultMessage, "Query q1 is unknown.");
  EXPECT_EQ(plain.Error()->GetMessages().front().defaultMessage, "No query q1.");
}

TEST_F(StreamService, EveryEndingOfAttachReachesTheClientAsOneFinalReport) {
  using End = std::function<void(Provider&, const StreamResult&)>;
  const std::string notFound = "no item " + std::string(kNotFound) + " stats.query.unknown(q1)";
  const std::pair<End, Lines> endings[] = {
      // An item that comes with an error is dropped.
      {[](Provider& p, const StreamResult& r) {
         r.Report(p.NewItem(0), ErrorValue::Create(kNotFound, QueryNotFound().messages),
                  boost::none, kCompletion, p.NextFor(0));
         r.Disarm();
       },
       {notFound}},
      {[](Provider& p, const StreamResult& r) { r(Item(), p.NextFor(0)); },
       {"no item " + kInternal +
        "jorv.data.unset.non.optional.field(com.zentak.stats.provider.result)"}},
      // A notice without an item is no report of its own.
      {[](Provider&, const StreamResult& r) {
         r.Report(boost::none, nullptr, boost::none, kPartway, nullptr);
         r.shutdown();
       },
       {kEnd}},
      // A provider that neither reports nor keeps its result makes no report.
      {[](Provider&, const StreamResult&) {}, {}},
  };
  for (const auto& [end, expected] : endings) {
    SCOPED_TRACE(expected.empty() ? "silent" : expected[0]);
    provider = std::make_shared<Provider>();
    provider->end = end;
    transport->Publish(AsyncServiceBinder::BindImplementation(provider));
    client.reports.clear();
    Start();
    EXPECT_EQ(client.reports, expected);
    EXPECT_EQ(provider->requests + provider->stops, 0);
    EXPECT_EQ(provider->continuationCensus.live, 0);
  }
}

// The provider answers each request at once: one item per request, none before it. A stop the
// client sends is checked on both transports by the demo's services test.
TEST_F(StreamService, AttachSendsAnItemPerRequestUntilTheLastCopyOfTheContinuationIsDropped) {
  provider->items = 5;
  Start();
  EXPECT_EQ(client.reports, Lines{"item 0 none next"});
  EXPECT_EQ(provider->requests, 0);
  client.Ask();
  EXPECT_EQ(client.reports, (Lines{"item 0 none next", "item 1 none next"}));

  // Dropping the continuation stops the stream once its last copy is gone.
  Continuation copy = std::exchange(client.pending, nullptr);
  Continuation second = copy;
  copy = nullptr;
  EXPECT_EQ(provider->stops, 0) << "a copy is still held";
  second = nullptr;
  EXPECT_EQ(provider->stops, 1);
  EXPECT_EQ(provider->requests, 1);
  EXPECT_EQ(provider->continuationCensus.live, 0);
}

TEST_F(StreamService, ItemsPulledFromInsideTheCallbackRunInConstantStackAndDoNotAccumulate) {
  constexpr long kItems = 20000;
  provider->items = kItems;
  client.pullAtOnce = true;
  Jorv::Testing::RunOnSmallStack([this] { Start(); });
  EXPECT_EQ(client.reports.size(), kItems + 1u);
  EXPECT_EQ(provider->requests, kItems);
  // Had anything kept an item, a continuation or a callback per item, these would count
  // thousands.
  EXPECT_LE(provider->itemCensus.peak, 2);
  EXPECT_LE(provider->continuationCensus.peak, 3);
  EXPECT_LE(client.callbacks.peak, 4);
  EXPECT_EQ(provider->itemCensus.live + provider->continuationCensus.live, 0);
}

// The client's result wrapper driven directly with what only a faulty peer delivers: an item that
// does not read, and a second delivery to the same wrapper.
TEST(AttachResultWrapper, AnItemThatDoesNotReadIsTheClientsErrorAndALaterDeliveryReachesNobody) {
  using Wrapper = Jorv::Stub::AsyncStreamResultWrapper::ResultWrapper<Item, StreamResult>;
  StreamClient client;
  Result result;
  result.query = "q1";
  result.timestamp = Jorv::DateTime::FromMillisSinceEpoch(42);
  const auto value = Jorv::Testing::WriteOk(result);
  Wrapper(client.Receiver().GetCallbacks())(
      MethodResult::Create(Jorv::Testing::Edited(value, {{"timestamp", nullptr}}), nullptr),
      kCompletion, nullptr);
  Wrapper wrapper(client.Receiver().GetCallbacks());
  wrapper(MethodResult::Create(value, nullptr), kPartway, nullptr);
  wrapper(MethodResult::Create(nullptr, ErrorValue::GetInstance(kNotFound)), kCompletion, nullptr);
  EXPECT_EQ(client.reports, (Lines{"no item invalid_argument jorv.data.missing.field(timestamp, "
                                   "com.zentak.stats.provider.result)",
                                   "item 42 none next"}));
}

}  // namespace
