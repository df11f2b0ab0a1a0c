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
#include "framework/provider/async_api_method_filter.h"
#include "framework/stub/async_stream_method_invoker.h"
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
using Jorv::Core::InProcessApiProvider;
using Jorv::Core::MethodResult;
using Jorv::Data::ErrorValue;
using Jorv::Data::NativeError;

using Item = std::shared_ptr<const Result>;
using StreamResult = AttachMethod::StreamResultCbType;
using Continuation = StreamResult::Continuation;
using Log = std::vector<std::string>;

constexpr Progress kCompletion{0, 1, 1};
constexpr Progress kPartway{0, 3, 7};
constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";

// Counts the live objects of one kind and remembers the most that were alive at once.
struct Census {
  void Add() { peak = std::max(peak, ++live); }
  void Remove() { --live; }
  // Owns `object`, counted as live until its last owner lets go.
  template <class T>
  std::shared_ptr<T> Own(T* object) {
    Add();
    return std::shared_ptr<T>(object, [this](T* p) {
      delete p;
      Remove();
    });
  }
  int live = 0;
  int peak = 0;
};

// A live object of a census; every copy counts as one more.
class Token {
 public:
  explicit Token(Census* census) : census_(census) { census_->Add(); }
  Token(const Token& other) : census_(other.census_) { census_->Add(); }
  Token& operator=(const Token&) = delete;
  ~Token() { census_->Remove(); }

 private:
  Census* census_;
};

// How the test provider ends its stream after its items.
enum class Ending {
  kShutdown,        // shutdown()
  kError,           // error() with a declared not-found error value
  kNativeError,     // error() with a native not-found error
  kLastItem,        // one more item through operator()(item)
  kItemAndError,    // one report carrying an item and an error
  kNullItem,        // one more item, a null Result pointer
  kProgressNotice,  // a report of neither item nor error with unfinished progress, then shutdown()
  kSilent,          // nothing: the stream result is dropped
};

// The provider: reports `items` items, each with a continuation, one per request, then ends as
// `ending` says. It answers every request at once, from inside its continuation. Each item is
// Result{query, timestamp = its index in milliseconds}.
class Provider : public AsyncServiceInterface {
 public:
  Provider(Log* events, Census* itemCensus, Census* continuationCensus)
      : log(events), itemCensus_(itemCensus), continuationCensus_(continuationCensus) {}

  void Create(const std::string&, const std::shared_ptr<const CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&, const CreateMethod::ResultCbType&) override {
    ADD_FAILURE() << "unexpected Create";
  }
  void Get(const std::string&, const std::shared_ptr<AsyncActivation>&,
           const GetMethod::ResultCbType&) override {
    ADD_FAILURE() << "unexpected Get";
  }
  void Update(const std::string&, const std::shared_ptr<const UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&, const UpdateMethod::ResultCbType&) override {
    ADD_FAILURE() << "unexpected Update";
  }
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>&,
              const DeleteMethod::ResultCbType&) override {
    ADD_FAILURE() << "unexpected Delete";
  }
  void Attach(const std::string& query, const std::shared_ptr<const AttachSpec>& spec,
              const std::shared_ptr<AsyncActivation>&, const StreamResult& result) override {
    ++attachCalls;
    attachedQuery = query;
    attachedSpec = spec;
    Serve(result);
  }

  // Where events are noted; null notes nothing.
  Log* log;
  long items = 0;
  Ending ending = Ending::kShutdown;
  // Items are reported through the raw Report with this progress, then the result is disarmed.
  bool rawProgress = false;
  std::shared_ptr<const ErrorValue> notFound = ErrorValue::Create(
      kNotFound, {BaseMessage("stats.query.unknown", "Unknown query q1.", {"q1"})});

  int attachCalls = 0;
  std::string attachedQuery;
  std::shared_ptr<const AttachSpec> attachedSpec;
  int requests = 0;
  int stops = 0;

 private:
  void Serve(const StreamResult& result) {
    const long i = sent_++;
    if (i < items) {
      Note("sent " + std::to_string(i));
      const Item item = NewItem(i);
      if (rawProgress) {
        result.Report(item, nullptr, boost::none, kPartway, NextFor(i));
        result.Disarm();
      } else {
        result(item, NextFor(i));
      }
      return;
    }
    Note("ending");
    switch (ending) {
      case Ending::kShutdown:
        result.shutdown();
        break;
      case Ending::kError:
        result.error(notFound);
        break;
      case Ending::kNativeError:
        result.error(NativeError{kNotFound, {BaseMessage("stats.query.unknown", "", {"q1"})}});
        break;
      case Ending::kLastItem:
        result(NewItem(i));
        break;
      case Ending::kItemAndError:
        result.Report(NewItem(i), notFound, boost::none, kCompletion, NextFor(i));
        result.Disarm();
        break;
      case Ending::kNullItem:
        result(Item(), NextFor(i));
        break;
      case Ending::kProgressNotice:
        result.Report(boost::none, nullptr, boost::none, kPartway, nullptr);
        result.shutdown();
        break;
      case Ending::kSilent:
        break;
    }
  }

  Item NewItem(long i) {
    auto* item = new Result();
    item->query = "q1";
    item->timestamp = Jorv::DateTime::FromMillisSinceEpoch(i);
    return itemCensus_->Own<const Result>(item);
  }

  // The continuation of item i: serves the next request at once, or records the stop.
  Continuation NextFor(long i) {
    auto marker = continuationCensus_->Own(new long(i));
    return [this, marker](OptionalPtr<StreamResult> next) {
      if (!next) {
        ++stops;
        Note("provider stopped");
        return;
      }
      ++requests;
      Note("provider asked");
      Serve(*next);
    };
  }

  void Note(std::string event) {
    if (log) log->push_back(std::move(event));
  }

  Census* itemCensus_;
  Census* continuationCensus_;
  long sent_ = 0;
};

// One report as the client's callback saw it.
struct Report {
  bool longForm = false;
  boost::optional<Item> item;
  std::shared_ptr<const ErrorValue> error;
  boost::optional<NativeError> nativeError;
  Progress progress;
  bool continued = false;
};

// The client: its stream results record each report and keep the continuation in `pending`.
// With `pullAtOnce` it asks for the next report from inside the callback; with `reuse` set it
// hands that stream result to every continuation instead of a fresh one.
class Client {
 public:
  // The short-form callback of the client's stream results.
  struct Recorder {
    Client* client;
    Token token;
    void operator()(const boost::optional<Item>& item,
                    const std::shared_ptr<const ErrorValue>& error, const Progress& progress,
                    Continuation&& next) const {
      client->Record({false, item, error, boost::none, progress, next != nullptr}, std::move(next));
    }
  };
  // The long-form callback of the client's stream results.
  struct LongRecorder {
    Client* client;
    Token token;
    void operator()(const boost::optional<Item>& item,
                    const std::shared_ptr<const ErrorValue>& error,
                    const boost::optional<NativeError>& nativeError, const Progress& progress,
                    Continuation&& next) const {
      client->Record({true, item, error, nativeError, progress, next != nullptr}, std::move(next));
    }
  };

  Client(Log* events, Census* callbackCensus) : log(events), callbackCensus_(callbackCensus) {}

  StreamResult Receiver() {
    if (longForm) return StreamResult::FromLongForm(LongRecorder{this, Token(callbackCensus_)});
    return StreamResult(Recorder{this, Token(callbackCensus_)});
  }

  // Asks for the next report through the pending continuation.
  void Ask() {
    Note("client asked");
    Take()(reuse ? reuse : MakeOptionalPtr<StreamResult>(Receiver()));
  }
  // Stops the stream through the pending continuation.
  void Stop() {
    Note("client stopped");
    Take()(OptionalPtr<StreamResult>());
  }

  // Where events are noted; null notes nothing.
  Log* log;
  bool longForm = false;
  bool pullAtOnce = false;
  bool keepReports = true;
  OptionalPtr<StreamResult> reuse;

  std::vector<Report> reports;
  Continuation pending;
  long itemsReceived = 0;
  int endsReceived = 0;
  int errorsReceived = 0;
  // The first item and every 1000th after it are watched; `peakWatchedAlive` is the most of
  // them alive when a watched item arrives, itself included.
  std::vector<std::weak_ptr<const Result>> watched;
  int peakWatchedAlive = 0;

 private:
  void Record(Report report, Continuation&& next) {
    if (report.error) {
      ++errorsReceived;
      Note("received error");
    } else if (report.item) {
      const Item& item = *report.item;
      const long index = item ? static_cast<long>(item->timestamp.MillisSinceEpoch()) : -1;
      ++itemsReceived;
      Note("received " + std::to_string(index));
      if (index % 1000 == 0) Watch(item);
    } else {
      ++endsReceived;
      Note("received end");
    }
    if (keepReports) reports.push_back(std::move(report));
    pending = std::move(next);
    if (pullAtOnce && pending) Ask();
  }

  void Watch(const Item& item) {
    watched.push_back(item);
    const auto alive =
        std::count_if(watched.begin(), watched.end(),
                      [](const std::weak_ptr<const Result>& w) { return !w.expired(); });
    peakWatchedAlive = std::max(peakWatchedAlive, static_cast<int>(alive));
  }

  Continuation Take() {
    if (!pending) ADD_FAILURE() << "no continuation to call";
    Continuation next = std::move(pending);
    pending = nullptr;
    return next;
  }

  void Note(std::string event) {
    if (log) log->push_back(std::move(event));
  }

  Census* callbackCensus_;
};

// Hands calls to an in-process provider, counting them.
class CountingTransport : public Jorv::Core::ApiProvider {
 public:
  void InvokeAsync(const std::shared_ptr<const Jorv::Core::MethodIdentifier>& method,
                   const Jorv::Data::DataValuePtr& input,
                   const std::shared_ptr<Jorv::Core::AsyncActivation>& activation,
                   const AsyncApiResultCb& callback) override {
    ++calls;
    inner.InvokeAsync(method, input, activation, callback);
  }
  InProcessApiProvider inner;
  int calls = 0;
};

std::shared_ptr<const AttachSpec> Spec() {
  auto spec = std::make_shared<AttachSpec>();
  spec->client_id = "client-7";
  return spec;
}

long IndexOf(const Report& report) {
  return report.item && *report.item
             ? static_cast<long>((*report.item)->timestamp.MillisSinceEpoch())
             : -1;
}

// Expects `report` to carry item `index` with a continuation and the completion progress.
void ExpectItem(const Report& report, long index) {
  ASSERT_TRUE(report.item);
  EXPECT_EQ(IndexOf(report), index);
  EXPECT_EQ((*report.item)->query, "q1");
  EXPECT_EQ(report.error, nullptr);
  EXPECT_FALSE(report.nativeError);
  EXPECT_EQ(report.progress, kCompletion);
  EXPECT_TRUE(report.continued);
}

// Expects `report` to end the stream without error.
void ExpectEnd(const Report& report) {
  EXPECT_FALSE(report.item);
  EXPECT_EQ(report.error, nullptr);
  EXPECT_FALSE(report.nativeError);
  EXPECT_EQ(report.progress, kCompletion);
  EXPECT_FALSE(report.continued);
}

// Expects `report` to end the stream with an error named `name` carrying exactly `messages`
// (identifier, arguments), in order.
void ExpectError(const Report& report, const std::string& name,
                 const std::vector<std::pair<std::string, std::list<std::string>>>& messages) {
  EXPECT_FALSE(report.item);
  EXPECT_FALSE(report.nativeError);
  EXPECT_EQ(report.progress, kCompletion);
  EXPECT_FALSE(report.continued);
  ASSERT_TRUE(report.error);
  EXPECT_EQ(report.error->GetName(), name);
  const std::list<BaseMessage> got = report.error->GetMessages();
  ASSERT_EQ(got.size(), messages.size());
  auto message = got.begin();
  for (const auto& expected : messages) {
    EXPECT_EQ(message->GetId(), expected.first);
    EXPECT_EQ(message->GetArgs(), expected.second);
    ++message;
  }
}

// The real path: service stub, framework stub, in-process transport, the interface the binder
// publishes, signal, filters, the test provider, and back.
class AttachStream : public testing::Test {
 protected:
  AttachStream() { transport->inner.Publish(AsyncServiceBinder::BindImplementation(provider)); }

  // Attaches to query "q1"; the first report goes to a copy of `first`.
  void Start(const StreamResult& first) { stub.Attach("q1", Spec(), nullptr, first); }
  void Start() { Start(client.Receiver()); }

  // Declared first so that they outlive everything that counts in them.
  Log log;
  Census items;
  Census continuations;
  Census callbacks;
  Client client{&log, &callbacks};
  std::shared_ptr<Provider> provider = std::make_shared<Provider>(&log, &items, &continuations);
  std::shared_ptr<CountingTransport> transport = std::make_shared<CountingTransport>();
  AsyncServiceStub stub{std::make_shared<Jorv::Stub::AsyncApiStub>(transport)};
};

TEST_F(AttachStream, EachItemIsSentOnlyAfterTheClientAskedForIt) {
  provider->items = 3;
  Start();
  EXPECT_EQ(log, (Log{"sent 0", "received 0"}));
  EXPECT_EQ(provider->attachCalls, 1);
  EXPECT_EQ(provider->attachedQuery, "q1");
  ASSERT_TRUE(provider->attachedSpec);
  EXPECT_EQ(provider->attachedSpec->client_id, "client-7");

  client.Ask();
  client.Ask();
  client.Ask();
  EXPECT_EQ(log, (Log{"sent 0", "received 0",                                    //
                      "client asked", "provider asked", "sent 1", "received 1",  //
                      "client asked", "provider asked", "sent 2", "received 2",  //
                      "client asked", "provider asked", "ending", "received end"}));
  ASSERT_EQ(client.reports.size(), 4u);
  for (long i = 0; i < 3; ++i) ExpectItem(client.reports[i], i);
  ExpectEnd(client.reports[3]);
  EXPECT_FALSE(client.pending);
  EXPECT_EQ(provider->requests, 3);
  EXPECT_EQ(provider->stops, 0);
  EXPECT_EQ(transport->calls, 1);
}

TEST_F(AttachStream, LastItemIsFollowedByAnEndReportOnTheStreamResultHandedOver) {
  provider->items = 1;
  provider->ending = Ending::kLastItem;
  Start();
  client.Ask();
  ASSERT_EQ(client.reports.size(), 2u);
  ExpectItem(client.reports[1], 1);

  client.Ask();
  EXPECT_EQ(log, (Log{"sent 0", "received 0", "client asked", "provider asked", "ending",
                      "received 1", "client asked", "received end"}));
  ASSERT_EQ(client.reports.size(), 3u);
  ExpectEnd(client.reports[2]);
  EXPECT_EQ(provider->requests, 1);
}

TEST_F(AttachStream, ProviderErrorsArriveAsTheEndOfTheStream) {
  // A declared error value arrives as the very object the provider reported.
  provider->items = 1;
  provider->ending = Ending::kError;
  client.longForm = true;
  Start();
  client.Ask();
  ASSERT_EQ(client.reports.size(), 2u);
  ExpectItem(client.reports[0], 0);
  EXPECT_TRUE(client.reports[1].longForm);
  ExpectError(client.reports[1], kNotFound, {{"stats.query.unknown", {"q1"}}});
  EXPECT_EQ(client.reports[1].error, provider->notFound);
  EXPECT_EQ(log.back(), "received error");
}

TEST_F(AttachStream, NativeErrorIsRenderedAndTheClientsNativeErrorStaysUnset) {
  provider->ending = Ending::kNativeError;
  client.longForm = true;
  Start();
  ASSERT_EQ(client.reports.size(), 1u);
  EXPECT_TRUE(client.reports[0].longForm);
  ExpectError(client.reports[0], kNotFound, {{"stats.query.unknown", {"q1"}}});
}

TEST_F(AttachStream, ErrorBesideAnItemWinsAndTheContinuationIsDropped) {
  provider->ending = Ending::kItemAndError;
  Start();
  ASSERT_EQ(client.reports.size(), 1u);
  ExpectError(client.reports[0], kNotFound, {{"stats.query.unknown", {"q1"}}});
  EXPECT_EQ(client.reports[0].error, provider->notFound);
  EXPECT_EQ(provider->requests + provider->stops, 0);
  EXPECT_EQ(continuations.live, 0);
}

TEST_F(AttachStream, NullItemEndsTheStreamWithInternalServerError) {
  provider->items = 1;
  provider->ending = Ending::kNullItem;
  Start();
  client.Ask();
  ASSERT_EQ(client.reports.size(), 2u);
  ExpectError(client.reports[1], "com.zentak.jorv.std.errors.internal_server_error",
              {{"jorv.data.unset.non.optional.field", {"com.zentak.stats.provider.result"}}});
  EXPECT_EQ(continuations.live, 0);
}

TEST_F(AttachStream, ClientThatStopsReachesTheProviderAndReceivesNothingMore) {
  provider->items = 5;
  Start();
  client.Ask();
  client.Stop();
  EXPECT_EQ(log, (Log{"sent 0", "received 0", "client asked", "provider asked", "sent 1",
                      "received 1", "client stopped", "provider stopped"}));
  EXPECT_EQ(provider->stops, 1);
  EXPECT_EQ(provider->requests, 1);
  EXPECT_EQ(client.reports.size(), 2u);
  EXPECT_EQ(continuations.live, 0);
}

TEST_F(AttachStream, ClientThatDropsItsContinuationStopsTheProviderOnce) {
  provider->items = 5;
  Start();
  Continuation copy = client.pending;
  client.pending = nullptr;
  EXPECT_EQ(provider->stops, 0) << "a copy is still held";
  copy = nullptr;
  EXPECT_EQ(log, (Log{"sent 0", "received 0", "provider stopped"}));
  EXPECT_EQ(provider->stops, 1);
  EXPECT_EQ(provider->requests, 0);
  EXPECT_EQ(client.reports.size(), 1u);
  EXPECT_EQ(continuations.live, 0);
}

TEST_F(AttachStream, OneStreamResultHandedToEveryContinuationReceivesEveryReport) {
  provider->items = 3;
  const auto same = MakeOptionalPtr<StreamResult>(client.Receiver());
  client.reuse = same;
  Start(*same);
  client.Ask();
  client.Ask();
  client.Ask();
  ASSERT_EQ(client.reports.size(), 4u);
  for (long i = 0; i < 3; ++i) ExpectItem(client.reports[i], i);
  ExpectEnd(client.reports[3]);
  // Neither disarmed nor replaced: its own callback still takes reports.
  EXPECT_NE(same->GetCallbacks().shortForm.target<Client::Recorder>(), nullptr);
  same->shutdown();
  EXPECT_EQ(client.reports.size(), 5u);
}

TEST_F(AttachStream, ClientReceivesTheCompletionProgressWhateverTheProviderReports) {
  provider->items = 2;
  provider->rawProgress = true;
  Start();
  client.Ask();
  client.Ask();
  ASSERT_EQ(client.reports.size(), 3u);
  ExpectItem(client.reports[0], 0);
  ExpectItem(client.reports[1], 1);
  ExpectEnd(client.reports[2]);
}

TEST_F(AttachStream, ProgressNoticeEndsTheStreamForTheClientOnce) {
  // A stream delivery without values is the end for the client; the provider's shutdown()
  // after the notice reaches nobody.
  provider->ending = Ending::kProgressNotice;
  Start();
  ASSERT_EQ(client.reports.size(), 1u);
  ExpectEnd(client.reports[0]);
}

TEST_F(AttachStream, ProviderThatNeitherReportsNorKeepsItsResultMakesNoReport) {
  provider->ending = Ending::kSilent;
  Start();
  EXPECT_EQ(provider->attachCalls, 1);
  EXPECT_TRUE(client.reports.empty());
  EXPECT_EQ(log, (Log{"ending"}));
}

TEST_F(AttachStream, NullSpecIsRejectedBeforeAttachReturnsAndNothingIsSent) {
  const StreamResult first = client.Receiver();
  stub.Attach("q1", nullptr, nullptr, first);
  ASSERT_EQ(client.reports.size(), 1u);
  ExpectError(
      client.reports[0], "com.zentak.jorv.std.errors.invalid_argument",
      {{"jorv.data.unset.non.optional.field", {"com.zentak.stats.provider.stream.attach_spec"}}});
  EXPECT_EQ(transport->calls, 0);
  EXPECT_EQ(provider->attachCalls, 0);
  // The caller's own stream result took the report and is disarmed.
  EXPECT_EQ(first.GetCallbacks().shortForm.target<Client::Recorder>(), nullptr);
}

TEST_F(AttachStream, CallersStreamResultIsLeftArmedOnceTheCallIsSent) {
  provider->items = 1;
  const StreamResult first = client.Receiver();
  Start(first);
  client.Ask();
  ASSERT_EQ(client.reports.size(), 2u);
  EXPECT_NE(first.GetCallbacks().shortForm.target<Client::Recorder>(), nullptr);
}

TEST_F(AttachStream, MillionItemsPulledFromInsideTheCallbackRunInConstantStack) {
  constexpr long kItems = 1000000;
  provider->items = kItems;
  client.pullAtOnce = true;
  client.keepReports = false;
  client.log = provider->log = nullptr;
  Jorv::Testing::RunOnSmallStack([this] { Start(); });
  EXPECT_EQ(client.itemsReceived, kItems);
  EXPECT_EQ(client.endsReceived, 1);
  EXPECT_EQ(client.errorsReceived, 0);
  EXPECT_EQ(provider->requests, kItems);
  EXPECT_LE(items.peak, 2);
  EXPECT_LE(continuations.peak, 3);
  EXPECT_LE(callbacks.peak, 4);
  EXPECT_LE(client.peakWatchedAlive, 1);
}

TEST_F(AttachStream, ItemsPulledOneAtATimeDoNotAccumulateOnEitherSide) {
  constexpr long kItems = 100000;
  provider->items = kItems;
  client.keepReports = false;
  client.log = provider->log = nullptr;
  Start();
  while (client.pending) client.Ask();

  EXPECT_EQ(client.itemsReceived, kItems);
  EXPECT_EQ(client.endsReceived, 1);
  // Had anything kept a report, a continuation or a callback per item, these would count
  // thousands.
  EXPECT_LE(items.peak, 2);
  EXPECT_LE(continuations.peak, 3);
  EXPECT_LE(callbacks.peak, 4);
  EXPECT_LE(client.peakWatchedAlive, 1);
  EXPECT_EQ(client.watched.size(), static_cast<std::size_t>(kItems / 1000));
  EXPECT_EQ(items.live, 0);
  EXPECT_EQ(continuations.live, 0);
}

// The client's result wrapper driven directly with the deliveries the framework can make.
class AttachResultWrapper : public testing::Test {
 protected:
  using Wrapper = Jorv::Stub::AsyncStreamResultWrapper::ResultWrapper<Item, StreamResult>;

  Wrapper NewWrapper() { return Wrapper(client.Receiver().GetCallbacks()); }
  // A framework continuation that counts its calls.
  AsyncApiResultCb::Continuation Counting() {
    return [this](std::shared_ptr<AsyncApiResultCb> next) { ++(next ? requests : stops); };
  }
  static Jorv::Data::DataValuePtr ResultValue() {
    Result result;
    result.query = "q1";
    result.timestamp = Jorv::DateTime::FromMillisSinceEpoch(42);
    return Jorv::Testing::WriteOk(result);
  }

  Census callbacks;
  Client client{nullptr, &callbacks};
  int requests = 0;
  int stops = 0;
};

TEST_F(AttachResultWrapper, DeliveriesWithoutAValueEndTheStream) {
  NewWrapper()(nullptr, kPartway, Counting());
  NewWrapper()(MethodResult::Create(nullptr, nullptr), kPartway, Counting());
  NewWrapper()(std::make_shared<const MethodResult>(MethodResult{nullptr, nullptr, false}),
               kCompletion, Counting());
  ASSERT_EQ(client.reports.size(), 3u);
  for (const Report& report : client.reports) ExpectEnd(report);
  EXPECT_EQ(requests + stops, 0);
}

TEST_F(AttachResultWrapper, OutputWithoutTimestampIsReportedAsInvalidArgument) {
  auto value = ResultValue();
  auto edited = Jorv::Data::StructValue::GetInstance(
      static_cast<const Jorv::Data::StructValue&>(*value).GetName());
  for (const auto& field : static_cast<const Jorv::Data::StructValue&>(*value).GetFields()) {
    if (field.first != "timestamp") edited->SetField(field.first, field.second);
  }
  NewWrapper()(MethodResult::Create(edited, nullptr), kCompletion, Counting());
  ASSERT_EQ(client.reports.size(), 1u);
  ExpectError(client.reports[0], "invalid_argument",
              {{"jorv.data.missing.field", {"timestamp", "com.zentak.stats.provider.result"}}});
  EXPECT_EQ(requests + stops, 0);
}

TEST_F(AttachResultWrapper, ErrorBesideAnOutputArrivesUnchanged) {
  const auto error = ErrorValue::GetInstance(kNotFound);
  NewWrapper()(MethodResult::Create(ResultValue(), error), kCompletion, Counting());
  ASSERT_EQ(client.reports.size(), 1u);
  EXPECT_EQ(client.reports[0].error, error);
  EXPECT_FALSE(client.reports[0].item);
  EXPECT_FALSE(client.reports[0].continued);
}

TEST_F(AttachResultWrapper, ItemContinuationHandsRequestsAndStopsToTheFramework) {
  NewWrapper()(MethodResult::Create(ResultValue(), nullptr), kPartway, Counting());
  ASSERT_EQ(client.reports.size(), 1u);
  ExpectItem(client.reports[0], 42);
  auto next = std::move(client.pending);
  next(MakeOptionalPtr<StreamResult>(client.Receiver()));
  EXPECT_EQ(requests, 1);
  next(OptionalPtr<StreamResult>());
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(client.reports.size(), 1u);
}

TEST_F(AttachResultWrapper, ItemWithoutFrameworkContinuationIsTheLastOne) {
  NewWrapper()(MethodResult::Create(ResultValue(), nullptr), kCompletion, nullptr);
  ASSERT_EQ(client.reports.size(), 1u);
  ASSERT_TRUE(client.reports[0].continued);
  client.Ask();
  ASSERT_EQ(client.reports.size(), 2u);
  ExpectEnd(client.reports[1]);
}

TEST_F(AttachResultWrapper, SecondDeliveryToTheSameWrapperReachesNobody) {
  Wrapper wrapper = NewWrapper();
  wrapper(MethodResult::Create(nullptr, nullptr), kCompletion, Counting());
  wrapper(MethodResult::Create(ResultValue(), nullptr), kCompletion, Counting());
  wrapper(MethodResult::Create(nullptr, ErrorValue::GetInstance(kNotFound)), kCompletion,
          Counting());
  EXPECT_EQ(client.reports.size(), 1u);
  EXPECT_EQ(callbacks.live, 0);
}

TEST(AttachResultFilter, NextStreamResultIsMadeDirectlyFromAFilter) {
  int outputs = 0;
  const Jorv::Provider::AsyncApiMethod::ResultCb callback(
      [&](const boost::optional<Jorv::Data::DataValuePtr>& output,
          const std::shared_ptr<const ErrorValue>& error, const Progress& progress,
          Jorv::Provider::AsyncApiMethod::ResultCb::Continuation&& next) {
        outputs += output && *output && !error && progress == kCompletion && next;
      });
  Jorv::Provider::AsyncApiMethodResultFilter<Item> filter(
      callback, std::make_shared<Jorv::Core::AsyncActivation>());
  const OptionalPtr<StreamResult> next = MakeOptionalPtr<StreamResult>(std::move(filter));
  ASSERT_TRUE(next);
  EXPECT_FALSE(next->GetCallbacks().shortForm);
  Result item;
  item.query = "q1";
  (*next)(std::make_shared<const Result>(item));
  EXPECT_EQ(outputs, 1);
}

}  // namespace
