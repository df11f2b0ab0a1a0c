// Stream.attach end to end: one Result per request, through the Stream stub, the in-process
// transport, the published interface, signal, filters and a test provider, and back; then the
// client's result wrapper driven directly with the deliveries the framework can make.

#include "stats/provider/stream/service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/optional/optional_io.hpp>
#include <functional>
#include <list>
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
using Jorv::BaseMessage;
using Jorv::MakeOptionalPtr;
using Jorv::OptionalPtr;
using Jorv::Progress;
using Jorv::Core::AsyncApiResultCb;
using Jorv::Core::MethodResult;
using Jorv::Data::ErrorValue;
using Jorv::Data::NativeError;
using Item = std::shared_ptr<const Result>;
using StreamResult = AttachMethod::StreamResultCbType;
using Continuation = StreamResult::Continuation;

constexpr Progress kCompletion{0, 1, 1};
constexpr Progress kPartway{0, 3, 7};
constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";

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

// How the test provider ends its stream after its items.
enum class Ending { kShutdown, kNativeError, kItemAndError, kNullItem, kNotice, kSilent };

// The provider: reports `items` items one per request, each Result{q1, timestamp = its index},
// answering each request at once from inside its continuation, then ends as `ending` says.
class Provider : public AsyncServiceInterface {
 public:
  void Create(const std::string&, const std::shared_ptr<const CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&, const CreateMethod::ResultCbType&) override {
  }
  void Get(const std::string&, const std::shared_ptr<AsyncActivation>&,
           const GetMethod::ResultCbType&) override {}
  void Update(const std::string&, const std::shared_ptr<const UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&, const UpdateMethod::ResultCbType&) override {
  }
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>&,
              const DeleteMethod::ResultCbType&) override {}
  void Attach(const std::string& query, const std::shared_ptr<const AttachSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const StreamResult& result) override {
    attached.push_back(query + " " + spec->client_id);
    activations.push_back(activation);
    Serve(result);
  }

  long items = 0;
  Ending ending = Ending::kShutdown;
  std::shared_ptr<const ErrorValue> notFound = ErrorValue::Create(
      kNotFound, {BaseMessage("stats.query.unknown", "Unknown query q1.", {"q1"})});
  std::vector<std::string> attached;
  std::vector<std::shared_ptr<AsyncActivation>> activations;
  long sent = 0;
  int requests = 0;
  int stops = 0;
  Census itemCensus;
  Census continuationCensus;

 private:
  void Serve(const StreamResult& result) {
    const long i = sent++;
    if (i < items) return result(NewItem(i), NextFor(i));
    switch (ending) {
      case Ending::kShutdown:
        return result.shutdown();
      case Ending::kNativeError:
        return result.error(
            NativeError{kNotFound, {BaseMessage("stats.query.unknown", "", {"q1"})}});
      case Ending::kItemAndError:
        result.Report(NewItem(i), notFound, boost::none, kCompletion, NextFor(i));
        return result.Disarm();
      case Ending::kNullItem:
        return result(Item(), NextFor(i));
      case Ending::kNotice:
        result.Report(boost::none, nullptr, boost::none, kPartway, nullptr);
        return result.shutdown();
      case Ending::kSilent:
        return;
    }
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

// One report as the client's callback saw it.
struct Report {
  boost::optional<Item> item;
  std::shared_ptr<const ErrorValue> error;
  boost::optional<NativeError> nativeError;
  Progress progress;
  bool continued = false;

  long Index() const {
    return item && *item ? static_cast<long>((*item)->timestamp.MillisSinceEpoch()) : -1;
  }
  bool IsItem(long index) const {
    return Index() == index && !error && !nativeError && progress == kCompletion && continued;
  }
  bool IsEnd() const {
    return !item && !error && !nativeError && progress == kCompletion && !continued;
  }
};

// The client: its stream results record each report and keep the continuation in `pending`;
// with `pullAtOnce` it asks for the next report from inside its callback.
class Client {
 public:
  StreamResult Receiver() {
    auto token = callbacks.Own(new int(0));
    return StreamResult::FromLongForm([this, token](const boost::optional<Item>& item,
                                                    const std::shared_ptr<const ErrorValue>& error,
                                                    const boost::optional<NativeError>& native,
                                                    const Progress& progress, Continuation&& next) {
      ++received;
      if (keepReports) reports.push_back({item, error, native, progress, next != nullptr});
      pending = std::move(next);
      if (pullAtOnce && pending) Ask();
    });
  }
  void Ask() { Take()(MakeOptionalPtr<StreamResult>(Receiver())); }
  void Stop() { Take()(OptionalPtr<StreamResult>()); }

  bool pullAtOnce = false;
  bool keepReports = true;
  std::vector<Report> reports;
  Continuation pending;
  long received = 0;
  Census callbacks;

 private:
  Continuation Take() {
    if (!pending) ADD_FAILURE() << "no continuation to call";
    return std::exchange(pending, nullptr);
  }
};

// The real path: service stub, framework stub, in-process transport, the interface the binder
// publishes, signal, filters, the test provider, and back.
class AttachStream : public testing::Test {
 protected:
  AttachStream() { transport->Publish(AsyncServiceBinder::BindImplementation(provider)); }
  void Start(const std::shared_ptr<AsyncActivation>& activation = nullptr) {
    stub.Attach("q1", Spec(), activation, client.Receiver());
  }
  static std::shared_ptr<const AttachSpec> Spec() {
    auto spec = std::make_shared<AttachSpec>();
    spec->client_id = "client-7";
    return spec;
  }
  // Reports received and requests the provider took so far.
  std::pair<std::size_t, int> Counts() const { return {client.reports.size(), provider->requests}; }

  Client client;
  std::shared_ptr<Provider> provider = std::make_shared<Provider>();
  std::shared_ptr<Jorv::Core::InProcessApiProvider> transport =
      std::make_shared<Jorv::Core::InProcessApiProvider>();
  AsyncServiceStub stub{std::make_shared<Jorv::Stub::AsyncApiStub>(transport)};
};

TEST_F(AttachStream, EachItemIsSentOnlyAfterTheClientAskedForItThenTheEnd) {
  provider->items = 2;
  const auto activation = std::make_shared<AsyncActivation>();
  activation->localeSpec = std::make_shared<Jorv::L10n::LocaleSpec>();
  Start(activation);
  // The provider answers each request at once: one more report per request, none before.
  std::vector<std::pair<std::size_t, int>> counts{Counts()};
  client.Ask();
  counts.push_back(Counts());
  client.Ask();
  counts.push_back(Counts());
  EXPECT_EQ(counts, (std::vector<std::pair<std::size_t, int>>{{1, 0}, {2, 1}, {3, 2}}));
  EXPECT_EQ(provider->attached, std::vector<std::string>{"q1 client-7"});
  ASSERT_EQ(provider->activations.size(), 1u);
  EXPECT_EQ(provider->activations[0]->localeSpec, activation->localeSpec);
  ASSERT_EQ(client.reports.size(), 3u);
  EXPECT_TRUE(client.reports[0].IsItem(0) && client.reports[1].IsItem(1) &&
              client.reports[2].IsEnd());
  EXPECT_FALSE(client.pending);
}

TEST_F(AttachStream, AStopOrADroppedContinuationReachesTheProviderOnce) {
  provider->items = 5;
  Start();
  client.Ask();
  client.Stop();
  EXPECT_EQ(Counts(), (std::pair<std::size_t, int>{2, 1}));
  EXPECT_EQ(provider->stops, 1);
  EXPECT_EQ(provider->continuationCensus.live, 0);

  // Dropping the continuation stops the stream once its last copy is gone.
  Start();
  Continuation copy = std::exchange(client.pending, nullptr);
  Continuation second = copy;
  copy = nullptr;
  EXPECT_EQ(provider->stops, 1) << "a copy is still held";
  second = nullptr;
  EXPECT_EQ(provider->stops, 2);
  EXPECT_EQ(Counts(), (std::pair<std::size_t, int>{3, 1}));
}

TEST_F(AttachStream, EveryEndingReachesTheClientAsOneFinalReport) {
  const std::pair<Ending, std::function<void(const Report&)>> endings[] = {
      {Ending::kNativeError,
       [](const Report& r) {
         ASSERT_TRUE(r.error);
         EXPECT_FALSE(r.nativeError);
         EXPECT_EQ(r.error->GetMessages(),
                   (std::list<BaseMessage>{BaseMessage("stats.query.unknown", "", {"q1"})}));
       }},
      {Ending::kItemAndError,
       [&](const Report& r) { EXPECT_TRUE(!r.item && r.error == provider->notFound); }},
      {Ending::kNullItem,
       [](const Report& r) {
         EXPECT_EQ(Jorv::Testing::Summary(r.error),
                   "com.zentak.jorv.std.errors.internal_server_error "
                   "jorv.data.unset.non.optional.field(com.zentak.stats.provider.result)");
       }},
      {Ending::kNotice, [](const Report& r) { EXPECT_TRUE(r.IsEnd()); }},
  };
  for (const auto& [ending, expect] : endings) {
    SCOPED_TRACE(static_cast<int>(ending));
    provider = std::make_shared<Provider>();
    provider->ending = ending;
    transport->Publish(AsyncServiceBinder::BindImplementation(provider));
    client.reports.clear();
    Start();
    ASSERT_EQ(client.reports.size(), 1u);
    EXPECT_FALSE(client.reports.back().continued);
    EXPECT_EQ(client.reports.back().progress, kCompletion);
    expect(client.reports.back());
    EXPECT_EQ(provider->requests + provider->stops, 0);
    EXPECT_EQ(provider->continuationCensus.live, 0);
  }
  // A provider that neither reports nor keeps its result makes no report.
  provider->ending = Ending::kSilent;
  client.reports.clear();
  Start();
  EXPECT_TRUE(client.reports.empty());
}

TEST_F(AttachStream, NullSpecIsRefusedBeforeAttachReturnsAndTheCallersResultIsLeftArmedOtherwise) {
  const StreamResult refused = client.Receiver();
  stub.Attach("q1", nullptr, nullptr, refused);
  ASSERT_EQ(client.reports.size(), 1u);
  EXPECT_EQ(Jorv::Testing::Summary(client.reports[0].error),
            "com.zentak.jorv.std.errors.invalid_argument "
            "jorv.data.unset.non.optional.field(com.zentak.stats.provider.stream.attach_spec)");
  EXPECT_TRUE(provider->attached.empty()) << "the provider was reached";
  EXPECT_EQ(client.callbacks.live, 0) << "the refused result still holds its callback";

  const StreamResult sent = client.Receiver();
  stub.Attach("q1", Spec(), nullptr, sent);
  sent.shutdown();
  ASSERT_EQ(client.reports.size(), 3u);
  EXPECT_TRUE(client.reports[2].IsEnd());
}

TEST_F(AttachStream, ItemsPulledFromInsideTheCallbackRunInConstantStackAndDoNotAccumulate) {
  constexpr long kItems = 20000;
  provider->items = kItems;
  client.pullAtOnce = true;
  client.keepReports = false;
  Jorv::Testing::RunOnSmallStack([this] { Start(); });
  EXPECT_EQ(client.received, kItems + 1);
  EXPECT_EQ(provider->requests, kItems);
  // Had anything kept a report, a continuation or a callback per item, these would count
  // thousands.
  EXPECT_LE(provider->itemCensus.peak, 2);
  EXPECT_LE(provider->continuationCensus.peak, 3);
  EXPECT_LE(client.callbacks.peak, 4);
  EXPECT_EQ(provider->itemCensus.live + provider->continuationCensus.live, 0);
}

// The client's result wrapper driven directly with the deliveries the framework can make.
class AttachResultWrapper : public testing::Test {
 protected:
  using Wrapper = Jorv::Stub::AsyncStreamResultWrapper::ResultWrapper<Item, StreamResult>;
  Wrapper NewWrapper() { return Wrapper(client.Receiver().GetCallbacks()); }
  AsyncApiResultCb::Continuation Counting() {
    return [this](std::shared_ptr<AsyncApiResultCb> next) { ++(next ? requests : stops); };
  }
  static Jorv::Data::DataValuePtr ResultValue() {
    Result result;
    result.query = "q1";
    result.timestamp = Jorv::DateTime::FromMillisSinceEpoch(42);
    return Jorv::Testing::WriteOk(result);
  }
  Client client;
  int requests = 0;
  int stops = 0;
};

TEST_F(AttachResultWrapper, EachDeliveryBecomesOneReport) {
  const auto error = ErrorValue::GetInstance(kNotFound);
  NewWrapper()(nullptr, kPartway, Counting());
  NewWrapper()(MethodResult::Create(nullptr, nullptr), kPartway, Counting());
  NewWrapper()(MethodResult::Create(ResultValue(), error), kCompletion, Counting());
  NewWrapper()(
      MethodResult::Create(Jorv::Testing::Edited(ResultValue(), {{"timestamp", nullptr}}), nullptr),
      kCompletion, Counting());
  Wrapper wrapper = NewWrapper();
  wrapper(MethodResult::Create(ResultValue(), nullptr), kPartway, Counting());
  // A second delivery to the same wrapper reaches nobody.
  wrapper(MethodResult::Create(nullptr, error), kCompletion, Counting());
  ASSERT_EQ(client.reports.size(), 5u);
  EXPECT_TRUE(client.reports[0].IsEnd() && client.reports[1].IsEnd());
  EXPECT_TRUE(!client.reports[2].item && client.reports[2].error == error &&
              !client.reports[2].continued);
  EXPECT_EQ(
      Jorv::Testing::Summary(client.reports[3].error),
      "invalid_argument jorv.data.missing.field(timestamp, com.zentak.stats.provider.result)");
  EXPECT_TRUE(client.reports[4].IsItem(42));
  EXPECT_EQ(requests + stops, 0);
  // The item's continuation hands requests and stops to the framework; an item that came
  // without one is the last: asking for more gives the end.
  Continuation next = std::exchange(client.pending, nullptr);
  next(MakeOptionalPtr<StreamResult>(client.Receiver()));
  next(OptionalPtr<StreamResult>());
  EXPECT_EQ(requests, 1);
  EXPECT_EQ(stops, 1);
  NewWrapper()(MethodResult::Create(ResultValue(), nullptr), kCompletion, nullptr);
  EXPECT_TRUE(client.reports.back().IsItem(42));
  client.Ask();
  EXPECT_TRUE(client.reports.back().IsEnd());
}

}  // namespace
